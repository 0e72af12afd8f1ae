#pragma once

#include "platform/soundoutput.h"

// Plays through the PulseAudio simple API (PipeWire serves it too). Without a sound server
// the connection is refused at once and the call returns false.
class PulseSound final : public SoundOutput {
public:
    bool playWave(const QByteArray& wave, unsigned flags) override;
};

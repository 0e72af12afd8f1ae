#pragma once

#include "platform/soundoutput.h"

// Plays through the PulseAudio simple API (PipeWire serves it too). Without a sound server
// the connection is refused at once and the call returns false. A call without Async blocks
// until the tone has drained: the capture calls it from a thread of its own.
class PulseSound final : public SoundOutput {
public:
    bool playWave(const QByteArray& wave, unsigned flags) override;
};

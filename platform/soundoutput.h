#pragma once

#include <QByteArray>

// Plays a complete RIFF/WAVE image from memory.
class SoundOutput {
public:
    enum Flag : unsigned { Async = 0x1, NoDefault = 0x2, Memory = 0x4 };

    virtual ~SoundOutput() = default;
    // Without Async the call returns when the sound has ended. False when nothing played.
    virtual bool playWave(const QByteArray& wave, unsigned flags) = 0;
};

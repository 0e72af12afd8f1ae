#pragma once

#include "platform/soundoutput.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Plays tones on a thread of its own, one after the other, so that a sound server that
// takes its time never holds up the window. A tone asked for while another one still waits
// to be played is merged into it: confirmations in quick succession never pile up.
class SoundQueue final : public SoundOutput {
public:
    explicit SoundQueue(SoundOutput& output);
    ~SoundQueue() override;

    // Returns at once, as if the tone had been played.
    bool playWave(const QByteArray& wave, unsigned flags) override;
    // Waits until every tone asked for has been played.
    void waitIdle();

private:
    struct Tone {
        QByteArray wave;
        unsigned flags;
    };
    void run();

    SoundOutput& m_output;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Tone> m_next;
    bool m_playing = false;
    bool m_stop = false;
    std::thread m_thread;
};

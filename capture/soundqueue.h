#pragma once

#include "platform/soundoutput.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// Plays tones on a thread of its own, one after the other, so that a sound server that
// takes its time never holds up the window. Every tone asked for is played, as long as no
// more than kMaxWaiting of sound waits; a tone beyond that merges into the ones waiting, so
// a burst of confirmations never beeps for long.
class SoundQueue final : public SoundOutput {
public:
    static constexpr std::chrono::milliseconds kMaxWaiting{2000};

    explicit SoundQueue(SoundOutput& output);
    ~SoundQueue() override;

    // Returns at once, as if the tone had been played.
    bool playWave(const QByteArray& wave, unsigned flags) override;
    // Waits until every tone asked for has been played.
    void waitIdle();

    // How long a RIFF/WAVE image plays; zero when its header says nothing usable.
    static std::chrono::milliseconds duration(const QByteArray& wave);

private:
    struct Tone {
        QByteArray wave;
        unsigned flags;
        std::chrono::milliseconds length;
    };
    void run();

    SoundOutput& m_output;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Tone> m_waiting;
    std::chrono::milliseconds m_waitingLength{0};
    bool m_playing = false;
    bool m_stop = false;
    std::thread m_thread;
};

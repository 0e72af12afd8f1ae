#include "capture/soundqueue.h"

SoundQueue::SoundQueue(SoundOutput& output) : m_output(output) {}

SoundQueue::~SoundQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_next.reset();
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool SoundQueue::playWave(const QByteArray& wave, unsigned flags) {
    {
        std::lock_guard lock(m_mutex);
        m_next = Tone{wave, flags};
        if (!m_thread.joinable()) {
            m_thread = std::thread([this] { run(); });
        }
    }
    m_wake.notify_one();
    return true;
}

void SoundQueue::waitIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_next && !m_playing; });
}

void SoundQueue::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_next; });
        if (m_stop) {
            return;
        }
        const Tone tone = std::move(*m_next);
        m_next.reset();
        m_playing = true;
        lock.unlock();
        m_output.playWave(tone.wave, tone.flags);
        lock.lock();
        m_playing = false;
        if (!m_next) {
            m_idle.notify_all();
        }
    }
}

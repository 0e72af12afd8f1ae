#include "capture/soundqueue.h"

#include <QtEndian>

#include <algorithm>

SoundQueue::SoundQueue(SoundOutput& output) : m_output(output) {}

SoundQueue::~SoundQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_waiting.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::chrono::milliseconds SoundQueue::duration(const QByteArray& wave) {
    // The chunks after "RIFF....WAVE": the byte rate from "fmt ", the length from "data".
    quint32 byteRate = 0;
    qsizetype at = 12;
    while (wave.startsWith("RIFF") && at + 8 <= wave.size()) {
        const QByteArray id = wave.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(wave.constData() + at + 4);
        if (id == "fmt " && size >= 12 && at + 20 <= wave.size()) {
            byteRate = qFromLittleEndian<quint32>(wave.constData() + at + 16);
        } else if (id == "data" && byteRate > 0) {
            return std::chrono::milliseconds(qint64(size) * 1000 / byteRate);
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return std::chrono::milliseconds(0);
}

bool SoundQueue::playWave(const QByteArray& wave, unsigned flags) {
    // A tone of no known length counts as a short one: a burst of them stays bounded too.
    const std::chrono::milliseconds length = std::max(duration(wave), std::chrono::milliseconds(50));
    {
        std::lock_guard lock(m_mutex);
        if (!m_waiting.empty() && m_waitingLength + length > kMaxWaiting) {
            return true; // merged into the tones already waiting
        }
        m_waiting.push_back(Tone{wave, flags, length});
        m_waitingLength += length;
        if (!m_thread.joinable()) {
            m_thread = std::thread([this] { run(); });
        }
    }
    m_wake.notify_one();
    return true;
}

void SoundQueue::waitIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_waiting.empty() && !m_playing; });
}

void SoundQueue::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
        if (m_stop) {
            return;
        }
        const Tone tone = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_waitingLength -= tone.length;
        m_playing = true;
        lock.unlock();
        m_output.playWave(tone.wave, tone.flags);
        lock.lock();
        m_playing = false;
        if (m_waiting.empty()) {
            m_idle.notify_all();
        }
    }
}

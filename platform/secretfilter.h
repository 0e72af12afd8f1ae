#pragma once

#include <QByteArray>

#include <chrono>
#include <functional>

// Tells which texts are secrets. A text offered beside the password-manager hint is one; some
// desktops publish the same text again without the hint when the password manager clears the
// clipboard, so the last such text stays a secret for a while. Only its hash is kept.
class SecretFilter {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kMemory{60};

    explicit SecretFilter(Clock clock = std::chrono::steady_clock::now) : m_clock(std::move(clock)) {}

    // marked: the content offered the hint type. True when the text must not be stored.
    bool isSecret(const QByteArray& text, bool marked);

private:
    Clock m_clock;
    QByteArray m_hash;
    qsizetype m_size = 0;
    std::chrono::steady_clock::time_point m_at;
};

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstring>
#include <utility>

// The box's line rules: every line ends in CR LF, a lone LF stays inside its line.

// Passes the bytes of a UTF-8 text on by the line rules: a lone CR becomes CR LF, a lone LF
// stays, and a last line without a line end gets one. CR and LF never occur inside a UTF-8
// sequence, so the bytes need no decoding. Small pieces are gathered, large ones go through
// as they are.
template <typename Sink> bool feedByLineRules(QByteArrayView in, Sink&& sink) {
    const char* p = in.data();
    const qsizetype n = in.size();
    if (n == 0) {
        return true;
    }
    QByteArray gathered;
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    const auto put = [&](const char* data, qsizetype size) {
        if (size >= kPiece) {
            return (gathered.isEmpty() || sink(std::exchange(gathered, {}))) &&
                   sink(QByteArrayView(data, size));
        }
        gathered.append(data, size);
        return gathered.size() < kPiece || sink(std::exchange(gathered, {}));
    };
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        const void* cr = std::memchr(p + i, '\r', size_t(n - i));
        if (!cr) {
            break;
        }
        const qsizetype at = static_cast<const char*>(cr) - p;
        i = at + 1;
        if (i < n && p[i] == '\n') {
            ++i;
            continue;
        }
        if (!put(p + start, i - start) || !put("\n", 1)) {
            return false;
        }
        start = i;
    }
    if (start < n && !put(p + start, n - start)) {
        return false;
    }
    const bool closed = p[n - 1] == '\r' || (n >= 2 && p[n - 2] == '\r' && p[n - 1] == '\n');
    if (!closed && !put("\r\n", 2)) {
        return false;
    }
    return gathered.isEmpty() || sink(gathered);
}

// A lone CR becomes CR LF, as typing Return makes it.
inline QByteArray withLineEnds(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (!bytes.contains('\r')) {
        return bytes;
    }
    QByteArray out;
    out.reserve(bytes.size() + 16);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
            out += '\n';
        }
    }
    return out;
}

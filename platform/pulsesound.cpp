#include "platform/pulsesound.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <cstring>
#include <optional>
#include <thread>

namespace {

struct Pcm {
    pa_sample_spec spec{};
    QByteArray samples;
};

quint32 le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

quint16 le16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | u[1] << 8);
}

std::optional<Pcm> parseWave(const QByteArray& wave) {
    if (wave.size() < 12 || std::memcmp(wave.constData(), "RIFF", 4) != 0 ||
        std::memcmp(wave.constData() + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    Pcm pcm;
    bool haveFormat = false;
    qsizetype pos = 12;
    while (pos + 8 <= wave.size()) {
        const char* chunk = wave.constData() + pos;
        const qsizetype size = le32(chunk + 4);
        const qsizetype body = pos + 8;
        if (size > wave.size() - body) {
            return std::nullopt;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            const quint16 tag = le16(chunk + 8);
            const quint16 channels = le16(chunk + 10);
            const quint32 rate = le32(chunk + 12);
            const quint16 bits = le16(chunk + 22);
            if (tag != 1 || channels == 0 || rate == 0 || (bits != 8 && bits != 16)) {
                return std::nullopt;
            }
            pcm.spec.format = bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
            pcm.spec.channels = quint8(channels);
            pcm.spec.rate = rate;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            pcm.samples = wave.mid(body, size);
        }
        pos = body + size + (size & 1);
    }
    if (!haveFormat || pcm.samples.isEmpty()) {
        return std::nullopt;
    }
    return pcm;
}

bool play(const Pcm& pcm) {
    int error = 0;
    // A short buffer: draining then waits for the tone, not for the sink's whole latency.
    pa_buffer_attr attr;
    attr.maxlength = ~0u;
    attr.tlength = quint32(pa_usec_to_bytes(50000, &pcm.spec));
    attr.prebuf = ~0u;
    attr.minreq = ~0u;
    attr.fragsize = ~0u;
    pa_simple* stream = pa_simple_new(nullptr, "Snapwell", PA_STREAM_PLAYBACK, nullptr, "Bestaetigung",
                                      &pcm.spec, nullptr, &attr, &error);
    if (!stream) {
        return false;
    }
    bool ok = pa_simple_write(stream, pcm.samples.constData(), size_t(pcm.samples.size()), &error) == 0;
    ok = ok && pa_simple_drain(stream, &error) == 0;
    pa_simple_free(stream);
    return ok;
}

} // namespace

bool PulseSound::playWave(const QByteArray& wave, unsigned flags) {
    std::optional<Pcm> pcm = parseWave(wave);
    if (!pcm) {
        return false;
    }
    if (flags & Async) {
        std::thread([p = std::move(*pcm)] { play(p); }).detach();
        return true;
    }
    return play(*pcm);
}

#include "capture/sound.h"

#include "platform/soundoutput.h"

#include <QFile>

using namespace Qt::StringLiterals;

void PlayCaptureSignal(bool signalsOn, SoundOutput& sound) {
    if (signalsOn) {
        PlayWaveResource(sound, u"CLIP"_s);
    }
}

void PlayWaveResource(SoundOutput& sound, const QString& id, std::optional<unsigned> flags) {
    // Resources of type WAVE live in the program's resources as <id>.wav.
    QFile resource(u":/"_s + id.toLower() + u".wav"_s);
    if (!resource.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray wave = resource.readAll();
    if (wave.isEmpty()) {
        return;
    }
    unsigned f = flags.value_or(6u);
    f |= SoundOutput::Memory;
    sound.playWave(wave, f);
}

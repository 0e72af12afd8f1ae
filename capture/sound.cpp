#include "capture/sound.h"

#include "platform/platform.h"
#include "ui/main/form1.h"

#include <QCheckBox>
#include <QFile>

using namespace Qt::StringLiterals;

void PlayCaptureSignal(Form1& form1) {
    if (form1.Option3D8->isChecked()) {
        PlayWaveResource(*form1.platform().sound, u"CLIP"_s);
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

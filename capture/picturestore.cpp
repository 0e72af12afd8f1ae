// Picture storage of the capture cycle and the desktop snapshot sequence.
#include "app/appstate.h"
#include "capture/capturecycle.h"
#include "capture/numbering.h"
#include "capture/sound.h"
#include "platform/platform.h"
#include "ui/main/form1.h"
#include "ui/main/widgets.h"

#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// BMP keeps no alpha: transparent pixels are laid on white, not on black.
QImage flattenOnWhite(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
    }
    QImage out(image.size(), QImage::Format_RGB888);
    if (out.isNull()) {
        return out;
    }
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    p.end();
    return out;
}

} // namespace

// Writes the picture as a 24-bit Windows bitmap into the claimed file; a file that could not
// be written whole is removed again.
bool CaptureCycle::savePicture(const QImage& image, QFile& file, QString* error) {
    const QImage flat = flattenOnWhite(image);
    QImageWriter writer(&file, "BMP");
    bool ok = !flat.isNull() && writer.write(flat) && file.flush();
    if (!ok) {
        *error = flat.isNull() ? u"zu wenig Speicher"_s : writer.errorString();
    }
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    if (!ok) {
        if (error->isEmpty()) {
            *error = file.errorString();
        }
        file.remove();
    }
    return ok;
}

CaptureCycle::Next CaptureCycle::storeBitmap(Clipboard::Kind kind) {
    showPicturePanel();
    const QImage image = clipImage(kind);
    if (image.isNull() || image.width() == 0 || image.height() == 0) {
        m_form1.setHint(u"FEHLER: Das Bild in der Zwischenablage kann nicht gelesen werden."_s);
        return Next::Counters;
    }
    m_form1.Anzeige1->setImage(image);
    const bool screenshot = m_state.ScreenshotPending == 1;
    QFile file;
    const QString name = claimNumberedFile(m_state.SavePath, m_form1.Datei2.listCount(),
                                           screenshot ? u"scr"_s : QString(), u".bmp"_s, file);
    m_form1.Frame3D9->hide();
    QString error;
    const bool ok = name.isEmpty() ? (error = file.errorString(), false) : savePicture(image, file, &error);
    if (!ok) {
        // The picture stays on the clipboard and is stored at a later tick.
        m_form1.setHint(u"FEHLER: Bild konnte nicht gespeichert werden (%1)"_s.arg(error));
        return Next::Counters;
    }
    m_form1.setHint((screenshot ? u"Screenshot gespeichert als: "_s : u"Datei gespeichert als: "_s) +
                    name.toUpper());
    m_state.ScreenshotPending = 0;
    PlayCaptureSignal(m_form1);
    clearClipboard();
    m_form1.Datei2.refresh();
    return Next::ClearClipboard;
}

CaptureCycle::Next CaptureCycle::storeMetafile() {
    showPicturePanel();
    const QImage image = clipImage(Clipboard::Kind::Metafile);
    if (image.isNull() || image.width() == 0 || image.height() == 0) {
        m_form1.setHint(u"FEHLER: Das Bild in der Zwischenablage kann nicht gelesen werden."_s);
        return Next::Counters;
    }
    m_form1.Anzeige1->setImage(image);
    QFile file;
    const QString name =
        claimNumberedFile(m_state.SavePath, m_form1.Datei3.listCount(), QString(), u".bmp"_s, file);
    m_form1.Frame3D9->hide();
    QString error;
    const bool ok = name.isEmpty() ? (error = file.errorString(), false) : savePicture(image, file, &error);
    if (!ok) {
        m_form1.setHint(u"FEHLER: Bild konnte nicht gespeichert werden (%1)"_s.arg(error));
        return Next::Counters;
    }
    PlayCaptureSignal(m_form1);
    clearClipboard();
    m_form1.setHint(u"BMP-Datei gespeichert als: "_s + name.toUpper());
    m_form1.Datei3.refresh();
    return Next::ClearClipboard;
}

void CaptureCycle::Command2_Click() {
    m_form1.focusSink();
    m_form1.hide();
    m_state.ScreenshotPending = 1;
    m_state.ScreenshotTicks = 0;
    m_form1.Timer1->start();
}

void CaptureCycle::Timer1_Timer() {
    if (m_state.ScreenshotTicks == 3) {
        if (!m_platform.desktop->snapshotToClipboard()) {
            m_form1.setHint(u"FEHLER: Diese Arbeitsumgebung erlaubt kein Bildschirmfoto."_s);
        }
        m_state.ScreenshotTicks = 4;
    } else if (m_state.ScreenshotTicks == 5) {
        m_form1.show();
        m_state.ScreenshotTicks = 0;
        m_form1.Timer1->stop();
    } else {
        ++m_state.ScreenshotTicks;
    }
}

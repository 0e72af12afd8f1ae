// Picture storage of the capture cycle and the desktop snapshot sequence.
#include "app/appstate.h"
#include "capture/bmpfile.h"
#include "capture/capturecycle.h"
#include "capture/numbering.h"
#include "capture/sound.h"
#include "platform/platform.h"
#include "ui/main/form1.h"
#include "ui/main/widgets.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// The hint for a picture that cannot be stored at all; empty when it can.
QString refusal(const QImage& image, const Clipboard& clipboard) {
    Clipboard::ImageFault fault = Clipboard::ImageFault::None;
    if (image.isNull()) {
        fault = clipboard.imageFault();
        if (fault == Clipboard::ImageFault::None) {
            fault = Clipboard::ImageFault::Unreadable;
        }
    } else if (qint64(image.width()) * image.height() > Clipboard::kMaxImagePixels) {
        fault = Clipboard::ImageFault::TooLarge;
    }
    switch (fault) {
    case Clipboard::ImageFault::None:
        return {};
    case Clipboard::ImageFault::TooLarge:
        if (const QSize size = image.isNull() ? clipboard.imageSize() : QSize(); size.isValid()) {
            return u"FEHLER: Das Bild ist zu groß (%1 x %2 Pixel) und wurde nicht gespeichert"_s
                .arg(size.width())
                .arg(size.height());
        }
        return u"FEHLER: Das Bild ist zu groß (über %1 Megapixel) und wurde nicht gespeichert"_s.arg(
            Clipboard::kMaxImagePixels / 1000000);
    case Clipboard::ImageFault::NotRenderable:
        return u"FEHLER: Vektorgrafik (z. B. WMF/EMF) ohne lesbare Bildform, nicht gespeichert"_s;
    case Clipboard::ImageFault::Unreadable:
        break;
    }
    return u"FEHLER: Das Bild in der Zwischenablage ist leer oder beschädigt, nicht gespeichert"_s;
}

// A picture kept for a later tick is not drawn again on every tick.
void showPicture(Form1& form1, const QImage& image) {
    if (form1.Anzeige1->image().cacheKey() != image.cacheKey()) {
        form1.Anzeige1->setImage(image);
    }
}

QString notSaved(const QString& name, const QString& why) {
    return u"FEHLER: %1 nicht gespeichert (%2), Bild bleibt in der Zwischenablage"_s.arg(name.toUpper(), why);
}

} // namespace

// Writes the picture into the claimed file as a 24-bit Windows bitmap. A file that could not
// be written whole is removed again; error receives the reason for the hint line.
bool CaptureCycle::savePicture(const QImage& image, QFile& file, QString* error) {
    if (!file.isOpen()) {
        *error = QFileInfo(m_state.SavePath).isDir() ? u"Datei kann nicht angelegt werden"_s
                                                     : u"Verzeichnis fehlt"_s;
        return false;
    }
    bool ok = BmpFile::write(file, image) && file.flush();
    QFileDevice::FileError fault = file.error();
    file.close();
    if (ok && file.error() != QFileDevice::NoError) {
        ok = false;
        fault = file.error();
    }
    if (!ok) {
        switch (fault) {
        case QFileDevice::ResourceError:
            *error = u"Datenträger voll"_s;
            break;
        case QFileDevice::NoError:
            *error = u"zu wenig Speicher"_s;
            break;
        default:
            *error = u"Schreibfehler"_s;
            break;
        }
        QFile::remove(file.fileName());
    }
    return ok;
}

CaptureCycle::Next CaptureCycle::storeBitmap(Clipboard::Kind kind) {
    showPicturePanel();
    const QImage image = clipImage(kind);
    if (const QString refused = refusal(image, *m_platform.clipboard); !refused.isEmpty()) {
        // Such a picture can never be stored: it leaves the clipboard like data of no interest.
        m_form1.setHint(refused);
        return Next::ClearClipboard;
    }
    showPicture(m_form1, image);
    const bool screenshot = m_state.ScreenshotPending == 1;
    const QString prefix = screenshot ? u"scr"_s : QString();
    const int count = m_form1.Datei2.listCount();
    QFile file;
    const QString name = claimNumberedFile(m_state.SavePath, count, prefix, u".bmp"_s, file);
    QString error;
    if (!savePicture(image, file, &error)) {
        // Not confirmed and not cleared: the picture stays and a later tick stores it.
        m_form1.setHint(notSaved(name.isEmpty() ? prefix + numberText(count) + u".bmp"_s : name, error));
        return Next::Counters;
    }
    // The sound confirms a picture that is on disk.
    PlayCaptureSignal(m_form1);
    m_form1.setHint((screenshot ? u"Screenshot gespeichert als: "_s : u"Datei gespeichert als: "_s) +
                    name.toUpper());
    m_state.ScreenshotPending = 0;
    clearClipboard();
    m_form1.Datei2.refresh();
    return Next::ClearClipboard;
}

// A vector picture is stored as a real bitmap rendered from it, under the number the "*.wmf"
// files give, and leaves a pending screenshot pending.
CaptureCycle::Next CaptureCycle::storeMetafile() {
    showPicturePanel();
    const QImage image = clipImage(Clipboard::Kind::Metafile);
    if (const QString refused = refusal(image, *m_platform.clipboard); !refused.isEmpty()) {
        m_form1.setHint(refused);
        return Next::ClearClipboard;
    }
    showPicture(m_form1, image);
    const int count = m_form1.Datei3.listCount();
    QFile file;
    const QString name = claimNumberedFile(m_state.SavePath, count, QString(), u".bmp"_s, file);
    QString error;
    if (!savePicture(image, file, &error)) {
        m_form1.setHint(notSaved(name.isEmpty() ? numberText(count) + u".bmp"_s : name, error));
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
            // The request stays pending, as for a snapshot that is late: the next bitmap
            // gets the "scr" name.
            m_form1.setHint(
                u"FEHLER: Diese Arbeitsumgebung erlaubt kein Bildschirmfoto (z. B. reines Wayland)"_s);
        }
        m_state.ScreenshotTicks = 4;
    } else if (m_state.ScreenshotTicks == 5) {
        // A desktop that takes the picture itself is answered first: the window stays out of it.
        if (m_platform.desktop->snapshotBusy()) {
            return;
        }
        m_form1.show();
        m_state.ScreenshotTicks = 0;
        m_form1.Timer1->stop();
    } else {
        ++m_state.ScreenshotTicks;
    }
}

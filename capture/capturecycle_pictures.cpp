// Picture storage of the capture cycle and the desktop snapshot sequence.
#include "app/appstate.h"
#include "capture/capturecycle.h"
#include "capture/captureview.h"
#include "capture/sound.h"
#include "platform/logging.h"
#include "platform/platform.h"

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

} // namespace

// Bitmaps (a snapshot gets the "scr" prefix) and vector pictures, which are stored as a real
// bitmap rendered from them, under the number the "*.wmf" files give, and leave a pending
// snapshot pending.
CaptureCycle::Next CaptureCycle::takePicture(Clipboard::Kind kind) {
    // The built-in picture goes too, also for a picture that is then refused: only one of
    // the three panels is ever shown.
    m_view.showArea(CaptureView::Area::Picture);
    const QImage image = clipImage(kind);
    if (const QString refused = refusal(image, *m_platform.clipboard); !refused.isEmpty()) {
        // Such a picture can never be stored: it leaves the clipboard like data of no interest.
        qCInfo(lcCapture) << "picture not taken:" << refused;
        m_view.setHint(refused);
        return Next::ClearClipboard;
    }
    // A picture kept for a later tick is not drawn again on every tick.
    if (m_shownImage != image.cacheKey()) {
        m_shownImage = image.cacheKey();
        m_view.showPicture(image);
    }
    if (m_pictureCount == m_count) {
        // Already on its way to the disk, or waiting there for another try.
        return Next::Counters;
    }
    m_pictureCount = m_count;
    Piece piece;
    piece.kind = kind == Clipboard::Kind::Metafile ? Piece::Kind::Metafile : Piece::Kind::Bitmap;
    piece.dir = m_state.SavePath;
    piece.image = image;
    // The first bitmap after the request is the snapshot, whatever becomes of its write.
    if (piece.kind == Piece::Kind::Bitmap && m_screenshotPending) {
        piece.prefix = u"scr"_s;
        m_screenshotPending = false;
    }
    piece.session = m_session;
    qCDebug(lcCapture) << "picture taken:" << image.size() << (piece.prefix.isEmpty() ? "" : "(snapshot)");
    piece.clipCount = m_count;
    m_store.enqueue(std::move(piece));
    // The clipboard is cleared once the picture is on the disk.
    return Next::Counters;
}

void CaptureCycle::pictureWritten(const Piece& piece, const WriteResult& result) {
    const bool metafile = piece.kind == Piece::Kind::Metafile;
    if (!result.ok) {
        // Not confirmed and not cleared: the picture stays, and the next tick tries again.
        m_view.setHint(u"FEHLER: %1 nicht gespeichert (%2), Bild bleibt in der Zwischenablage"_s.arg(
            result.name.toUpper(), m_view.describe(result.error)));
        return;
    }
    // The sound confirms a picture that is on disk.
    PlayCaptureSignal(m_view.soundOption(), m_sound);
    const QString where = storedWhere(piece, result);
    if (metafile) {
        m_view.setHint(u"BMP-Datei gespeichert als: "_s + result.name.toUpper() + where);
    } else if (!piece.prefix.isEmpty()) {
        m_view.setHint(u"Screenshot gespeichert als: "_s + result.name.toUpper() + where);
    } else {
        m_view.setHint(u"Datei gespeichert als: "_s + result.name.toUpper() + where);
    }
    m_noticeCount = ~quint64(0);
    // Only the picture itself leaves the clipboard, not what was copied after it.
    if (m_platform.clipboard->changeCount() == piece.clipCount) {
        clearClipboard();
    }
}

void CaptureCycle::Command2_Click() {
    m_view.focusSink();
    m_view.setWindowShown(false);
    m_screenshotPending = true;
    m_screenshotTicks = 0;
    m_view.setSnapshotTimer(true);
}

void CaptureCycle::Timer1_Timer() {
    if (m_screenshotTicks == 3) {
        if (!m_platform.desktop->snapshotToClipboard()) {
            // The request stays pending, as for a snapshot that is late: the next bitmap
            // gets the "scr" name.
            m_view.setHint(
                u"FEHLER: Diese Arbeitsumgebung erlaubt kein Bildschirmfoto (z. B. reines Wayland)"_s);
        }
        m_screenshotTicks = 4;
    } else if (m_screenshotTicks == 5) {
        // A desktop that takes the picture itself is answered first: the window stays out of it.
        if (m_platform.desktop->snapshotBusy()) {
            return;
        }
        m_view.setWindowShown(true);
        m_screenshotTicks = 0;
        m_view.setSnapshotTimer(false);
    } else {
        ++m_screenshotTicks;
    }
}

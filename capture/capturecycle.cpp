#include "capture/capturecycle.h"

#include "app/appstate.h"
#include "capture/captureview.h"
#include "platform/logging.h"
#include "platform/platform.h"

#include <QDir>
#include <QTimer>

using namespace Qt::StringLiterals;

CaptureCycle::CaptureCycle(AppState& state, Platform& platform, CaptureView& view, QObject* parent)
    : QObject(parent), m_state(state), m_platform(platform), m_view(view), m_sound(*platform.sound) {
    connect(m_platform.clipboard.get(), &Clipboard::changed, this, &CaptureCycle::onClipboardChanged);
    connect(&m_store, &CollectionStore::written, this, &CaptureCycle::written);
    // A snapshot the desktop refuses later: the request stays pending, as for one that is late.
    m_platform.desktop->onSnapshotFailed = [this](SnapshotFault why) {
        m_view.setHint(m_view.describe(why));
    };
}

CaptureCycle::~CaptureCycle() {
    m_platform.desktop->onSnapshotFailed = nullptr;
}

void CaptureCycle::onClipboardChanged() {
    // Run the step once the change has been delivered, not inside the clipboard's own signal;
    // several changes in a row make one step.
    if (!m_view.monitoringActive() || m_stepPending) {
        return;
    }
    m_stepPending = true;
    QTimer::singleShot(0, this, [this] {
        m_stepPending = false;
        if (!m_view.monitoringActive()) {
            return;
        }
        refreshCache();
        // An empty clipboard (our own clearing among others) has nothing to store: leave it
        // to the next tick, so clearing never feeds a loop of steps.
        if (!m_empty) {
            captureStep();
        }
    });
}

void CaptureCycle::clearClipboard() {
    m_platform.clipboard->clear();
}

void CaptureCycle::refreshCache() {
    const quint64 count = m_platform.clipboard->changeCount();
    if (count == m_count) {
        return;
    }
    Clipboard& cb = *m_platform.clipboard;
    m_count = count;
    m_readFailed = cb.readFailed();
    m_secret = !m_readFailed && cb.isSecret();
    m_has[0] = cb.has(Clipboard::Kind::Text);
    m_has[1] = cb.has(Clipboard::Kind::Bitmap);
    m_has[2] = cb.has(Clipboard::Kind::Dib);
    m_has[3] = cb.has(Clipboard::Kind::Metafile);
    m_empty = !(m_has[0] || m_has[1] || m_has[2] || m_has[3]) && cb.isEmpty();
    m_haveText = false;
    m_text = {};
    m_haveImage = false;
    m_image = QImage();
}

const Clipboard::TextResult& CaptureCycle::clipText() {
    if (!m_haveText) {
        m_text = m_platform.clipboard->text(m_maxTextBytes);
        m_haveText = true;
    }
    return m_text;
}

QImage CaptureCycle::clipImage(Clipboard::Kind kind) {
    if (!m_haveImage || m_imageKind != kind) {
        m_image = m_platform.clipboard->image(kind);
        m_imageKind = kind;
        m_haveImage = true;
    }
    return m_image;
}

// A hint about the clipboard's content: once per change, not on every tick.
void CaptureCycle::notice(const QString& hint, const QString& logged) {
    if (m_noticeCount != m_count) {
        m_noticeCount = m_count;
        qCInfo(lcCapture).noquote() << "not taken:" << (logged.isEmpty() ? hint : logged);
        m_view.setHint(hint);
    }
}

QString CaptureCycle::shownText(const QString& text, bool showEnd) {
    QString shown = text;
    if (text.size() > kMaxShown) {
        const QString note = u"[... Anzeige gekürzt, vollständig gespeichert ...]"_s;
        shown = showEnd ? note + u'\n' + text.right(kMaxShown) : text.left(kMaxShown) + u'\n' + note;
    }
    // Cut every line that is longer than the box can usefully show.
    qsizetype start = 0;
    while (start < shown.size()) {
        qsizetype end = shown.indexOf(u'\n', start);
        if (end < 0) {
            end = shown.size();
        }
        if (end - start > kMaxShownLine) {
            shown.replace(start + kMaxShownLine, end - start - kMaxShownLine, u" [...]"_s);
            end = start + kMaxShownLine + 6;
        }
        start = end + 1;
    }
    return shown;
}

void CaptureCycle::showText(const QString& text, bool showEnd) {
    m_text1Collected = ~quint64(0);
    m_view.showText(shownText(text, showEnd));
}

void CaptureCycle::Zeit1_Timer() {
    if (m_blinkPhase == 1) {
        m_view.blink(m_state.AppTitle, m_state.BlinkColor2);
        m_blinkPhase = 0;
    } else {
        m_view.blink(m_state.AppTitle + u"   A K T I V"_s, m_state.BlinkColor1);
        m_blinkPhase = 1;
    }
    // A piece that could not be written is tried again, still ahead of all later ones.
    m_store.retry();
    captureStep(true);
}

void CaptureCycle::switched() {
    m_platform.clipboard->clearNow();
    ++m_session;
    m_blinkPhase = 0;
    m_screenshotPending = false;
}

void CaptureCycle::captureStep(bool tick) {
    refreshCache();
    if (m_readFailed) {
        // The owner did not hand its content over: said once, not asked again.
        notice(u"Der Inhalt der Zwischenablage konnte nicht gelesen werden"_s);
        return;
    }
    if (m_secret) {
        // A password: neither stored, nor shown, nor taken away from the user.
        notice(u"Kennwort erkannt - nicht gespeichert"_s);
        return;
    }
    int code = 0;
    if (m_has[0]) {
        code = 10;
    }
    if (m_has[1]) {
        code = 11;
    }
    if (m_has[2]) {
        code = 12;
    }
    if (m_has[3]) {
        code = 13;
    }

    Next next = Next::ClearClipboard;
    switch (code) {
    case 10:
        next = textBranch(tick);
        break;
    case 11:
        next = takePicture(Clipboard::Kind::Bitmap);
        break;
    case 12:
        next = takePicture(Clipboard::Kind::Dib);
        break;
    case 13:
        next = takePicture(Clipboard::Kind::Metafile);
        break;
    default:
        break;
    }
    if (next == Next::EndTick) {
        return;
    }
    // Clearing an already empty clipboard would change nothing but wake every client.
    if (next == Next::ClearClipboard && !m_empty) {
        clearClipboard();
    }
    showCountersStep();
}

void CaptureCycle::showCountersStep() {
    m_view.showCounts(m_store.counts());
}

QString CaptureCycle::storedWhere(const Piece& piece, const WriteResult& result) {
    // The hint line has room for a short note only: the full path and the reason go to the log.
    QString where;
    if (piece.followed) {
        // It waited, and the user chose another collection directory meanwhile.
        where += u" (wartete, jetzt in "_s + QDir(piece.dir).dirName() + u')';
        qCInfo(lcCapture) << "a waiting piece went to the new collection directory" << piece.dir;
    }
    if (result.unguarded) {
        where += u" - ohne Absturzschutz"_s;
        qCWarning(lcCapture) << "crash protection off in" << piece.dir << "- the guard beside"
                             << kCollectionFileName << "there is not the program's own";
    }
    return where;
}

void CaptureCycle::written(const Piece& piece, const WriteResult& result) {
    if (piece.kind == Piece::Kind::Collection || piece.kind == Piece::Kind::SingleText) {
        textWritten(piece, result);
    } else {
        pictureWritten(piece, result);
    }
}

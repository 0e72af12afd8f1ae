#include "capture/capturecycle.h"

#include "app/appstate.h"
#include "platform/platform.h"
#include "ui/main/form1.h"
#include "ui/main/widgets.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>

using namespace Qt::StringLiterals;

CaptureCycle::CaptureCycle(AppState& state, Platform& platform, Form1& form1)
    : QObject(&form1), m_state(state), m_platform(platform), m_form1(form1) {
    connect(m_platform.clipboard.get(), &Clipboard::changed, this, &CaptureCycle::onClipboardChanged);
    // A snapshot the desktop refuses later: the request stays pending, as for one that is late.
    m_platform.desktop->onSnapshotFailed = [this](const QString& why) { m_form1.setHint(why); };
}

CaptureCycle::~CaptureCycle() {
    m_platform.desktop->onSnapshotFailed = nullptr;
}

void CaptureCycle::onClipboardChanged() {
    // Run the step once the change has been delivered, not inside the clipboard's own signal;
    // several changes in a row make one step.
    if (!m_form1.Zeit1->isActive() || m_stepPending) {
        return;
    }
    m_stepPending = true;
    QTimer::singleShot(0, this, [this] {
        m_stepPending = false;
        if (!m_form1.Zeit1->isActive()) {
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

void CaptureCycle::showInText1(const QString& text, bool showEnd) {
    if (text.size() <= kMaxShown) {
        m_form1.Text1->setPlainText(text);
    } else {
        const QString note =
            u"[... Anzeige gekürzt: %1 Zeichen, vollständig gespeichert ...]"_s.arg(text.size());
        m_form1.Text1->setPlainText(showEnd ? note + u'\n' + text.right(kMaxShown)
                                            : text.left(kMaxShown) + u'\n' + note);
    }
    m_text1Count = ~quint64(0);
}

void CaptureCycle::Zeit1_Timer() {
    if (m_state.BlinkPhase == 1) {
        m_form1.setWindowTitle(m_state.AppTitle);
        m_form1.setIndicatorColor(m_state.BlinkColor2);
        m_state.BlinkPhase = 0;
    } else {
        m_form1.setWindowTitle(m_state.AppTitle + u"   A K T I V"_s);
        m_form1.setIndicatorColor(m_state.BlinkColor1);
        m_state.BlinkPhase = 1;
    }
    captureStep();
}

void CaptureCycle::captureStep() {
    refreshCache();
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
        next = textBranch();
        break;
    case 11:
        next = storeBitmap(Clipboard::Kind::Bitmap);
        break;
    case 12:
        next = storeBitmap(Clipboard::Kind::Dib);
        break;
    case 13:
        next = storeMetafile();
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
    m_form1.showCounters();
}

void CaptureCycle::showTextPanel() {
    m_form1.Frame3D9->hide();
    m_form1.Frame3D2->show();
    m_form1.Frame3D1->hide();
}

void CaptureCycle::showPicturePanel() {
    // The built-in picture goes too, also for a picture that is then refused: only one of
    // the three panels is ever shown.
    m_form1.Frame3D9->hide();
    m_form1.Frame3D2->hide();
    m_form1.Frame3D1->show();
}

CaptureCycle::Next CaptureCycle::textBranch() {
    const Clipboard::TextResult& clip = clipText();
    if (clip.tooLarge) {
        m_form1.setHint(
            u"Der Text in der Zwischenablage ist zu groß (über %1 MB) und wurde nicht gespeichert!"_s.arg(
                m_maxTextBytes / (1024 * 1024)));
        return Next::EndTick;
    }
    const QString& text = clip.text;
    if (m_text1Count != m_count) {
        showInText1(text);
        m_text1Count = m_count;
    }
    // Same data, same size: no need to compare megabytes character by character.
    const bool same = (text.constData() == m_state.LastClipText.constData() &&
                       text.size() == m_state.LastClipText.size()) ||
                      text == m_state.LastClipText;
    if (same) {
        // The same text read anew (copied again): keep this copy, so that the ticks while it
        // stays compare by identity instead of character by character.
        m_state.LastClipText = text;
        return Next::EndTick;
    }
    const bool collect = m_form1.Option3D1->isChecked();
    if (!collect && !m_form1.Option3D2->isChecked()) {
        return Next::ClearClipboard;
    }
    // Both modes read the text once more; an unchanged clipboard gives the same text.
    const QString work = clipText().text;
    if (work.isEmpty()) {
        return Next::Counters;
    }
    return collect ? storeCollection(work) : storeSingleFile(work);
}

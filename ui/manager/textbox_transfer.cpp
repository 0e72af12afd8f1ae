// TextBox: what goes into the box and out of it, the screen breaks kept out of the text.
// Paste, a drop and a middle-click paste break the over-long lines they bring; whatever the
// editor hands out leaves the breaks out; Backspace and Delete take the text's characters.
#include "ui/manager/textbox.h"

#include <QDropEvent>
#include <QMimeData>

#include <cstring>

void TextBox::paste() {
    breakingInserts([this] { QsciScintilla::paste(); });
}

namespace {
// The mouse event without Ctrl and Alt, with which the editor would begin a rectangle.
template <typename Handler> void plainMouse(QMouseEvent* event, Handler&& handle) {
    const Qt::KeyboardModifiers rectangle = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (!(event->modifiers() & rectangle)) {
        handle(event);
        return;
    }
    QMouseEvent plain(event->type(), event->position(), event->scenePosition(), event->globalPosition(),
                      event->button(), event->buttons(), event->modifiers() & ~rectangle,
                      event->pointingDevice());
    handle(&plain);
    event->setAccepted(plain.isAccepted());
}
} // namespace

void TextBox::mousePressEvent(QMouseEvent* event) {
    plainMouse(event, [this](QMouseEvent* plain) {
        if (plain->button() == Qt::MiddleButton) {
            breakingInserts([this, plain] { QsciScintilla::mousePressEvent(plain); });
            return;
        }
        QsciScintilla::mousePressEvent(plain);
    });
}

void TextBox::mouseMoveEvent(QMouseEvent* event) {
    plainMouse(event, [this](QMouseEvent* plain) { QsciScintilla::mouseMoveEvent(plain); });
}

void TextBox::mouseReleaseEvent(QMouseEvent* event) {
    plainMouse(event, [this](QMouseEvent* plain) { QsciScintilla::mouseReleaseEvent(plain); });
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* event) {
    plainMouse(event, [this](QMouseEvent* plain) { QsciScintilla::mouseDoubleClickEvent(plain); });
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    // What the input method replaces may hold a break.
    SendScintilla(SCI_BEGINUNDOACTION);
    QsciScintilla::inputMethodEvent(event);
    SendScintilla(SCI_ENDUNDOACTION);
}

void TextBox::overBreaks(bool forward) {
    const qsizetype caret = SendScintilla(SCI_GETCURRENTPOS);
    if (!m_breaks.any() || caret != qsizetype(SendScintilla(SCI_GETANCHOR))) {
        return;
    }
    qsizetype at = caret;
    while (forward ? m_breaks.at(at) : at > 0 && m_breaks.at(at - 1)) {
        at += forward ? 1 : -1;
    }
    if (at != caret) {
        SendScintilla(SCI_SETEMPTYSELECTION, ulong(at));
    }
}

void TextBox::dropEvent(QDropEvent* event) {
    breakingInserts([this, event] { QsciScintilla::dropEvent(event); });
}

void TextBox::breakingInserts(const std::function<void()>& insert) {
    SendScintilla(SCI_BEGINUNDOACTION);
    m_inserts.emplace();
    insert();
    const auto inserts = *std::exchange(m_inserts, std::nullopt);
    // The editor selects a drop and puts the caret after a paste; both move with the breaks.
    qsizetype anchor = SendScintilla(SCI_GETANCHOR);
    qsizetype caret = SendScintilla(SCI_GETCURRENTPOS);
    for (auto it = inserts.rbegin(); it != inserts.rend(); ++it) {
        const auto [at, length] = *it;
        const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
        const qsizetype added = m_breaks.insert(at, QByteArray(bytes + at, length), length);
        anchor += anchor >= at + length ? added : 0;
        caret += caret >= at + length ? added : 0;
    }
    if (!inserts.empty()) {
        SendScintilla(SCI_SETSEL, ulong(anchor), long(caret));
    }
    SendScintilla(SCI_ENDUNDOACTION);
}

QMimeData* TextBox::toMimeData(const QByteArray& text, bool rectangular) const {
    // The editor hands over the selected bytes as they lie in the box, breaks and all.
    if (m_breaks.any() && SendScintilla(SCI_GETSELECTIONS) == 1) {
        const qsizetype from = SendScintilla(SCI_GETSELECTIONSTART);
        const qsizetype to = SendScintilla(SCI_GETSELECTIONEND);
        const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
        if (to - from == text.size() &&
            std::memcmp(bytes + from, text.constData(), size_t(text.size())) == 0) {
            return QsciScintilla::toMimeData(m_breaks.without(from, to), false);
        }
    }
    return QsciScintilla::toMimeData(text, rectangular);
}

QByteArray TextBox::fromMimeData(const QMimeData* source, bool& rectangular) const {
    QByteArray text = QsciScintilla::fromMimeData(source, rectangular);
    rectangular = false;
    return text;
}

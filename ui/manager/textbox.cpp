#include "ui/manager/textbox.h"

#include "ui/manager/linerules.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QWheelEvent>

using namespace Qt::StringLiterals;

namespace {

// The editor's own accessibility interface turns every caret position into a character
// count from the start of the text, at each move: in a text of many megabytes that costs a
// noticeable pause per key. The box offers the plain widget interface instead; installed
// before the editor's own, it is found first.
QAccessibleInterface* plainAccessible(const QString& className, QObject* object) {
    if (className == u"TextBox"_s && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::EditableText);
    }
    return nullptr;
}

void installAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(plainAccessible);
        return true;
    }();
    (void)installed;
}

} // namespace

TextBox::TextBox(QWidget* parent) : QsciScintilla((installAccessible(), parent)) {
    setUtf8(true);
    setEolMode(EolWindows);
    setWrapMode(WrapNone);
    for (int margin = 0; margin < 5; ++margin) {
        setMarginWidth(margin, 0);
    }
    SendScintilla(SCI_SETMARGINLEFT, 0, 4L);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1UL);
    // The horizontal range grows with the widest line shown so far; a new text starts afresh.
    resetScrollWidth();
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);
    bindKeys();
    // Plain text: nothing to colour, so nothing is scanned ahead of what is shown.
    SendScintilla(SCI_SETLEXER, ulong(SCLEX_NULL));
    // The editor measures a line whole before it shows any of it: about a second for a line of
    // two megabytes. By default it keeps only the caret's line measured and measures the others
    // again at each repaint; keeping every shown line measured makes that once per line.
    SendScintilla(SCI_SETLAYOUTCACHE, ulong(SC_CACHE_PAGE));
    // The editor's library turns the place of every insertion and deletion into a character
    // count from the start of the text, for a notification nobody here listens to: a quarter
    // of a second per key in the middle of a hundred megabytes. The notifications before a
    // change carry no such count; the box takes them as its change signal instead.
    // The actions of our own in the undo history come back through the same notification.
    SendScintilla(SCI_SETMODEVENTMASK, ulong(SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE | SC_MOD_CONTAINER));
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length, int, int, int, int, int token) {
                m_breaks.notified(position, type, length, token);
                if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) {
                    m_search.reset();
                    if (m_inserts && (type & SC_MOD_BEFOREINSERT)) {
                        m_inserts->emplace_back(position, length);
                    }
                    emit textChanged();
                }
            });
    setSelectionBackgroundColor(palette().color(QPalette::Highlight));
    setSelectionForegroundColor(palette().color(QPalette::HighlightedText));
}

void TextBox::bindKeys() {
    SendScintilla(SCI_CLEARALLCMDKEYS);
    const auto bind = [this](int key, int modifiers, int command) {
        SendScintilla(SCI_ASSIGNCMDKEY, ulong(key + (modifiers << 16)), long(command));
    };
    constexpr int none = 0;
    constexpr int shift = SCMOD_SHIFT;
    constexpr int ctrl = SCMOD_CTRL;
    constexpr int ctrlShift = SCMOD_CTRL | SCMOD_SHIFT;
    // Key: alone, with Shift, with Ctrl, with Ctrl+Shift.
    struct Move {
        int key;
        int plain, extend, ctrlPlain, ctrlExtend;
    };
    static constexpr Move moves[] = {
        {SCK_LEFT, SCI_CHARLEFT, SCI_CHARLEFTEXTEND, SCI_WORDLEFT, SCI_WORDLEFTEXTEND},
        {SCK_RIGHT, SCI_CHARRIGHT, SCI_CHARRIGHTEXTEND, SCI_WORDRIGHT, SCI_WORDRIGHTEXTEND},
        {SCK_UP, SCI_LINEUP, SCI_LINEUPEXTEND, SCI_LINESCROLLUP, SCI_PARAUPEXTEND},
        {SCK_DOWN, SCI_LINEDOWN, SCI_LINEDOWNEXTEND, SCI_LINESCROLLDOWN, SCI_PARADOWNEXTEND},
        {SCK_HOME, SCI_HOME, SCI_HOMEEXTEND, SCI_DOCUMENTSTART, SCI_DOCUMENTSTARTEXTEND},
        {SCK_END, SCI_LINEEND, SCI_LINEENDEXTEND, SCI_DOCUMENTEND, SCI_DOCUMENTENDEXTEND},
        {SCK_PRIOR, SCI_PAGEUP, SCI_PAGEUPEXTEND, SCI_PAGEUP, SCI_PAGEUPEXTEND},
        {SCK_NEXT, SCI_PAGEDOWN, SCI_PAGEDOWNEXTEND, SCI_PAGEDOWN, SCI_PAGEDOWNEXTEND},
    };
    for (const Move& m : moves) {
        bind(m.key, none, m.plain);
        bind(m.key, shift, m.extend);
        bind(m.key, ctrl, m.ctrlPlain);
        bind(m.key, ctrlShift, m.ctrlExtend);
    }
    // Copy, cut and paste are the box's own (event), for the breaks on screen.
    static constexpr std::pair<int, int> ctrlLetters[] = {
        {'A', SCI_SELECTALL}, {'Z', SCI_UNDO}, {'Y', SCI_REDO}};
    for (const auto& [letter, command] : ctrlLetters) {
        bind(letter, ctrl, command);
    }
    // Redo as the menu shows it, besides Ctrl+Y.
    bind('Z', ctrlShift, SCI_REDO);
    bind(SCK_DELETE, none, SCI_CLEAR);
    bind(SCK_BACK, none, SCI_DELETEBACK);
    bind(SCK_BACK, shift, SCI_DELETEBACK);
    bind(SCK_RETURN, none, SCI_NEWLINE);
    bind(SCK_RETURN, shift, SCI_NEWLINE);
}

bool TextBox::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F && key->modifiers() == Qt::ControlModifier) {
            emit findAsked();
            return true;
        }
        if (key->key() == Qt::Key_F3 && (key->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier) {
            emit findNextAsked(!(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        const QKeyCombination combo(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
        if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_C) ||
            combo == QKeyCombination(Qt::ControlModifier, Qt::Key_Insert)) {
            copy();
            return true;
        }
        if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_V) ||
            combo == QKeyCombination(Qt::ShiftModifier, Qt::Key_Insert)) {
            paste();
            return true;
        }
        if (combo == QKeyCombination(Qt::ControlModifier, Qt::Key_X) ||
            combo == QKeyCombination(Qt::ShiftModifier, Qt::Key_Delete)) {
            cut();
            return true;
        }
        if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) {
            overBreaks(key->key() == Qt::Key_Delete);
        }
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            const Qt::KeyboardModifiers mods = key->modifiers();
            if (key->key() == Qt::Key_Tab && mods == Qt::ControlModifier) {
                if (!isReadOnly()) {
                    SendScintilla(SCI_REPLACESEL, "\t");
                }
            } else {
                // The editor refuses to give the focus away; the plain widget does not.
                QWidget::focusNextPrevChild(key->key() == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
            }
            return true;
        }
    }
    return QsciScintilla::event(event);
}

void TextBox::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QsciScintilla::wheelEvent(event);
        return;
    }
    QWheelEvent plain(event->position(), event->globalPosition(), event->pixelDelta(), event->angleDelta(),
                      event->buttons(), event->modifiers() & ~Qt::ControlModifier, event->phase(),
                      event->inverted(), event->source());
    QsciScintilla::wheelEvent(&plain);
    event->setAccepted(plain.isAccepted());
}

QMenu* TextBox::createContextMenu() {
    auto* menu = new QMenu(this);
    // The words of Qt's own line edit, which Qt's translations carry.
    const auto add = [menu](const char* text, QKeySequence::StandardKey key, bool enabled,
                            const std::function<void()>& run) {
        QString caption = QCoreApplication::translate("QLineEdit", text);
        if (key != QKeySequence::UnknownKey) {
            caption += u'\t' + QKeySequence(key).toString(QKeySequence::NativeText);
        }
        QAction* action = menu->addAction(caption, menu, run);
        action->setEnabled(enabled);
        return action;
    };
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    add("&Undo", QKeySequence::Undo, editable && isUndoAvailable(), [this] { undo(); });
    add("&Redo", QKeySequence::Redo, editable && isRedoAvailable(), [this] { redo(); });
    menu->addSeparator();
    add("Cu&t", QKeySequence::Cut, editable && selected, [this] { cut(); });
    add("&Copy", QKeySequence::Copy, selected, [this] { copy(); });
    add("&Paste", QKeySequence::Paste, editable && SendScintilla(SCI_CANPASTE) != 0, [this] { paste(); });
    add("Delete", QKeySequence::UnknownKey, editable && selected, [this] { removeSelectedText(); });
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, !isEmpty(), [this] { selectAll(); });
    return menu;
}

void TextBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TextBox::resetScrollWidth() {
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETXOFFSET, 0UL);
}

void TextBox::toTop() {
    SendScintilla(SCI_GOTOPOS, 0UL);
    SendScintilla(SCI_SETFIRSTVISIBLELINE, 0UL);
    resetScrollWidth();
}

void TextBox::setLook(const QFont& font) {
    setFont(font);
    QWidget::setFont(font);
    setColor(Qt::black);
    setPaper(Qt::white);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QString TextBox::text() const {
    return QString::fromUtf8(bytesInPlace());
}

QByteArray TextBox::bytes() const {
    const long length = SendScintilla(SCI_GETLENGTH);
    if (m_breaks.any()) {
        return m_breaks.without(0, length);
    }
    return QByteArray(static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER)), length);
}

QByteArray TextBox::bytesInPlace() const {
    const long length = SendScintilla(SCI_GETLENGTH);
    if (m_breaks.any()) {
        return m_breaks.without(0, length);
    }
    return QByteArray::fromRawData(static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER)),
                                   length);
}

bool TextBox::isEmpty() const {
    return SendScintilla(SCI_GETLENGTH) == 0;
}

qsizetype TextBox::paragraphs() const {
    const long length = SendScintilla(SCI_GETLENGTH);
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return QByteArrayView(bytes, length).count('\r') + 1;
}

void TextBox::setText(const QString& text) {
    cancelLoad();
    // A new text with a new history: nothing of the old one is noted.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_CLEARALL);
    m_breaks.forget();
    m_breaks.insert(0, withLineEnds(text));
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    toTop();
}

void TextBox::makeEmpty() {
    cancelLoad();
    if (!isEmpty()) {
        SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
        SendScintilla(SCI_CLEARALL);
        SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
        SendScintilla(SCI_EMPTYUNDOBUFFER);
    }
    m_breaks.forget();
    resetScrollWidth();
}

void TextBox::appendText(const QString& text) {
    cancelLoad();
    m_breaks.insert(SendScintilla(SCI_GETLENGTH), withLineEnds(text));
}

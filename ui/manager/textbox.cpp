#include "ui/manager/textbox.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QThread>
#include <QWheelEvent>

#include <atomic>
#include <cstring>

using namespace Qt::StringLiterals;

// The editor's interface for filling a document that no view shows yet; its methods may be
// called from another thread, since nothing else touches that document. Implemented in the
// editor's library, so it must not have internal linkage (the compiler would take the calls
// for calls of pure functions). Named as the library names it, so that the type checks of
// the undefined-behaviour sanitizer see the library's own interface.
class ILoader {
public:
    virtual int Release() = 0;
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;

protected:
    ~ILoader() = default;
};

namespace {

// Passes the bytes of a UTF-8 text on by the line rules: a lone CR becomes CR LF, a lone LF
// stays, and a last line without a line end gets one. CR and LF never occur inside a UTF-8
// sequence, so the bytes need no decoding. Small pieces are gathered, large ones go through
// as they are.
template <typename Sink> bool feedByLineRules(QByteArrayView in, Sink&& sink) {
    const char* p = in.data();
    const qsizetype n = in.size();
    if (n == 0) {
        return true;
    }
    QByteArray gathered;
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    const auto put = [&](const char* data, qsizetype size) {
        if (size >= kPiece) {
            return (gathered.isEmpty() || sink(std::exchange(gathered, {}))) &&
                   sink(QByteArrayView(data, size));
        }
        gathered.append(data, size);
        return gathered.size() < kPiece || sink(std::exchange(gathered, {}));
    };
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < n) {
        const void* cr = std::memchr(p + i, '\r', size_t(n - i));
        if (!cr) {
            break;
        }
        const qsizetype at = static_cast<const char*>(cr) - p;
        i = at + 1;
        if (i < n && p[i] == '\n') {
            ++i;
            continue;
        }
        if (!put(p + start, i - start) || !put("\n", 1)) {
            return false;
        }
        start = i;
    }
    if (start < n && !put(p + start, n - start)) {
        return false;
    }
    const bool closed = p[n - 1] == '\r' || (n >= 2 && p[n - 2] == '\r' && p[n - 1] == '\n');
    if (!closed && !put("\r\n", 2)) {
        return false;
    }
    return gathered.isEmpty() || sink(gathered);
}

// Lines longer than this are broken on screen: the editor measures a line whole before it
// draws any of it, about a millisecond per thousand bytes, so a screenful of such lines stays
// within a few dozen milliseconds however long the line in the file is.
constexpr qsizetype kScreenLine = 500;
// A break goes after a blank within this many bytes before the limit, where there is one.
constexpr qsizetype kBlankReach = 100;
// The editor's mark for such breaks.
constexpr int kScreenBreak = 20;

// Passes bytes on with a break (an LF) inserted into every line longer than kScreenLine, and
// notes where each such break lies in the text passed on. Never inside a UTF-8 sequence.
class ScreenBreaker {
public:
    ScreenBreaker(qsizetype offset, qsizetype column) : m_offset(offset), m_column(column) {}

    template <typename Sink> bool feed(QByteArrayView in, Sink&& sink) {
        const char* p = in.data();
        const qsizetype n = in.size();
        qsizetype start = 0;
        qsizetype blank = -1;
        for (qsizetype i = 0; i < n; ++i) {
            const char c = p[i];
            if (c == '\r' || c == '\n') {
                m_column = 0;
                blank = -1;
                continue;
            }
            if (m_column >= kScreenLine && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
                const qsizetype at = blank >= 0 && i - blank <= kBlankReach ? blank + 1 : i;
                if (!sink(QByteArrayView(p + start, at - start)) || !sink(QByteArrayView("\n", 1))) {
                    return false;
                }
                m_offset += at - start;
                breaks.push_back(m_offset);
                ++m_offset;
                start = at;
                m_column = i - at;
                blank = -1;
            }
            if (c == ' ' || c == '\t') {
                blank = i;
            }
            ++m_column;
        }
        m_offset += n - start;
        return start == n || sink(QByteArrayView(p + start, n - start));
    }

    std::vector<qsizetype> breaks;

private:
    qsizetype m_offset;
    qsizetype m_column;
};

// A lone CR becomes CR LF, as typing Return makes it.
QByteArray withLineEnds(const QString& text) {
    QByteArray out;
    const QByteArray bytes = text.toUtf8();
    if (!bytes.contains('\r')) {
        return bytes;
    }
    out.reserve(bytes.size() + 16);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
            out += '\n';
        }
    }
    return out;
}

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

struct TextBox::Job {
    QString path;
    Done done;
    std::atomic<bool> cancelled{false};
    QThread* thread = nullptr;
    TextBox* box = nullptr;
    ILoader* loader = nullptr; // made and filled by the worker, adopted by the GUI thread
    Loaded result;
    std::vector<qsizetype> screenBreaks;
    // Set last by the worker. Qt's finished signal hands the job over as well, but through
    // locks that race checkers cannot see; this pair they can.
    std::atomic<bool> ready{false};

    // Reads the file into the loader; on failure or cancellation the loader is gone, released
    // on the window's thread (by finish() for a loading thread): the editor is not thread-safe.
    void run() {
        result = fill();
        if (!result.ok && loader && !thread) {
            loader->Release();
            loader = nullptr;
        }
        ready.store(true, std::memory_order_release);
    }

    // Room for the text and the line ends the rules may add.
    ILoader* makeLoader(qsizetype size) const {
        return reinterpret_cast<ILoader*>(box->SendScintilla(SCI_CREATELOADER, ulong(size + size / 64 + 2),
                                                             long(SC_DOCUMENTOPTION_STYLES_NONE)));
    }

    Loaded fill() {
        ReadResult r = readTextFile(path, false);
        if (!r.ok) {
            return {false, {}, r.error};
        }
        QByteArray bytes = std::move(r.bytes);
        // A document that no view shows yet, made by the window's thread before a loading
        // thread starts: making it resets the editor's own line state, which only that thread
        // may touch.
        if (!loader) {
            loader = makeLoader(bytes.size());
        }
        if (!loader) {
            return {false, {}, u"zu wenig Speicher"_s};
        }
        if (!QUtf8StringView(bytes).isValidUtf8()) {
            bytes = decodeFileText(bytes).toUtf8();
        }
        ScreenBreaker breaker(0, 0);
        const auto add = [this](QByteArrayView piece) {
            return !cancelled && loader->AddData(piece.data(), piece.size()) == 0;
        };
        const bool fed =
            feedByLineRules(bytes, [&](QByteArrayView piece) { return breaker.feed(piece, add); });
        screenBreaks = std::move(breaker.breaks);
        if (!fed) {
            return {false, {}, cancelled ? QString() : u"zu wenig Speicher"_s};
        }
        return {true, r.disk, {}};
    }
};

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
    SendScintilla(SCI_SETMODEVENTMASK, ulong(SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length) {
                if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) {
                    m_search.reset();
                    changing(position, type, length);
                    emit textChanged();
                }
            });
    SendScintilla(SCI_INDICSETSTYLE, ulong(kScreenBreak), long(INDIC_HIDDEN));
    setSelectionBackgroundColor(palette().color(QPalette::Highlight));
    setSelectionForegroundColor(palette().color(QPalette::HighlightedText));
}

TextBox::~TextBox() {
    for (const auto& job : m_jobs) {
        job->cancelled = true;
    }
    for (const auto& job : m_jobs) {
        job->thread->wait();
        [[maybe_unused]] const bool ready = job->ready.load(std::memory_order_acquire);
        delete job->thread;
        if (job->loader) {
            job->loader->Release();
        }
    }
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

void TextBox::paste() {
    breakingInserts([this] { QsciScintilla::paste(); });
}

void TextBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        breakingInserts([this, event] { QsciScintilla::mousePressEvent(event); });
        return;
    }
    QsciScintilla::mousePressEvent(event);
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
        const qsizetype added = insertBroken(at, QByteArray(bytes + at, length), length);
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
    if (m_screenBreaks && !rectangular && SendScintilla(SCI_GETSELECTIONS) == 1) {
        const qsizetype from = SendScintilla(SCI_GETSELECTIONSTART);
        const qsizetype to = SendScintilla(SCI_GETSELECTIONEND);
        const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
        if (to - from == text.size() &&
            std::memcmp(bytes + from, text.constData(), size_t(text.size())) == 0) {
            return QsciScintilla::toMimeData(withoutScreenBreaks(from, to), false);
        }
    }
    return QsciScintilla::toMimeData(text, rectangular);
}

void TextBox::markScreenBreaks(const std::vector<qsizetype>& at) {
    SendScintilla(SCI_SETINDICATORCURRENT, ulong(kScreenBreak));
    for (const qsizetype position : at) {
        SendScintilla(SCI_INDICATORFILLRANGE, ulong(position), long(1));
    }
    m_screenBreaks = m_screenBreaks || !at.empty();
}

std::vector<qsizetype> TextBox::screenBreaksIn(qsizetype from, qsizetype to) const {
    std::vector<qsizetype> found;
    if (!m_screenBreaks) {
        return found;
    }
    for (qsizetype position = from; position < to;) {
        const qsizetype end = SendScintilla(SCI_INDICATOREND, ulong(kScreenBreak), long(position));
        if (SendScintilla(SCI_INDICATORVALUEAT, ulong(kScreenBreak), long(position)) != 0) {
            for (qsizetype i = position; i < std::min(end, to); ++i) {
                found.push_back(i);
            }
        }
        if (end <= position) {
            break;
        }
        position = end;
    }
    return found;
}

QByteArray TextBox::withoutScreenBreaks(qsizetype from, qsizetype to) const {
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    QByteArray out;
    out.reserve(to - from);
    qsizetype start = from;
    for (const qsizetype at : screenBreaksIn(from, to)) {
        out.append(bytes + start, at - start);
        start = at + 1;
    }
    out.append(bytes + start, to - start);
    return out;
}

qsizetype TextBox::insertBroken(qsizetype at, const QByteArray& bytes, qsizetype replacing) {
    const qsizetype line = SendScintilla(SCI_LINEFROMPOSITION, ulong(at));
    ScreenBreaker breaker(at, at - qsizetype(SendScintilla(SCI_POSITIONFROMLINE, ulong(line))));
    QByteArray broken;
    broken.reserve(bytes.size() + bytes.size() / kScreenLine + 1);
    breaker.feed(bytes, [&broken](QByteArrayView piece) {
        broken.append(piece);
        return true;
    });
    if (replacing > 0 && breaker.breaks.empty()) {
        return 0;
    }
    // With its length, so that a NUL in the text does not end it.
    SendScintilla(SCI_SETTARGETRANGE, ulong(at), long(at + replacing));
    SendScintilla(SCI_REPLACETARGET, ulong(broken.size()), broken.constData());
    markScreenBreaks(breaker.breaks);
    return broken.size() - replacing;
}

void TextBox::changing(int position, int type, int length) {
    if (m_inserts && (type & SC_MOD_BEFOREINSERT)) {
        m_inserts->emplace_back(position, length);
    }
    if (!m_screenBreaks) {
        return;
    }
    if (type & SC_MOD_BEFOREDELETE) {
        std::vector<qsizetype> breaks = screenBreaksIn(position, position + length);
        if (!breaks.empty()) {
            for (qsizetype& at : breaks) {
                at -= position;
            }
            // Enough for any undo the user will make; older ones come back as plain line ends.
            if (m_removed.size() >= 64) {
                m_removed.erase(m_removed.begin());
            }
            m_removed.push_back({position, length, std::move(breaks)});
        }
        return;
    }
    if (!(type & (SC_PERFORMED_UNDO | SC_PERFORMED_REDO))) {
        return;
    }
    for (auto it = m_removed.rbegin(); it != m_removed.rend(); ++it) {
        if (it->position == position && it->length == length) {
            for (const qsizetype at : it->breaks) {
                m_restored.push_back(position + at);
            }
            // The text is in once the notification is over.
            QMetaObject::invokeMethod(this, &TextBox::remarkRestored, Qt::QueuedConnection);
            return;
        }
    }
}

void TextBox::forgetScreenBreaks() {
    m_screenBreaks = false;
    m_removed.clear();
    m_restored.clear();
}

void TextBox::remarkRestored() {
    const long length = SendScintilla(SCI_GETLENGTH);
    std::vector<qsizetype> at;
    for (const qsizetype position : std::exchange(m_restored, {})) {
        if (position < length && SendScintilla(SCI_GETCHARAT, ulong(position)) == '\n') {
            at.push_back(position);
        }
    }
    markScreenBreaks(at);
}

void TextBox::resetScrollWidth() {
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETXOFFSET, 0UL);
}

void TextBox::setLook(const QFont& font) {
    setFont(font);
    QWidget::setFont(font);
    setColor(Qt::black);
    setPaper(Qt::white);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TextBox::setDocumentState() {
    // Code page and line-end mode belong to the document, not to the view.
    SendScintilla(SCI_SETCODEPAGE, ulong(SC_CP_UTF8));
    SendScintilla(SCI_SETEOLMODE, ulong(SC_EOL_CRLF));
    // A document filled through a loader comes without undo.
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
}

QString TextBox::text() const {
    return QString::fromUtf8(bytesInPlace());
}

QByteArray TextBox::bytes() const {
    const long length = SendScintilla(SCI_GETLENGTH);
    if (m_screenBreaks) {
        return withoutScreenBreaks(0, length);
    }
    return QByteArray(static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER)), length);
}

QByteArray TextBox::bytesInPlace() const {
    const long length = SendScintilla(SCI_GETLENGTH);
    if (m_screenBreaks) {
        return withoutScreenBreaks(0, length);
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
    SendScintilla(SCI_CLEARALL);
    forgetScreenBreaks();
    insertBroken(0, withLineEnds(text));
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    resetScrollWidth();
}

void TextBox::makeEmpty() {
    cancelLoad();
    if (!isEmpty()) {
        SendScintilla(SCI_CLEARALL);
        SendScintilla(SCI_EMPTYUNDOBUFFER);
    }
    forgetScreenBreaks();
    resetScrollWidth();
}

void TextBox::appendText(const QString& text) {
    cancelLoad();
    insertBroken(SendScintilla(SCI_GETLENGTH), withLineEnds(text));
}

void TextBox::showFile(const QString& path, Done done) {
    cancelLoad();
    auto job = std::make_shared<Job>();
    job->path = path;
    job->done = std::move(done);
    job->box = this;
    if (QFileInfo(path).size() <= kSyncLimit) {
        job->run();
        if (job->result.ok) {
            adopt(*job);
        }
        job->done(job->result);
        return;
    }
    // With little room: the loading thread grows it as it fills, so clearing it costs the
    // window nothing.
    job->loader = job->makeLoader(0);
    job->thread = QThread::create([job = job.get()] { job->run(); });
    connect(job->thread, &QThread::finished, this, [this, job] { finish(job); });
    m_jobs.push_back(job);
    m_current = job;
    setBusy(true);
    job->thread->start();
}

void TextBox::finish(const std::shared_ptr<Job>& job) {
    [[maybe_unused]] const bool ready = job->ready.load(std::memory_order_acquire);
    std::erase(m_jobs, job);
    job->thread->deleteLater();
    job->thread = nullptr;
    if (job->loader && (job != m_current || !job->result.ok)) {
        std::exchange(job->loader, nullptr)->Release();
    }
    if (job != m_current) {
        return;
    }
    m_current.reset();
    setBusy(false);
    if (job->result.ok) {
        adopt(*job);
    }
    job->done(job->result);
}

void TextBox::adopt(Job& job) {
    void* loaded = std::exchange(job.loader, nullptr)->ConvertToDocument();
    SendScintilla(SCI_SETDOCPOINTER, 0UL, loaded);
    // The view holds the document now; the loader's reference goes.
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, loaded);
    setDocumentState();
    forgetScreenBreaks();
    markScreenBreaks(job.screenBreaks);
    resetScrollWidth();
}

// A search: the text, and the stretch of the box still to be looked through in this pass.
struct TextBox::Search {
    QString what;
    Qt::CaseSensitivity cs;
    bool forward;
    qsizetype origin;
    // The next piece starts at (forward) or ends at (backward) this position.
    qsizetype next;
    // The stretch of this pass ends at (forward) or begins at (backward) this position.
    qsizetype limit;
    bool wrapped = false;
    quint64 id = 0;
};

namespace {
// Bytes looked through per step: a few milliseconds each.
constexpr qsizetype kSearchPiece = qsizetype(2) << 20;

qsizetype utf8Length(QStringView text) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            n += 4;
            ++i;
        } else {
            n += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        }
    }
    return n;
}
} // namespace

qsizetype TextBox::boxPosition(qsizetype from, qsizetype clean, const std::vector<qsizetype>& breaks) {
    qsizetype at = from + clean;
    for (const qsizetype b : breaks) {
        if (b > at) {
            break;
        }
        ++at;
    }
    return at;
}

void TextBox::find(const QString& what, bool matchCase, bool forward) {
    m_search.reset();
    if (what.isEmpty()) {
        return;
    }
    const qsizetype length = SendScintilla(SCI_GETLENGTH);
    const qsizetype origin = SendScintilla(forward ? SCI_GETSELECTIONEND : SCI_GETSELECTIONSTART);
    m_search = std::make_unique<Search>(Search{what, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive,
                                               forward, origin, origin, forward ? length : 0});
    searchStep();
}

void TextBox::searchStep() {
    if (!m_search) {
        return;
    }
    Search& s = *m_search;
    const qsizetype length = SendScintilla(SCI_GETLENGTH);
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    const auto isStart = [&](qsizetype at) {
        return at <= 0 || at >= length || (static_cast<unsigned char>(bytes[at]) & 0xC0) != 0x80;
    };
    // Pieces overlap by the longest the text can take in UTF-8, so no match falls between two.
    const qsizetype overlap = s.what.size() * 3;
    qsizetype from = s.forward ? s.next : std::max(s.limit, s.next - kSearchPiece);
    qsizetype to = s.forward ? std::min(s.limit, s.next + kSearchPiece) : s.next;
    while (!isStart(from)) {
        --from;
    }
    while (!isStart(to)) {
        ++to;
    }
    const std::vector<qsizetype> breaks = screenBreaksIn(from, to);
    const QString piece = QString::fromUtf8(withoutScreenBreaks(from, to));
    const qsizetype at = s.forward ? piece.indexOf(s.what, 0, s.cs) : piece.lastIndexOf(s.what, -1, s.cs);
    if (at >= 0) {
        const qsizetype start = utf8Length(QStringView(piece).first(at));
        const qsizetype end = start + utf8Length(QStringView(piece).sliced(at, s.what.size()));
        const Found found = s.wrapped ? Found::AfterWrap : Found::Match;
        m_search.reset();
        SendScintilla(SCI_SETSEL, ulong(boxPosition(from, start, breaks)),
                      long(boxPosition(from, end - 1, breaks) + 1));
        emit searched(found);
        return;
    }
    const bool passDone = s.forward ? to >= s.limit : from <= s.limit;
    if (passDone) {
        if (s.wrapped) {
            m_search.reset();
            emit searched(Found::None);
            return;
        }
        // Round the end: the rest of the text up to where the search began.
        s.wrapped = true;
        s.next = s.forward ? 0 : length;
        s.limit =
            s.forward ? std::min(length, s.origin + overlap) : std::max<qsizetype>(0, s.origin - overlap);
    } else {
        s.next = s.forward ? std::max(from + 1, to - overlap) : std::min(to - 1, from + overlap);
    }
    // The next piece once the events that came meanwhile are handled; a newer search has a
    // record of its own.
    QMetaObject::invokeMethod(
        this,
        [this, id = s.id] {
            if (m_search && m_search->id == id) {
                searchStep();
            }
        },
        Qt::QueuedConnection);
}

void TextBox::cancelLoad() {
    if (m_current) {
        m_current->cancelled = true;
        m_current.reset();
        setBusy(false);
    }
}

void TextBox::setBusy(bool busy) {
    setReadOnly(busy);
    viewport()->setCursor(busy ? Qt::BusyCursor : Qt::IBeamCursor);
}

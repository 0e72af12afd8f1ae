#include "ui/manager/textbox.h"

#include <QAccessibleWidget>
#include <QFileInfo>
#include <QThread>

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

    // Reads the file into the loader; on failure or cancellation the loader is gone.
    void run() {
        result = fill();
        if (!result.ok && loader) {
            loader->Release();
            loader = nullptr;
        }
    }

    Loaded fill() {
        ReadResult r = readTextFile(path, false);
        if (!r.ok) {
            return {false, {}, r.error};
        }
        QByteArray bytes = std::move(r.bytes);
        // A document that no view shows yet: made here, so that clearing its room costs the
        // window nothing. Room for the text and the line ends the rules may add.
        const qsizetype size = bytes.size();
        loader = reinterpret_cast<ILoader*>(box->SendScintilla(SCI_CREATELOADER, ulong(size + size / 64 + 2),
                                                               long(SC_DOCUMENTOPTION_STYLES_NONE)));
        if (!loader) {
            return {false, {}, u"zu wenig Speicher"_s};
        }
        if (!QUtf8StringView(bytes).isValidUtf8()) {
            bytes = decodeFileText(bytes).toUtf8();
        }
        const bool fed = feedByLineRules(bytes, [this](QByteArrayView piece) {
            return !cancelled && loader->AddData(piece.data(), piece.size()) == 0;
        });
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
    // The horizontal range grows with the widest line shown so far, as a plain text box does.
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);
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
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, [this](int, int type) {
        if (type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)) {
            emit textChanged();
        }
    });
    setSelectionBackgroundColor(palette().color(QPalette::Highlight));
    setSelectionForegroundColor(palette().color(QPalette::HighlightedText));
}

TextBox::~TextBox() {
    for (const auto& job : m_jobs) {
        job->cancelled = true;
    }
    for (const auto& job : m_jobs) {
        job->thread->wait();
        delete job->thread;
        if (job->loader) {
            job->loader->Release();
        }
    }
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
    const long length = SendScintilla(SCI_GETLENGTH);
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return QString::fromUtf8(bytes, length);
}

QByteArray TextBox::bytes() const {
    const long length = SendScintilla(SCI_GETLENGTH);
    return QByteArray(static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER)), length);
}

QByteArray TextBox::bytesInPlace() const {
    const long length = SendScintilla(SCI_GETLENGTH);
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
    const QByteArray bytes = withLineEnds(text);
    SendScintilla(SCI_SETTEXT, bytes.constData());
    SendScintilla(SCI_EMPTYUNDOBUFFER);
}

void TextBox::makeEmpty() {
    cancelLoad();
    if (!isEmpty()) {
        SendScintilla(SCI_CLEARALL);
        SendScintilla(SCI_EMPTYUNDOBUFFER);
    }
}

void TextBox::appendText(const QString& text) {
    cancelLoad();
    const QByteArray bytes = withLineEnds(text);
    SendScintilla(SCI_APPENDTEXT, ulong(bytes.size()), bytes.constData());
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
    job->thread = QThread::create([job = job.get()] { job->run(); });
    connect(job->thread, &QThread::finished, this, [this, job] { finish(job); });
    m_jobs.push_back(job);
    m_current = job;
    setBusy(true);
    job->thread->start();
}

void TextBox::finish(const std::shared_ptr<Job>& job) {
    std::erase(m_jobs, job);
    job->thread->deleteLater();
    job->thread = nullptr;
    if (job != m_current) {
        if (job->loader) {
            std::exchange(job->loader, nullptr)->Release();
        }
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

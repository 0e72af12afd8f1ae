// TextBox: showing a file. A small file is read at once; a large one is read by a worker
// thread into a document that the window's thread made and that no view shows yet, and which
// then takes the place of the shown one at once.
#include "ui/failuretexts.h"
#include "ui/manager/editorloader.h"
#include "ui/manager/linerules.h"
#include "ui/manager/textbox.h"

#include <QFileInfo>
#include <QThread>

#include <atomic>

using namespace Qt::StringLiterals;

// One load. The worker touches only the file, the loader's AddData and its own members.
struct TextBox::Job {
    QString path;
    Done done;
    std::atomic<bool> cancelled{false};
    QThread* thread = nullptr;
    // Made and turned into a document on the window's thread, filled by the worker.
    ILoader* loader = nullptr;
    Loaded result;
    std::vector<qsizetype> screenBreaks;
    // Set last by the worker. Qt's finished signal hands the job over as well, but through
    // locks that race checkers cannot see; this pair they can.
    std::atomic<bool> ready{false};

    void run() {
        result = fill();
        ready.store(true, std::memory_order_release);
    }

    Loaded fill() {
        ReadResult r = readTextFile(path, false);
        if (!r.ok) {
            return {false, {}, describe(r.error)};
        }
        QByteArray bytes = std::move(r.bytes);
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

    void release() {
        if (loader) {
            std::exchange(loader, nullptr)->Release();
        }
    }
};

TextBox::~TextBox() {
    for (const auto& job : m_jobs) {
        job->cancelled = true;
    }
    for (const auto& job : m_jobs) {
        job->thread->wait();
        // What the thread wrote before it ended is ours now; QThread::wait() hides that.
        [[maybe_unused]] const bool ready = job->ready.load(std::memory_order_acquire);
        delete job->thread;
        job->release();
    }
}

void TextBox::showFile(const QString& path, Done done) {
    cancelLoad();
    auto job = std::make_shared<Job>();
    job->path = path;
    job->done = std::move(done);
    const qint64 size = QFileInfo(path).size();
    // Room for the first megabyte: the document grows on the worker as it is filled, so that
    // clearing room for a large file costs the window nothing.
    job->loader = reinterpret_cast<ILoader*>(SendScintilla(SCI_CREATELOADER,
                                                           ulong(std::min<qint64>(size, kSyncLimit) + 2),
                                                           long(SC_DOCUMENTOPTION_STYLES_NONE)));
    if (!job->loader) {
        job->done({false, {}, u"zu wenig Speicher"_s});
        return;
    }
    if (size <= kSyncLimit) {
        job->run();
        if (job->result.ok) {
            adopt(*job);
        }
        job->release();
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
    [[maybe_unused]] const bool ready = job->ready.load(std::memory_order_acquire);
    std::erase(m_jobs, job);
    job->thread->deleteLater();
    job->thread = nullptr;
    if (job != m_current) {
        job->release();
        return;
    }
    m_current.reset();
    setBusy(false);
    if (job->result.ok) {
        adopt(*job);
    }
    job->release();
    job->done(job->result);
}

void TextBox::adopt(Job& job) {
    void* loaded = std::exchange(job.loader, nullptr)->ConvertToDocument();
    SendScintilla(SCI_SETDOCPOINTER, 0UL, loaded);
    // The view holds the document now; the loader's reference goes.
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, loaded);
    setDocumentState();
    m_breaks.forget();
    m_breaks.markLoaded(job.screenBreaks);
    toTop();
}

void TextBox::setDocumentState() {
    // Code page and line-end mode belong to the document, not to the view.
    SendScintilla(SCI_SETCODEPAGE, ulong(SC_CP_UTF8));
    SendScintilla(SCI_SETEOLMODE, ulong(SC_EOL_CRLF));
    // A document filled through a loader comes without undo.
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
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

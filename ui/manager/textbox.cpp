#include "ui/manager/textbox.h"

#include <QFileInfo>
#include <QPlainTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

// Built in slices, so that a load that is no longer wanted stops early.
QTextDocument* buildDocument(const QString& editorText, const std::atomic<bool>* cancelled) {
    auto* doc = new QTextDocument;
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    constexpr qsizetype kSlice = qsizetype(1) << 20;
    qsizetype pos = 0;
    while (pos < editorText.size()) {
        // Cut after a paragraph end, never inside a surrogate pair.
        qsizetype stop = editorText.indexOf(u'\n', std::min(pos + kSlice, editorText.size()) - 1);
        stop = stop < 0 ? editorText.size() : stop + 1;
        cursor.insertText(editorText.mid(pos, stop - pos));
        pos = stop;
        if (cancelled && cancelled->load()) {
            delete doc;
            return nullptr;
        }
    }
    return doc;
}

} // namespace

struct TextBox::Job {
    QString path;
    Done done;
    std::atomic<bool> cancelled{false};
    QThread* thread = nullptr;
    QTextDocument* doc = nullptr; // handed to the GUI thread when the worker is done
    Loaded result;
};

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {}

TextBox::~TextBox() {
    for (const auto& job : m_jobs) {
        job->cancelled = true;
    }
    for (const auto& job : m_jobs) {
        job->thread->wait();
        delete job->thread;
        delete job->doc;
    }
}

QString TextBox::toEditor(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            *o++ = u'\n';
            if (i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
        } else if (c == u'\n') {
            *o++ = QChar::LineSeparator;
        } else {
            *o++ = c;
        }
    }
    out.truncate(o - out.constData());
    return out;
}

QString TextBox::fromEditor(QStringView raw) {
    const qsizetype paragraphs = raw.count(QChar::ParagraphSeparator) + raw.count(u'\n');
    QString out(raw.size() + paragraphs, Qt::Uninitialized);
    QChar* o = out.data();
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator || c == u'\n') {
            *o++ = u'\r';
            *o++ = u'\n';
        } else if (c == QChar::LineSeparator) {
            *o++ = u'\n';
        } else {
            *o++ = c;
        }
    }
    return out;
}

QString TextBox::text() const {
    return fromEditor(document()->toRawText());
}

void TextBox::setText(const QString& text) {
    cancelLoad();
    setPlainText(toEditor(text));
}

void TextBox::makeEmpty() {
    cancelLoad();
    if (!document()->isEmpty()) {
        setPlainText(QString());
    }
}

void TextBox::appendText(const QString& text) {
    cancelLoad();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(toEditor(text));
}

void TextBox::showFile(const QString& path, Done done) {
    cancelLoad();
    if (QFileInfo(path).size() <= kSyncLimit) {
        ReadResult r = readTextFile(path);
        if (!r.ok) {
            done({false, {}, r.error});
            return;
        }
        adopt(buildDocument(applyLineRules(r.text, u"\n", QChar::LineSeparator), nullptr));
        done({true, r.disk, {}});
        return;
    }
    auto job = std::make_shared<Job>();
    job->path = path;
    job->done = std::move(done);
    QThread* gui = thread();
    job->thread = QThread::create([job = job.get(), gui] {
        ReadResult r = readTextFile(job->path);
        if (!r.ok) {
            job->result = {false, {}, r.error};
            return;
        }
        if (job->cancelled) {
            return;
        }
        const QString editor = applyLineRules(r.text, u"\n", QChar::LineSeparator);
        r.text = QString();
        QTextDocument* doc = buildDocument(editor, &job->cancelled);
        if (!doc) {
            return;
        }
        doc->moveToThread(gui);
        job->doc = doc;
        job->result = {true, r.disk, {}};
    });
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
    QTextDocument* doc = std::exchange(job->doc, nullptr);
    if (job != m_current) {
        delete doc;
        return;
    }
    m_current.reset();
    setBusy(false);
    if (doc) {
        adopt(doc);
    }
    job->done(job->result);
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

void TextBox::adopt(QTextDocument* doc) {
    doc->setParent(this);
    doc->setDefaultFont(font());
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
    doc->setUndoRedoEnabled(true);
    // The editor's first document belongs to the editor, which deletes it on replacing it;
    // later ones are ours.
    QTextDocument* old = document();
    const bool ours = old && old->parent() == this;
    setDocument(doc);
    if (ours) {
        delete old;
    }
}

#pragma once

#include "app/textfiles.h"

#include <QPlainTextEdit>

#include <functional>
#include <memory>
#include <vector>

// The manager's text box. Its text is exchanged in the files' form: lines end in CR LF and a
// lone LF stays inside its line. Inside the editor a line end is a paragraph and a lone LF a
// line separator, so both survive editing and come back as they were.
//
// A large file is read and laid out in a worker thread: the window stays responsive, and
// the box keeps its previous text, read-only, until the new one is ready.
class TextBox final : public QPlainTextEdit {
    Q_OBJECT
public:
    // Files up to this size are shown at once, larger ones through the worker.
    static constexpr qint64 kSyncLimit = qint64(1) << 20;

    explicit TextBox(QWidget* parent = nullptr);
    ~TextBox() override;

    QString text() const;
    // Both end a pending load.
    void setText(const QString& text);
    void appendText(const QString& text);
    // Empties the box; an empty box stays untouched, so that this is no change of its text.
    void makeEmpty();

    struct Loaded {
        bool ok = false;
        DiskState disk;
        QString error;
    };
    using Done = std::function<void(const Loaded&)>;
    // Shows a file's text by the line rules; done runs once it is shown, or could not be read
    // (the previous text then stays). A later showFile or setText drops an earlier load.
    void showFile(const QString& path, Done done);
    bool loading() const { return m_current != nullptr; }

    // File form to editor form and back.
    static QString toEditor(QStringView text);
    static QString fromEditor(QStringView raw);

private:
    struct Job;
    void cancelLoad();
    void finish(const std::shared_ptr<Job>& job);
    void adopt(QTextDocument* doc);
    void setBusy(bool busy);

    std::vector<std::shared_ptr<Job>> m_jobs;
    std::shared_ptr<Job> m_current;
};

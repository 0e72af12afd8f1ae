#pragma once

#include "storage/textfiles.h"
#include "ui/manager/screenbreaks.h"

#include <Qsci/qsciscintilla.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The manager's text box. It holds its text in the files' form: every line ends in CR LF,
// a lone LF stays inside its line, and typing Return makes a CR LF. The editor keeps the
// text as UTF-8 in a gap buffer with a line index and lays out only the lines it shows, so
// a collection file of a hundred megabytes costs little more than its own size.
//
// textChanged comes just before each change of the text, not after it.
//
// A large file is read in a worker thread into a document of its own, which then takes the
// place of the shown one at once; until then the box keeps its previous text, read-only. The
// document is made and shown on the window's thread; the worker only fills it.
//
// Over-long lines are broken on screen only (screenbreaks.h): whatever leaves the box (its
// bytes, copies, drags, the primary selection, what find looks through) is without those
// breaks. A selection is always a stream of text, as in a plain text box: no rectangles.
class TextBox final : public QsciScintilla {
    Q_OBJECT
public:
    // Files up to this size are shown at once, larger ones through the worker.
    static constexpr qint64 kSyncLimit = qint64(1) << 20;

    explicit TextBox(QWidget* parent = nullptr);
    ~TextBox() override;

    // The look of the box: font, black text on white.
    void setLook(const QFont& font);

    QString text() const;
    // The text as UTF-8, without a round trip through UTF-16.
    QByteArray bytes() const;
    // The same without a copy: the editor's own bytes, valid until the text next changes.
    QByteArray bytesInPlace() const;
    bool isEmpty() const;
    // Lines by the line rules: line ends plus one, as an editor counts paragraphs.
    qsizetype paragraphs() const;
    // Both end a pending load; a lone CR becomes a line end.
    void setText(const QString& text) override;
    void appendText(const QString& text);
    // Empties the box; an empty box stays untouched, so that this is no change of its text.
    void makeEmpty();

    struct Loaded {
        bool ok = false;
        DiskState disk;
        QString error;
    };
    using Done = std::function<void(const Loaded&)>;
    // Shows a file's text by the line rules, from its top; done runs once it is shown, or could
    // not be read (the previous text then stays). A later showFile or setText drops an earlier
    // load.
    void showFile(const QString& path, Done done);
    bool loading() const { return m_current != nullptr; }
    // Read-only with a busy pointer, while the box waits for a load or a save.
    void setBusy(bool busy);
    // The context menu of a plain text box, in Qt's own (translated) words.
    QMenu* createContextMenu();
    // Over-long lines pasted are broken on screen like those of a file shown.
    void paste() override;

    // Looks for a text from the caret on, forward or backward, round the end if need be; a
    // large text is searched piece by piece between events, so the window stays answering.
    // The match found is selected; searched() tells how it went. A change of the text or a
    // new search ends the one under way without a word.
    enum class Found { Match, AfterWrap, None };
    void find(const QString& what, bool matchCase, bool forward);
    bool searching() const { return m_search != nullptr; }

signals:
    // Ctrl+F, and F3 or Shift+F3, typed in the box.
    void findAsked();
    void findNextAsked(bool forward);
    void searched(TextBox::Found found);

protected:
    // Tab and Shift+Tab move the focus, Ctrl+Tab types a tab.
    bool event(QEvent* event) override;
    // The wheel scrolls, with Ctrl too: no zoom.
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A middle-click paste and a drop break over-long lines as paste does. The mouse selects
    // as in a plain text box: Ctrl and Alt make no rectangle.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    // Whatever the editor hands out (clipboard, primary selection, drag) leaves out the breaks
    // made on screen only.
    QMimeData* toMimeData(const QByteArray& text, bool rectangular) const override;
    // Text offered as a rectangle goes in as plain text.
    QByteArray fromMimeData(const QMimeData* source, bool& rectangular) const override;

private:
    // Only the keys of a plain text box.
    void bindKeys();
    // Backspace and Delete take the character of the text next to the caret, as in a plain
    // text box, not a break on screen: the caret goes over the breaks first.
    void overBreaks(bool forward);
    // The horizontal range follows the text shown, not the widest line ever shown.
    void resetScrollWidth();
    void toTop();
    // Runs an insertion of the editor's own, then breaks what it put in, in one undo step.
    void breakingInserts(const std::function<void()>& insert);
    std::optional<std::vector<std::pair<qsizetype, qsizetype>>> m_inserts;
    ScreenBreaks m_breaks{*this};

    // A search: the text, and the stretch of the box still to be looked through in this pass.
    struct Search {
        QString what;
        Qt::CaseSensitivity cs;
        bool forward;
        qsizetype origin;
        // The next piece starts at (forward) or ends at (backward) this position.
        qsizetype next;
        // The stretch of this pass ends at (forward) or begins at (backward) this position.
        qsizetype limit;
        bool wrapped = false;
        // Its own number: a step queued for an earlier search finds a newer one under way.
        quint64 id;
    };
    std::unique_ptr<Search> m_search;
    quint64 m_searches = 0;
    void searchStep();
    // Where a position of the text without screen breaks lies in the box.
    static qsizetype boxPosition(qsizetype from, qsizetype clean, const std::vector<qsizetype>& breaks);

    struct Job;
    void cancelLoad();
    void finish(const std::shared_ptr<Job>& job);
    void adopt(Job& job);
    void setDocumentState();

    std::vector<std::shared_ptr<Job>> m_jobs;
    std::shared_ptr<Job> m_current;
};

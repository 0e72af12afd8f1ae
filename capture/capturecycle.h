#pragma once

#include "capture/soundqueue.h"
#include "platform/clipboard.h"
#include "storage/collectionstore.h"

#include <QImage>
#include <QObject>

class CaptureView;
struct AppState;
struct Platform;

// The capture cycle of the main window: blink, look at the clipboard, take new text and
// pictures. Besides every tick of Zeit1 it also runs the capture step as soon as the
// clipboard reports a change, so pieces copied faster than the tick are all taken.
//
// Taking a piece only puts it in the queue: it is written on the writer's thread, and the
// hint, the counters, the text box and the tone confirm it once it is on the disk. The tone
// plays on a thread of its own. The window's thread never waits for the disk or the sound.
//
// What was read from the clipboard is kept until its change counter moves: a tick on an
// unchanged clipboard transfers nothing again.
class CaptureCycle final : public QObject {
    Q_OBJECT
public:
    // Text above this size is refused with a message instead of being stored.
    static constexpr qsizetype kMaxTextBytes = qsizetype(256) * 1024 * 1024;
    // The text box shows at most this much, and the collected text keeps no more: laying out
    // megabytes would freeze the window for seconds. The files always get the whole text.
    static constexpr qsizetype kMaxShown = 100000;
    // Longer lines are shown cut: the box lays out a whole line even where it is not seen.
    static constexpr qsizetype kMaxShownLine = 1000;

    CaptureCycle(AppState& state, Platform& platform, CaptureView& view, QObject* parent = nullptr);
    ~CaptureCycle() override;

    void setMaxTextBytes(qsizetype bytes) { m_maxTextBytes = bytes; }
    CollectionStore& store() { return m_store; }
    SoundQueue& sound() { return m_sound; }

    void Zeit1_Timer();
    // The step that runs on a clipboard change: takes what is new, shows nothing but hints.
    void captureStep(bool tick = false);
    // Our own clearing of the clipboard.
    void clearClipboard();

    void Command2_Click();
    void Timer1_Timer();
    // Monitoring switched on or off: the clipboard is emptied of what it holds at this moment,
    // the blink starts anew, no snapshot is pending, and a new session begins: pieces of the one
    // before, confirmed later, are not shown in it.
    void switched();
    bool screenshotPending() const { return m_screenshotPending; }
    int screenshotTicks() const { return m_screenshotTicks; }
    // The text last taken from the clipboard.
    const QString& lastClipText() const { return m_lastClipText; }

    // What the text box shows of a text: collected text by its end (the newest pieces), a
    // single piece by its beginning; long lines cut.
    static QString shownText(const QString& text, bool showEnd);

private:
    enum class Next { EndTick, ClearClipboard, Counters };

    void onClipboardChanged();
    void refreshCache();
    const Clipboard::TextResult& clipText();
    QImage clipImage(Clipboard::Kind kind);
    // logged: what the log says instead of the hint.
    void notice(const QString& hint, const QString& logged = {});

    Next textBranch(bool tick);
    Next takePicture(Clipboard::Kind kind);
    void written(const Piece& piece, const WriteResult& result);
    void textWritten(const Piece& piece, const WriteResult& result);
    void pictureWritten(const Piece& piece, const WriteResult& result);
    void showText(const QString& text, bool showEnd);
    // What the hint adds about where a piece went and how.
    static QString storedWhere(const Piece& piece, const WriteResult& result);
    void collected(const QString& added);
    void showCountersStep();

    AppState& m_state;
    Platform& m_platform;
    CaptureView& m_view;
    CollectionStore m_store;
    SoundQueue m_sound;

    // Cache of the clipboard as of change counter m_count.
    quint64 m_count = ~quint64(0);
    bool m_has[4] = {};
    bool m_empty = true;
    bool m_secret = false;
    bool m_readFailed = false;
    bool m_haveText = false;
    Clipboard::TextResult m_text;
    bool m_haveImage = false;
    Clipboard::Kind m_imageKind = Clipboard::Kind::Bitmap;
    QImage m_image;
    // The change counter whose text Text1 shows, if it shows clipboard text at all.
    quint64 m_text1Count = ~quint64(0);
    // The change counter whose notice (secret, unreadable, too large) is in the hint line.
    quint64 m_noticeCount = ~quint64(0);
    // The change counter whose picture went to the queue: it is not taken twice.
    quint64 m_pictureCount = ~quint64(0);
    qint64 m_shownImage = 0;
    bool m_stepPending = false;
    quint64 m_session = 0;
    // The session whose collected text the text box shows; none when it shows anything else.
    quint64 m_text1Collected = ~quint64(0);
    qsizetype m_maxTextBytes = kMaxTextBytes;
    QString m_lastClipText;
    int m_blinkPhase = 0;
    // "Bildschirmfoto" was clicked: the next bitmap is the snapshot.
    bool m_screenshotPending = false;
    int m_screenshotTicks = 0;
};

#pragma once

#include "platform/clipboard.h"

#include <QFile>
#include <QImage>
#include <QObject>

class Form1;
struct AppState;
struct Platform;

// The capture cycle of the main window: blink, look at the clipboard, store new text and
// pictures. Besides every tick of Zeit1 it also runs the capture step as soon as the
// clipboard reports a change, so pieces copied faster than the tick are all stored.
//
// What was read from the clipboard is kept until its change counter moves: a tick on an
// unchanged clipboard transfers nothing again.
class CaptureCycle final : public QObject {
    Q_OBJECT
public:
    // Text above this size is refused with a message instead of being stored.
    static constexpr qsizetype kMaxTextBytes = qsizetype(256) * 1024 * 1024;

    CaptureCycle(AppState& state, Platform& platform, Form1& form1);
    ~CaptureCycle() override;

    void setMaxTextBytes(qsizetype bytes) { m_maxTextBytes = bytes; }

    void Zeit1_Timer();
    void captureStep();
    // Our own clearing of the clipboard.
    void clearClipboard();

    void Command2_Click();
    void Timer1_Timer();

    // The text box shows at most this much: laying out megabytes (worst of all one long
    // line) would freeze the window for seconds. The files always get the whole text.
    static constexpr qsizetype kMaxShown = 100000;

    // What the text box shows; keeps track of whether it still shows the clipboard text.
    // Collected text that is too long is shown by its end (the newest pieces), a single
    // piece by its beginning.
    void showInText1(const QString& text, bool showEnd = false);

private:
    enum class Next { EndTick, ClearClipboard, Counters };

    void onClipboardChanged();
    void refreshCache();
    const Clipboard::TextResult& clipText();
    QImage clipImage(Clipboard::Kind kind);

    Next textBranch();
    Next storeCollection(const QString& work);
    Next storeSingleFile(const QString& work);
    Next storeBitmap(Clipboard::Kind kind);
    Next storeMetafile();
    bool savePicture(const QImage& image, QFile& file, QString* error);
    void showTextPanel();
    void showPicturePanel();
    void showCountersStep();

    AppState& m_state;
    Platform& m_platform;
    Form1& m_form1;

    // Cache of the clipboard as of change counter m_count.
    quint64 m_count = ~quint64(0);
    bool m_has[4] = {};
    bool m_empty = true;
    bool m_haveText = false;
    Clipboard::TextResult m_text;
    bool m_haveImage = false;
    Clipboard::Kind m_imageKind = Clipboard::Kind::Bitmap;
    QImage m_image;
    // The change counter whose text Text1 shows, if it shows clipboard text at all.
    quint64 m_text1Count = ~quint64(0);
    bool m_stepPending = false;
    qsizetype m_maxTextBytes = kMaxTextBytes;
};

#pragma once

#include "platform/clipboard.h"
#include "platform/secretfilter.h"
#include "platform/selectionbackend.h"

#include <QObject>

#include <atomic>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;
class QTimer;

// What the clipboard held at one change, read once and never changed after.
struct ClipboardSnapshot {
    quint64 serial = 0; // which look of the reader it comes from
    quint64 clears = 0; // how many clearNow() requests came before its look began
    int changes = 1;    // changes of the selection it stands for
    bool has[4] = {};   // by Clipboard::Kind
    bool empty = true;  // nothing at all offered
    bool secret = false;
    bool readFailed = false;
    Clipboard::TextResult text;
    qsizetype textBytes = 0; // the text's size as handed over
    QByteArray utf8;         // the text until it is decoded
    QString textType;        // the type the text was read as
    Clipboard::Kind imageKind = Clipboard::Kind::Bitmap;
    QImage image;
    Clipboard::ImageFault imageFault = Clipboard::ImageFault::None;
    QSize imageSize;
};
using SnapshotPtr = std::shared_ptr<const ClipboardSnapshot>;

// Reads the selection on a thread of its own, once per change: the types offered, then only
// what the capture needs (the text, or the one picture that wins), each conversion within
// the budget. An owner that does not answer costs one bounded wait, and the snapshot says so.
class ClipboardReader final : public QObject {
    Q_OBJECT
public:
    static constexpr SelectionBackend::Budget kBudget{2000};
    // Text above this many bytes is refused, where possible from its announced size.
    static constexpr qsizetype kMaxTextBytes = qsizetype(256) * 1024 * 1024;
    static constexpr qsizetype kMaxPictureBytes = qsizetype(512) * 1024 * 1024;

    using Publish = std::function<void(SnapshotPtr)>;
    // other: a second clipboard of the desktop (X11 beside Wayland), emptied with the first.
    ClipboardReader(std::unique_ptr<SelectionBackend> backend, Publish publish,
                    std::unique_ptr<SelectionBackend> other = nullptr);
    ~ClipboardReader() override;

    // On the reader's thread: watches the connection and takes the first look.
    void start();
    // On the reader's thread: empties the selection, if it still holds what the snapshot
    // of this serial saw.
    void clear(quint64 serial);
    // From any thread: the selection is emptied of whatever it holds now, a look under way
    // is abandoned, and no snapshot of what was there before is published any more.
    void requestClear();
    // From any thread: a look under way ends at once (the reader is about to end).
    void interrupt() { m_backend->interrupt(); }
    // On the reader's thread: handles what arrived (a clear request among it).
    void onEvents();
    // On the reader's thread: stirs a desktop that needs it (see wakeInterval()) only while
    // someone listens.
    void setWatching(bool on);

    // One look at the selection as it is now.
    static ClipboardSnapshot take(SelectionBackend& backend, SecretFilter& secrets,
                                  SelectionBackend::Budget budget, qsizetype maxTextBytes = kMaxTextBytes);
    // The same, with the text left undecoded until finish().
    static ClipboardSnapshot look(SelectionBackend& backend, SecretFilter& secrets,
                                  SelectionBackend::Budget budget, qsizetype maxTextBytes = kMaxTextBytes);
    static void finish(ClipboardSnapshot& snapshot);
    // Text as UTF-8 bytes; nullopt for bytes that are not text: a NUL byte, or a sequence
    // that is not UTF-8 (overlong forms and surrogates included).
    static std::optional<QString> decodeText(const QByteArray& utf8);

private:
    void clearIfAsked();

    std::unique_ptr<SelectionBackend> m_backend;
    Publish m_publish;
    std::unique_ptr<SelectionBackend> m_other;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_stir = nullptr;
    bool m_watching = false;
    SecretFilter m_secrets;
    quint64 m_serial = 0;
    std::atomic<quint64> m_clearsAsked{0};
    quint64 m_clearsDone = 0;
    // Changes whose look was abandoned: the next look stands for them too.
    int m_pendingChanges = 0;
    bool m_lookAgain = true;
};

#pragma once

#include "platform/clipboard.h"
#include "platform/clipboardreader.h"

#include <QThread>

#include <deque>

// The clipboard as a reader on a thread of its own saw it last: every query is answered from
// the latest snapshot and never waits for another program; clearing is handed to the reader.
class SelectionClipboard final : public Clipboard {
    Q_OBJECT
public:
    // other: a second clipboard of the desktop, emptied with the first (clearNow()).
    explicit SelectionClipboard(std::unique_ptr<SelectionBackend> backend,
                                std::unique_ptr<SelectionBackend> other = nullptr, QObject* parent = nullptr);
    ~SelectionClipboard() override;

    bool has(Kind kind) override { return m_snapshot->has[int(kind)]; }
    bool isEmpty() override { return m_snapshot->empty; }
    TextResult text(qsizetype maxBytes) override;
    QImage image(Kind kind) override;
    void clear() override;
    void clearNow() override;
    void setWatching(bool on) override;
    quint64 changeCount() const override { return m_changeCount; }
    ImageFault imageFault() const override { return m_imageFault; }
    QSize imageSize() const override { return m_imageSize; }
    bool isSecret() override { return m_snapshot->secret; }
    bool readFailed() override { return m_snapshot->readFailed; }

    const ClipboardSnapshot& snapshot() const { return *m_snapshot; }

private:
    void receive(const SnapshotPtr& snapshot);
    void advance();
    void apply(const SnapshotPtr& snapshot);

    QThread m_thread;
    ClipboardReader* m_reader;
    SnapshotPtr m_snapshot;
    std::deque<SnapshotPtr> m_pending;
    bool m_advancing = false;
    // clearNow() requests so far: snapshots of looks that began before the last are stale.
    quint64 m_clears = 0;
    quint64 m_changeCount = 0;
    ImageFault m_imageFault = ImageFault::None;
    QSize m_imageSize;
};

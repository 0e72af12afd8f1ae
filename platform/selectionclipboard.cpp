#include "platform/selectionclipboard.h"

#include "platform/racecheck.h"

#include <QPointer>

SelectionClipboard::SelectionClipboard(std::unique_ptr<SelectionBackend> backend,
                                       std::unique_ptr<SelectionBackend> other, QObject* parent)
    : Clipboard(parent), m_snapshot(std::make_shared<ClipboardSnapshot>()) {
    QPointer<SelectionClipboard> self(this);
    m_reader = new ClipboardReader(
        std::move(backend),
        [self](SnapshotPtr snapshot) {
            // A snapshot that arrives after the window side is gone is dropped with the event.
            if (self) {
                QMetaObject::invokeMethod(self.data(),
                                          raceHandOver([self, snapshot] { self->receive(snapshot); }),
                                          Qt::QueuedConnection);
            }
        },
        std::move(other));
    m_reader->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_reader, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("clipboard reader"));
    m_thread.start();
    QMetaObject::invokeMethod(m_reader, raceHandOver([reader = m_reader] { reader->start(); }),
                              Qt::QueuedConnection);
}

SelectionClipboard::~SelectionClipboard() {
    // A look under way ends at once; no other one begins.
    m_thread.requestInterruption();
    m_reader->interrupt();
    raceRelease(m_reader); // the reader is deleted on its thread as it ends
    m_thread.quit();
    m_thread.wait();
}

void SelectionClipboard::receive(const SnapshotPtr& snapshot) {
    if (snapshot->clears < m_clears) {
        return; // of a content cleared away since
    }
    m_pending.push_back(snapshot);
    if (!m_advancing) {
        advance();
    }
}

// Snapshots that arrived while this thread was busy are taken one per turn of the event
// loop: what reacts to a change (queued as well) sees each of them, none is skipped.
void SelectionClipboard::advance() {
    m_advancing = !m_pending.empty();
    if (!m_advancing) {
        return;
    }
    apply(m_pending.front());
    m_pending.pop_front();
    QMetaObject::invokeMethod(this, &SelectionClipboard::advance, Qt::QueuedConnection);
}

void SelectionClipboard::apply(const SnapshotPtr& snapshot) {
    m_snapshot = snapshot;
    m_changeCount += quint64(std::max(1, snapshot->changes));
    emit changed();
}

Clipboard::TextResult SelectionClipboard::text(qsizetype maxBytes) {
    if (m_snapshot->textBytes > maxBytes) {
        return {QString(), true, false, {}};
    }
    return m_snapshot->text;
}

QImage SelectionClipboard::image(Kind kind) {
    const bool same = kind == m_snapshot->imageKind;
    m_imageFault = same ? m_snapshot->imageFault : ImageFault::Unreadable;
    m_imageSize = same ? m_snapshot->imageSize : QSize();
    return same ? m_snapshot->image : QImage();
}

void SelectionClipboard::clear() {
    const quint64 serial = m_snapshot->serial;
    ClipboardReader* reader = m_reader;
    QMetaObject::invokeMethod(reader, raceHandOver([reader, serial] { reader->clear(serial); }),
                              Qt::QueuedConnection);
    // Empty from now on for this side, as a clipboard that was cleared is: a tick before the
    // reader's word must not take the same content again.
    if (!m_snapshot->empty) {
        auto empty = std::make_shared<ClipboardSnapshot>();
        empty->serial = serial;
        apply(empty);
    }
}

void SelectionClipboard::clearNow() {
    ++m_clears;
    m_reader->requestClear();
    ClipboardReader* reader = m_reader;
    QMetaObject::invokeMethod(reader, raceHandOver([reader] { reader->onEvents(); }), Qt::QueuedConnection);
    m_pending.clear();
    if (!m_snapshot->empty) {
        auto empty = std::make_shared<ClipboardSnapshot>();
        empty->serial = m_snapshot->serial;
        empty->clears = m_clears;
        apply(empty);
    }
}

void SelectionClipboard::setWatching(bool on) {
    ClipboardReader* reader = m_reader;
    QMetaObject::invokeMethod(reader, raceHandOver([reader, on] { reader->setWatching(on); }),
                              Qt::QueuedConnection);
}

#include "capture/piecequeue.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

PieceQueue::PieceQueue(QObject* parent)
    : QObject(parent), m_writer(std::make_shared<FileWriter>()), m_worker(new QObject) {
    m_thread.setObjectName(QStringLiteral("writer"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

PieceQueue::~PieceQueue() {
    // The piece being written is finished; what waits behind it is not started.
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void PieceQueue::setWriter(std::unique_ptr<PieceWriter> writer) {
    m_writer = std::move(writer);
}

void PieceQueue::enqueue(Piece piece) {
    m_pieces.push_back(std::move(piece));
    dispatch();
}

void PieceQueue::retry() {
    if (m_failed && !m_inFlight) {
        m_failed = false;
        dispatch();
    }
}

void PieceQueue::dispatch() {
    if (m_inFlight || m_failed || m_pieces.empty()) {
        return;
    }
    if (prepare) {
        prepare(m_pieces.front());
    }
    m_inFlight = true;
    QMetaObject::invokeMethod(
        m_worker,
        [this, writer = m_writer, piece = m_pieces.front()] {
            const WriteResult result = writer->write(piece);
            QMetaObject::invokeMethod(
                this, [this, result] { done(result); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void PieceQueue::done(const WriteResult& result) {
    m_inFlight = false;
    const Piece piece = m_pieces.front();
    if (result.ok) {
        m_pieces.pop_front();
    } else {
        m_failed = true;
        m_lastError = result.error;
    }
    emit written(piece, result);
    dispatch();
}

qsizetype PieceQueue::finish(int budgetMs) {
    retry();
    const QDeadlineTimer deadline(budgetMs);
    // Only the writer's answers are delivered here: the window takes no input meanwhile.
    while (!idle() && !deadline.hasExpired()) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        QThread::msleep(2);
    }
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return size();
}

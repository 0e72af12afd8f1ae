#pragma once

#include "capture/piecewriter.h"

#include <QObject>
#include <QThread>

#include <deque>
#include <functional>
#include <memory>

// The pieces waiting to be stored, in the order they were taken. One at a time goes to the
// writer's thread; the result comes back to the window's thread. A piece that failed stays
// at the head and goes again on retry(): nothing overtakes it.
class PieceQueue final : public QObject {
    Q_OBJECT
public:
    explicit PieceQueue(QObject* parent = nullptr);
    ~PieceQueue() override;

    // Replaces the writer; a piece already being written finishes with the old one.
    void setWriter(std::unique_ptr<PieceWriter> writer);
    // Runs on the window's thread just before a piece goes to the writer, so that numbering
    // starts from the files confirmed so far.
    std::function<void(Piece&)> prepare;

    void enqueue(Piece piece);
    // Sends a head that failed once more.
    void retry();
    // Nothing is being written and nothing waits but a head that failed.
    bool idle() const { return !m_inFlight && (m_pieces.empty() || m_failed); }
    qsizetype size() const { return qsizetype(m_pieces.size()); }
    // Before the program ends: tries a failed head once more and writes everything waiting,
    // delivering the results as usual, for at most the budget. Returns how many pieces are
    // still not stored; lastError() says why.
    qsizetype finish(int budgetMs);
    const QString& lastError() const { return m_lastError; }

signals:
    // After each attempt, on the window's thread.
    void written(const Piece& piece, const WriteResult& result);

private:
    void dispatch();
    void done(const WriteResult& result);

    std::deque<Piece> m_pieces;
    bool m_inFlight = false;
    bool m_failed = false;
    QString m_lastError;
    std::shared_ptr<PieceWriter> m_writer;
    QThread m_thread;
    QObject* m_worker = nullptr;
};

#pragma once

#include "platform/racecheck.h"
#include "storage/collectionfiles.h"
#include "storage/piecewriter.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QThread>

#include <deque>
#include <functional>
#include <memory>

// The one owner of the collection directory. Every change to a file there (captured pieces,
// and the manager's saving, "Neu", deleting, renaming and copying in) runs on its writer
// thread, one at a time, so two writers never meet and a check followed by a write is one
// step. The window's thread never waits for it: results come back as signals and callbacks.
//
// Pieces keep their copy order per file, not across files: each kind of piece (collection
// file, single text files, bitmaps, vector pictures) has a lane of its own. A piece that
// cannot be written stays first in its lane and is tried again on retry(); the other lanes go
// on. Pieces still waiting follow the collection directory when it changes.
//
// It also owns the directory's file lists: new files are numbered from them, the window asks
// it for the counts and hears of changes through filesChanged().
class CollectionStore final : public QObject {
    Q_OBJECT
public:
    explicit CollectionStore(QObject* parent = nullptr);
    // The job being carried out finishes; what waits behind it is not started (and logged).
    ~CollectionStore() override;

    // Replaces the writer; a piece already being written finishes with the old one.
    void setWriter(std::unique_ptr<PieceWriter> writer);
    // The collection directory. Pieces still waiting go there, in their order and ahead of
    // later ones, and are tried at once. What a crash left there is mended first. The file
    // lists are read anew, also when the directory stays the same.
    void setDirectory(const QString& dir);
    const QString& directory() const { return m_dir; }

    // The file lists as of their last refresh. A stored piece refreshes the list that numbers
    // its kind (a single text file also when it failed); refreshFiles() takes in what others
    // did to the directory.
    const CollectionFiles& files() const { return m_files; }
    CollectionCounts counts() const { return m_files.counts(); }
    void refreshFiles();

    // A piece without a directory goes to the current one.
    void enqueue(Piece piece);
    // Sends the failed head of every lane once more.
    void retry();
    // Nothing is being done and nothing waits but pieces that failed.
    bool idle() const;
    // Pieces not stored yet.
    qsizetype size() const;
    // Before the program ends: tries the failed pieces once more and writes everything
    // waiting, delivering the results as usual, for at most the budget or until stop() says
    // so. Returns how many pieces are still not stored; lastError() says why.
    qsizetype finish(int budgetMs, const std::function<bool()>& stop = {});
    const StoreError& lastError() const { return m_lastError; }
    // The program ends without them: every piece still waiting is dropped, each with a log
    // line saying its kind and size. One being written is left to finish. Returns how many
    // were dropped.
    qsizetype abandon();

    // Runs work on the writer's thread, between two pieces, and hands its result to done on
    // the window's thread, unless context is gone by then.
    template <typename Work, typename Done> void run(QObject* context, Work work, Done done) {
        ++m_jobs;
        QMetaObject::invokeMethod(
            m_worker,
            raceHandOver([this, guard = QPointer<QObject>(context), work = std::move(work),
                          done = std::move(done)]() mutable {
                auto result = work();
                QMetaObject::invokeMethod(
                    this,
                    raceHandOver([this, guard, done = std::move(done), result = std::move(result)]() mutable {
                        --m_jobs;
                        if (guard) {
                            done(std::move(result));
                        }
                    }),
                    Qt::QueuedConnection);
            }),
            Qt::QueuedConnection);
    }

signals:
    // After each attempt, on the window's thread.
    void written(const Piece& piece, const WriteResult& result);
    // The directory or its file lists changed: the counts may read differently.
    void filesChanged();

private:
    struct Lane {
        std::deque<Piece> pieces;
        bool inFlight = false;
        bool failed = false;
    };
    static int laneOf(const Piece& piece) { return int(piece.kind); }
    void dispatch(Lane& lane);
    void done(int lane, const WriteResult& result);

    Lane m_lanes[4];
    int m_jobs = 0;
    QString m_dir;
    StoreError m_lastError;
    CollectionFiles m_files;
    // Directories whose missing crash protection the hint line has told already.
    QSet<QString> m_toldUnguarded;
    std::shared_ptr<PieceWriter> m_writer;
    QThread m_thread;
    QObject* m_worker = nullptr;
};

#include "storage/collectionstore.h"

#include "platform/logging.h"
#include "storage/safefile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

using namespace Qt::StringLiterals;

namespace {

// The file a piece goes to, for the log.
QString target(const Piece& piece, const WriteResult& result) {
    return piece.dir + (piece.kind == Piece::Kind::Collection ? u"clipbrd.dat"_s : result.name);
}

} // namespace

CollectionStore::CollectionStore(QObject* parent)
    : QObject(parent), m_writer(std::make_shared<FileWriter>()), m_worker(new QObject) {
    m_thread.setObjectName(QStringLiteral("writer"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

CollectionStore::~CollectionStore() {
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void CollectionStore::setWriter(std::unique_ptr<PieceWriter> writer) {
    m_writer = std::move(writer);
}

void CollectionStore::setDirectory(const QString& dir) {
    if (dir == m_dir) {
        return;
    }
    m_dir = dir;
    // Mended before any piece goes there: the jobs run in the order they were sent.
    run(
        this,
        [dir] {
            QString error;
            if (!SafeFile::recoverAppend(dir + u"clipbrd.dat"_s, &error)) {
                qCWarning(lcStore) << dir + u"clipbrd.dat"_s << "not mended:" << error;
            }
            SafeFile::removeLeftovers(dir);
            return true;
        },
        [](bool) {});
    for (Lane& lane : m_lanes) {
        for (size_t i = lane.inFlight ? 1 : 0; i < lane.pieces.size(); ++i) {
            Piece& piece = lane.pieces[i];
            if (piece.dir != dir) {
                qCInfo(lcStore) << "waiting piece follows the collection directory to" << dir;
                piece.dir = dir;
                piece.followed = true;
            }
        }
        lane.failed = false;
        dispatch(lane);
    }
}

void CollectionStore::enqueue(Piece piece) {
    if (piece.dir.isEmpty()) {
        piece.dir = m_dir;
    }
    Lane& lane = m_lanes[laneOf(piece)];
    lane.pieces.push_back(std::move(piece));
    dispatch(lane);
}

void CollectionStore::retry() {
    for (Lane& lane : m_lanes) {
        if (lane.failed && !lane.inFlight) {
            qCInfo(lcStore) << "retrying a piece for" << lane.pieces.front().dir;
            lane.failed = false;
            dispatch(lane);
        }
    }
}

bool CollectionStore::idle() const {
    if (m_jobs > 0) {
        return false;
    }
    for (const Lane& lane : m_lanes) {
        if (lane.inFlight || (!lane.pieces.empty() && !lane.failed)) {
            return false;
        }
    }
    return true;
}

qsizetype CollectionStore::size() const {
    qsizetype n = 0;
    for (const Lane& lane : m_lanes) {
        n += qsizetype(lane.pieces.size());
    }
    return n;
}

void CollectionStore::dispatch(Lane& lane) {
    if (lane.inFlight || lane.failed || lane.pieces.empty()) {
        return;
    }
    if (prepare) {
        prepare(lane.pieces.front());
    }
    lane.inFlight = true;
    const int index = int(&lane - m_lanes);
    ++m_jobs;
    QMetaObject::invokeMethod(
        m_worker, raceHandOver([this, index, writer = m_writer, piece = lane.pieces.front()] {
            const WriteResult result = writer->write(piece);
            if (!result.ok) {
                qCWarning(lcStore) << target(piece, result) << "not written:" << result.error;
            } else if (result.unguarded) {
                qCWarning(lcStore) << target(piece, result) << "written without crash protection";
            }
            QMetaObject::invokeMethod(this, raceHandOver([this, index, result] {
                                          --m_jobs;
                                          done(index, result);
                                      }),
                                      Qt::QueuedConnection);
        }),
        Qt::QueuedConnection);
}

void CollectionStore::done(int index, const WriteResult& result) {
    Lane& lane = m_lanes[index];
    lane.inFlight = false;
    Piece piece = lane.pieces.front();
    WriteResult told = result;
    if (result.ok) {
        lane.pieces.pop_front();
        // Said once per directory.
        if (told.unguarded) {
            told.unguarded = !m_toldUnguarded.contains(piece.dir);
            m_toldUnguarded.insert(piece.dir);
        }
    } else if (piece.dir != m_dir) {
        // The directory changed while it was being written: it goes to the new one at once.
        lane.pieces.front().dir = m_dir;
        lane.pieces.front().followed = true;
    } else {
        lane.failed = true;
        m_lastError = result.error;
    }
    emit written(piece, told);
    dispatch(lane);
}

qsizetype CollectionStore::finish(int budgetMs, const std::function<bool()>& stop) {
    retry();
    const QDeadlineTimer deadline(budgetMs);
    // Only the writer's answers are delivered here: the window takes no input meanwhile.
    while (!idle() && !deadline.hasExpired() && !(stop && stop())) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        QThread::msleep(2);
    }
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return size();
}

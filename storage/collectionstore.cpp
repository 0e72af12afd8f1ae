#include "storage/collectionstore.h"

#include "platform/logging.h"
#include "storage/guardedappend.h"
#include "storage/wholefile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The file a piece goes to, for the log.
QString target(const Piece& piece, const WriteResult& result) {
    return piece.dir + (piece.kind == Piece::Kind::Collection ? kCollectionFileName : result.name);
}

// The list that numbers a kind of piece.
std::optional<CollectionFiles::List> listOf(Piece::Kind kind) {
    switch (kind) {
    case Piece::Kind::SingleText:
        return CollectionFiles::List::Texts;
    case Piece::Kind::Bitmap:
        return CollectionFiles::List::Bitmaps;
    case Piece::Kind::Metafile:
        return CollectionFiles::List::Metafiles;
    case Piece::Kind::Collection:
        break;
    }
    return std::nullopt;
}

// What a piece is, for the log: its kind and size, never its content.
QString describePiece(const Piece& piece) {
    static const char* const kinds[] = {"collected text", "single text", "bitmap", "vector picture"};
    const QString kind = QString::fromLatin1(kinds[int(piece.kind)]);
    if (piece.kind == Piece::Kind::Collection || piece.kind == Piece::Kind::SingleText) {
        // As it would have been written, line end included.
        return u"%1 of %2 bytes"_s.arg(kind).arg((piece.text + piece.ending + u"\r\n"_s).toUtf8().size());
    }
    return u"%1 of %2 x %3 pixels"_s.arg(kind).arg(piece.image.width()).arg(piece.image.height());
}

} // namespace

CollectionStore::CollectionStore(QObject* parent)
    : QObject(parent), m_writer(std::make_shared<FileWriter>()), m_worker(new QObject) {
    m_thread.setObjectName(QStringLiteral("writer"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

CollectionStore::~CollectionStore() {
    abandon();
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void CollectionStore::setWriter(std::unique_ptr<PieceWriter> writer) {
    m_writer = std::move(writer);
}

void CollectionStore::refreshFiles() {
    m_files.refresh();
    emit filesChanged();
}

void CollectionStore::setDirectory(const QString& dir) {
    m_files.setDirectory(dir);
    emit filesChanged();
    if (dir == m_dir) {
        return;
    }
    m_dir = dir;
    // Mended before any piece goes there: the jobs run in the order they were sent.
    run(
        this,
        [dir] {
            // It logs what it does and what fails.
            SafeFile::recoverAppend(dir + kCollectionFileName);
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
    // Numbering starts from the list as refreshed after the piece before.
    if (const auto list = listOf(lane.pieces.front().kind)) {
        lane.pieces.front().count = m_files.count(*list);
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
    // A single text file is counted again also after a failure; a picture once it is there.
    const auto list = listOf(piece.kind);
    const bool refresh = list && (result.ok || piece.kind == Piece::Kind::SingleText);
    if (refresh) {
        m_files.refresh(*list);
    }
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
    // The counters first: a confirmation never precedes them.
    if (refresh || result.ok) {
        emit filesChanged();
    }
    emit written(piece, told);
    dispatch(lane);
}

qsizetype CollectionStore::abandon() {
    qsizetype dropped = 0;
    for (Lane& lane : m_lanes) {
        const size_t first = lane.inFlight ? 1 : 0;
        if (lane.inFlight) {
            qCWarning(lcStore).noquote()
                << "still being written at exit:" << describePiece(lane.pieces.front()) << "for"
                << lane.pieces.front().dir;
        }
        for (size_t i = first; i < lane.pieces.size(); ++i) {
            qCWarning(lcStore).noquote() << "dropped at exit, not stored:" << describePiece(lane.pieces[i])
                                         << "for" << lane.pieces[i].dir;
            ++dropped;
        }
        lane.pieces.erase(lane.pieces.begin() + qsizetype(first), lane.pieces.end());
        lane.failed = false;
    }
    return dropped;
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

// Storing pieces: runs on the writer's thread, never on the window's.
#include "capture/piecewriter.h"

#include "capture/bmpfile.h"
#include "capture/numbering.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Unbuffered writes can come back short; the next write then fails with its cause.
bool writeAll(QFile& file, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

// The data reached the disk, not only the page cache: only then is a piece confirmed.
bool synced(QFile& file) {
    return file.isSequential() || ::fdatasync(file.handle()) == 0;
}

// Why a file could not be written, in the words of the hint line.
QString reason(const QFileDevice& file, const QString& dir, const QString& notOpened) {
    if (!QFileInfo(dir).isDir()) {
        return u"Verzeichnis fehlt"_s;
    }
    switch (file.error()) {
    case QFileDevice::OpenError:
        return notOpened;
    case QFileDevice::ResourceError:
        return u"Datenträger voll"_s;
    default:
        return u"Schreibfehler"_s;
    }
}

// Appends one record and makes sure it reached the disk whole; a failed append is cut off
// again, so the earlier records stay as they were.
bool appendRecord(const QString& path, const QByteArray& record, QString* error) {
    QFile file(path);
    // Unbuffered, so that a failing write fails here, while what got through of it can still
    // be cut off, and not in a later flush of the buffer.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = reason(file, QFileInfo(path).path(), u"Datei kann nicht geöffnet werden"_s);
        return false;
    }
    const qint64 before = file.size();
    if (!writeAll(file, record) || !synced(file)) {
        *error = reason(file, QFileInfo(path).path(), QString());
        if (!file.isSequential()) {
            file.resize(before);
        }
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        *error = reason(file, QFileInfo(path).path(), QString());
        return false;
    }
    return true;
}

WriteResult writeSingleText(const Piece& piece) {
    WriteResult r;
    QFile file;
    r.name = claimNumberedFile(piece.dir, piece.count, QString(), u".txt"_s, file);
    if (r.name.isEmpty()) {
        r.name = numberText(piece.count) + u".txt"_s;
        r.error = reason(file, piece.dir, u"Datei kann nicht angelegt werden"_s);
        return r;
    }
    r.ok = writeAll(file, (piece.text + u"\r\n"_s).toUtf8()) && synced(file);
    if (r.ok) {
        file.close();
        r.ok = file.error() == QFileDevice::NoError;
    }
    if (!r.ok) {
        r.error = reason(file, piece.dir, QString());
        // A half-written file would pass for a stored piece.
        file.remove();
    }
    return r;
}

// Writes the picture into a claimed file as a 24-bit Windows bitmap. A file that could not
// be written whole is removed again.
WriteResult writePicture(const Piece& piece) {
    WriteResult r;
    QFile file;
    r.name = claimNumberedFile(piece.dir, piece.count, piece.prefix, u".bmp"_s, file);
    if (r.name.isEmpty()) {
        r.name = piece.prefix + numberText(piece.count) + u".bmp"_s;
        r.error =
            QFileInfo(piece.dir).isDir() ? u"Datei kann nicht angelegt werden"_s : u"Verzeichnis fehlt"_s;
        return r;
    }
    r.ok = BmpFile::write(file, piece.image) && file.flush() && synced(file);
    QFileDevice::FileError fault = file.error();
    file.close();
    if (r.ok && file.error() != QFileDevice::NoError) {
        r.ok = false;
        fault = file.error();
    }
    if (!r.ok) {
        switch (fault) {
        case QFileDevice::ResourceError:
            r.error = u"Datenträger voll"_s;
            break;
        case QFileDevice::NoError:
            r.error = u"zu wenig Speicher"_s;
            break;
        default:
            r.error = u"Schreibfehler"_s;
            break;
        }
        QFile::remove(file.fileName());
    }
    return r;
}

} // namespace

WriteResult FileWriter::write(const Piece& piece) {
    switch (piece.kind) {
    case Piece::Kind::Collection: {
        WriteResult r;
        // The written line is the text, then its ending, then the line end of the write.
        r.ok = appendRecord(piece.dir + u"clipbrd.dat"_s, (piece.text + piece.ending + u"\r\n"_s).toUtf8(),
                            &r.error);
        return r;
    }
    case Piece::Kind::SingleText:
        return writeSingleText(piece);
    case Piece::Kind::Bitmap:
    case Piece::Kind::Metafile:
        break;
    }
    return writePicture(piece);
}

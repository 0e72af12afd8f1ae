// Storing pieces: runs on the writer's thread, never on the window's.
#include "storage/piecewriter.h"

#include "storage/bmpfile.h"
#include "storage/collectionfiles.h"
#include "storage/guardedappend.h"
#include "storage/numbering.h"
#include "storage/wholefile.h"

using namespace Qt::StringLiterals;

namespace {

// Written whole under a temporary name, synced, then given the first free number: a crash
// never leaves half a piece, and an existing file is never replaced.
template <typename Fill> WriteResult writeNumbered(const Piece& piece, const QString& suffix, Fill fill) {
    WriteResult r;
    SafeFile::NewFile file(piece.dir);
    if (file.isOpen() && fill(file)) {
        r.name = placeNumberedFile(piece.count, piece.prefix, suffix, file);
    }
    r.ok = !r.name.isEmpty();
    if (!r.ok) {
        r.name = piece.prefix + numberText(piece.count) + suffix;
        r.error = file.error();
    }
    return r;
}

} // namespace

WriteResult FileWriter::write(const Piece& piece) {
    switch (piece.kind) {
    case Piece::Kind::Collection: {
        WriteResult r;
        // The written line is the text, then its ending, then the line end of the write.
        r.ok =
            SafeFile::appendRecord(piece.dir + kCollectionFileName,
                                   (piece.text + piece.ending + u"\r\n"_s).toUtf8(), &r.error, &r.unguarded);
        return r;
    }
    case Piece::Kind::SingleText:
        return writeNumbered(piece, u".txt"_s, [&](SafeFile::NewFile& file) {
            return file.write((piece.text + u"\r\n"_s).toUtf8());
        });
    case Piece::Kind::Bitmap:
    case Piece::Kind::Metafile:
        break;
    }
    return writeNumbered(piece, u".bmp"_s, [&](SafeFile::NewFile& file) {
        if (BmpFile::write(file.device(), piece.image)) {
            return true;
        }
        file.writeFailed();
        return false;
    });
}

#pragma once

#include "storage/storeerror.h"

#include <QImage>
#include <QString>

// One piece of captured content on its way to the disk.
struct Piece {
    enum class Kind { Collection, SingleText, Bitmap, Metafile };
    Kind kind = Kind::Collection;
    QString dir;           // the collection directory when the piece was taken, with its separator
    QString text;          // text: the work text
    QString ending;        // collection file: what follows the text (separator block or line end)
    QImage image;          // pictures
    QString prefix;        // numbered files: "scr" for a snapshot
    int count = 0;         // numbered files: where the search for a free number starts
    quint64 clipCount = 0; // the clipboard's change counter when the piece was taken
    bool followed = false; // waited, and went to the collection directory chosen since
    quint64 session = 0;   // the monitoring session that took it
};

struct WriteResult {
    bool ok = false;
    QString name;           // numbered files: the name taken, or the one that could not be written
    StoreError error;       // why not
    bool unguarded = false; // stored, but without crash protection (a foreign side file)
};

// Stores one piece. Runs on the writer's thread; ok only once the bytes are on the disk.
class PieceWriter {
public:
    virtual ~PieceWriter() = default;
    virtual WriteResult write(const Piece& piece) = 0;
};

// The real files: the collection file, numbered text files and pictures.
class FileWriter final : public PieceWriter {
public:
    WriteResult write(const Piece& piece) override;
};

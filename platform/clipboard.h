#pragma once

#include <QImage>
#include <QObject>
#include <QString>

// The system clipboard as the capture cycle sees it: four kinds of content in a fixed
// order, text, a picture, clearing, and a cheap change counter that lets a caller tell
// "unchanged" without transferring the data again.
class Clipboard : public QObject {
    Q_OBJECT
public:
    enum class Kind { Text, Bitmap, Dib, Metafile };

    struct TextResult {
        QString text;
        bool tooLarge = false; // refused: above the size cap, or out of memory
    };

    using QObject::QObject;
    ~Clipboard() override = default;

    virtual bool has(Kind kind) = 0;
    // Nothing at all offered, not even a kind of no interest.
    virtual bool isEmpty() = 0;
    virtual TextResult text(qsizetype maxBytes) = 0;
    // A picture of the given kind; a null image when none can be had.
    virtual QImage image(Kind kind) = 0;
    virtual void clear() = 0;
    // Bumped on every change of the clipboard's content, our own clearing included.
    virtual quint64 changeCount() const = 0;

signals:
    void changed();
};

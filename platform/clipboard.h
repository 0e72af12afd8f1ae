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
        // Offered as text, but holding NUL bytes or bytes that are not UTF-8: binary data,
        // not text. type names what it was offered as.
        bool binary = false;
        QString type;
    };

    // Why image() gave no picture.
    enum class ImageFault { None, Unreadable, TooLarge, NotRenderable };
    // Pictures above this many pixels are refused before they are decoded (8192 x 8192 is
    // 256 MiB at 32 bits per pixel); vector pictures are rendered down to it instead.
    static constexpr qint64 kMaxImagePixels = qint64(8192) * 8192;

    using QObject::QObject;
    ~Clipboard() override = default;

    virtual bool has(Kind kind) = 0;
    // Nothing at all offered, not even a kind of no interest.
    virtual bool isEmpty() = 0;
    virtual TextResult text(qsizetype maxBytes) = 0;
    // A picture of the given kind; a null image when none can be had.
    virtual QImage image(Kind kind) = 0;
    // The reason the last image() call came back null.
    virtual ImageFault imageFault() const { return ImageFault::None; }
    // The size the picture of the last null image() call announced; empty when unknown.
    virtual QSize imageSize() const { return {}; }
    virtual void clear() = 0;
    // Empties the clipboard of whatever it holds at this moment, also a content that is still
    // being read, which is then never reported.
    virtual void clearNow() { clear(); }
    // Whether the capture listens. A desktop that tells of a change only once it is stirred
    // is stirred only while it does, so that a program that is not monitoring costs nothing.
    virtual void setWatching(bool) {}
    // Bumped on every change of the clipboard's content, our own clearing included.
    virtual quint64 changeCount() const = 0;
    // The content is marked by a password manager (it offers the type kSecretHint), or is
    // the text of such a content republished without the mark: it is never stored.
    virtual bool isSecret() { return false; }
    // The content changed, but its owner did not hand it over within the time budget.
    virtual bool readFailed() { return false; }

    // The type a password manager offers beside a secret, whatever its value.
    static constexpr const char* kSecretHint = "x-kde-passwordManagerHint";

signals:
    void changed();
};

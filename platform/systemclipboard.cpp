#include "platform/systemclipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>

#include <new>

using namespace Qt::StringLiterals;

namespace {

bool isVector(const QString& format) {
    return format == "image/svg+xml"_L1 || format == "image/x-wmf"_L1 || format == "image/wmf"_L1 ||
           format == "image/x-emf"_L1 || format == "image/emf"_L1 || format == "application/x-msmetafile"_L1;
}

bool isDib(const QString& format) {
    return format == "image/bmp"_L1 || format == "image/x-bmp"_L1 || format == "image/x-ms-bmp"_L1;
}

bool isText(const QString& format) {
    return format == "text/plain"_L1 || format.startsWith("text/plain;"_L1);
}

QImage decode(const QByteArray& bytes, const char* hint = nullptr) {
    if (bytes.isEmpty()) {
        return {};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    // QImageReader keeps to its allocation limit, so a corrupt or absurd header gives a
    // null picture instead of an attempt to allocate gigabytes.
    QImageReader reader(&buffer, hint);
    return reader.read();
}

} // namespace

SystemClipboard::SystemClipboard(QObject* parent) : Clipboard(parent) {
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard) {
            ++m_changeCount;
            emit changed();
        }
    });
}

bool SystemClipboard::offers(const QStringList& formats, Kind kind) {
    for (const QString& f : formats) {
        switch (kind) {
        case Kind::Text:
            if (isText(f)) {
                return true;
            }
            break;
        case Kind::Bitmap:
            if ((f.startsWith("image/"_L1) && !isVector(f) && !isDib(f)) ||
                f == "application/x-qt-image"_L1) {
                return true;
            }
            break;
        case Kind::Dib:
            if (isDib(f)) {
                return true;
            }
            break;
        case Kind::Metafile:
            if (isVector(f)) {
                return true;
            }
            break;
        }
    }
    return false;
}

QImage SystemClipboard::imageFrom(const QMimeData& data, Kind kind) {
    try {
        const QStringList formats = data.formats();
        if (kind == Kind::Dib) {
            for (const QString& f : formats) {
                if (isDib(f)) {
                    return decode(data.data(f), "BMP");
                }
            }
        }
        if (kind == Kind::Metafile) {
            // A vector picture is rendered where an image plugin can read it; otherwise the
            // raster form offered beside it is taken.
            for (const QString& f : formats) {
                if (isVector(f)) {
                    QImage img = decode(data.data(f));
                    if (!img.isNull()) {
                        return img;
                    }
                }
            }
        }
        if (data.hasImage()) {
            QImage img = qvariant_cast<QImage>(data.imageData());
            if (!img.isNull()) {
                return img;
            }
        }
        for (const QString& f : formats) {
            if (f.startsWith("image/"_L1) && !isVector(f)) {
                QImage img = decode(data.data(f));
                if (!img.isNull()) {
                    return img;
                }
            }
        }
    } catch (const std::bad_alloc&) {
    }
    return {};
}

bool SystemClipboard::has(Kind kind) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data) {
        return false;
    }
    if (kind == Kind::Text && data->hasText()) {
        return true;
    }
    if (kind == Kind::Bitmap && data->hasImage()) {
        return true;
    }
    return offers(data->formats(), kind);
}

bool SystemClipboard::isEmpty() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return !data || data->formats().isEmpty();
}

Clipboard::TextResult SystemClipboard::text(qsizetype maxBytes) {
    TextResult result;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data) {
        return result;
    }
    try {
        QString text = data->text();
        if (text.size() * qsizetype(sizeof(QChar)) > maxBytes) {
            result.tooLarge = true;
        } else {
            result.text = std::move(text);
        }
    } catch (const std::bad_alloc&) {
        result.tooLarge = true;
    }
    return result;
}

QImage SystemClipboard::image(Kind kind) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data) {
        return {};
    }
    return imageFrom(*data, kind);
}

void SystemClipboard::clear() {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}

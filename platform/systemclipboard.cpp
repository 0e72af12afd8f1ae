#include "platform/systemclipboard.h"

#include "platform/x11selection.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>

#include <algorithm>
#include <cmath>
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

// Decodes one offered form. The header is read first, so a picture above the size cap is
// refused before anything is allocated for it; a vector picture is drawn down to the cap.
QImage decode(const QByteArray& bytes, const char* hint, bool vector, Clipboard::ImageFault& fault) {
    if (bytes.isEmpty()) {
        return {};
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // QImageReader also keeps to its own allocation limit, so a corrupt or absurd header gives
    // a null picture instead of an attempt to allocate gigabytes.
    QImageReader reader(&buffer, hint);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > Clipboard::kMaxImagePixels) {
        if (!vector) {
            fault = Clipboard::ImageFault::TooLarge;
            return {};
        }
        const double scale =
            std::sqrt(double(Clipboard::kMaxImagePixels) / (double(size.width()) * size.height()));
        reader.setScaledSize(
            QSize(std::max(1, int(size.width() * scale)), std::max(1, int(size.height() * scale))));
    }
    return reader.read();
}

} // namespace

SystemClipboard::SystemClipboard(QObject* parent) : Clipboard(parent) {
    if (QGuiApplication::platformName() == "xcb"_L1) {
        m_x11 = X11Selection::open();
    }
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard) {
            ++m_changeCount;
            emit changed();
        }
    });
}

SystemClipboard::~SystemClipboard() = default;

void SystemClipboard::look(bool reading) {
    // Taken again right before the data itself is read, so that an owner who took the
    // clipboard since the first look is covered too.
    if (m_x11 && (reading || m_lookedAt != m_changeCount)) {
        m_lookedAt = m_changeCount;
        m_lookTime = m_x11->serverTime();
    }
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

QImage SystemClipboard::imageFrom(const QMimeData& data, Kind kind, ImageFault* fault) {
    ImageFault why = ImageFault::None;
    QImage img;
    try {
        const QStringList formats = data.formats();
        bool vectorOffered = false;
        // The form the kind names comes first: a bitmap file for the device-independent
        // bitmap, the vector form for a metafile picture.
        if (kind == Kind::Dib || kind == Kind::Metafile) {
            for (const QString& f : formats) {
                const bool vector = isVector(f);
                vectorOffered = vectorOffered || vector;
                if ((kind == Kind::Dib && isDib(f)) || (kind == Kind::Metafile && vector)) {
                    img = decode(data.data(f), kind == Kind::Dib ? "BMP" : nullptr, vector, why);
                    if (!img.isNull()) {
                        break;
                    }
                }
            }
        }
        // Then a raster form offered beside it, as the bytes that were offered: their header
        // is checked before decoding.
        for (qsizetype i = 0; img.isNull() && i < formats.size(); ++i) {
            const QString& f = formats.at(i);
            if (f.startsWith("image/"_L1) && !isVector(f)) {
                img = decode(data.data(f), isDib(f) ? "BMP" : nullptr, false, why);
            }
        }
        // A picture handed over in memory (by this program, or by the toolkit).
        if (img.isNull() && data.hasImage()) {
            img = qvariant_cast<QImage>(data.imageData());
        }
        if (img.isNull() && why != ImageFault::TooLarge) {
            why = (kind == Kind::Metafile && vectorOffered) ? ImageFault::NotRenderable
                                                            : ImageFault::Unreadable;
        }
    } catch (const std::bad_alloc&) {
        img = QImage();
        why = ImageFault::TooLarge;
    }
    if (fault) {
        *fault = img.isNull() ? why : ImageFault::None;
    }
    return img;
}

bool SystemClipboard::has(Kind kind) {
    look(false);
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
    look(false);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return !data || data->formats().isEmpty();
}

Clipboard::TextResult SystemClipboard::text(qsizetype maxBytes) {
    look(true);
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
    look(true);
    m_imageFault = ImageFault::Unreadable;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data) {
        return {};
    }
    return imageFrom(*data, kind, &m_imageFault);
}

void SystemClipboard::clear() {
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    // Qt's request may have come too late by its clock (see X11Selection): give up what was
    // looked at, as of then.
    if (m_x11 && m_lookTime != 0 && m_x11->owned()) {
        m_x11->release(m_lookTime);
    }
}

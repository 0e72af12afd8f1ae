#include "tests/support/fakes.h"

#include "platform/clipboardreader.h"

#include "platform/systemclipboard.h"

#include <QBuffer>

#include <utility>

using namespace Qt::StringLiterals;

std::unique_ptr<QMimeData> formats(std::initializer_list<std::pair<QString, QByteArray>> forms) {
    auto data = std::make_unique<QMimeData>();
    for (const auto& [format, bytes] : forms) {
        data->setData(format, bytes);
    }
    return data;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

void FakeClipboard::changed_() {
    ++m_count;
    emit changed();
}

bool FakeClipboard::has(Kind kind) {
    return m_data &&
           ((kind == Kind::Text && m_data->hasText()) || (kind == Kind::Bitmap && m_data->hasImage()) ||
            SystemClipboard::offers(m_data->formats(), kind));
}

Clipboard::TextResult FakeClipboard::text(qsizetype maxBytes) {
    ++textReads;
    // The owner's bytes where it offers UTF-8 by name, as the reader takes them.
    const QString utf8 = QStringLiteral("text/plain;charset=utf-8");
    if (m_data && m_data->hasFormat(utf8) && !ClipboardReader::decodeText(m_data->data(utf8))) {
        return {QString(), false, true, utf8};
    }
    const QString text = currentText();
    const bool tooLarge = text.size() * qsizetype(sizeof(QChar)) > maxBytes;
    return {tooLarge ? QString() : text, tooLarge, false, {}};
}

QImage FakeClipboard::image(Kind kind) {
    ++imageReads;
    m_imageFault = ImageFault::Unreadable;
    if (!m_data) {
        return {};
    }
    return SystemClipboard::imageFrom(*m_data, kind, &m_imageFault, &m_imageSize);
}

void FakeClipboard::clear() {
    ++clears;
    m_data.reset();
    changed_();
}

void FakeClipboard::setText(const QString& text) {
    setFormats(formats({{u"text/plain"_s, text.toUtf8()}}));
}

void FakeClipboard::setImage(const QImage& image, const QString& format) {
    setFormats(formats({{format, encoded(image, format == "image/bmp"_L1 ? "BMP" : "PNG")}}));
}

void FakeClipboard::setFormats(std::unique_ptr<QMimeData> data) {
    m_data = std::move(data);
    changed_();
}

QString FakeClipboard::currentText() const {
    return m_data ? m_data->text() : QString();
}

MessageBoxes::Answer FakeMessageBoxes::show(QWidget*, Icon icon, Buttons buttons, const QString& text,
                                            const QString& title) {
    shown.append({icon, buttons, text, title});
    if (whileShown) {
        std::exchange(whileShown, nullptr)();
    }
    return buttons == Buttons::Ok ? Answer::Ok : answers.isEmpty() ? Answer::Yes : answers.takeFirst();
}

bool FakeDesktop::snapshotToClipboard() {
    ++snapshots;
    if (refuse || !clipboard) {
        return false;
    }
    if (!busy) {
        clipboard->setImage(screen);
    }
    return true;
}

namespace {
// Puts a new fake into the platform's slot and keeps a typed reference to it.
template <typename Fake, typename Base> Fake& keep(std::unique_ptr<Base>& slot) {
    auto fake = std::make_unique<Fake>();
    Fake& ref = *fake;
    slot = std::move(fake);
    return ref;
}
} // namespace

FakePlatform::FakePlatform()
    : clipboard(keep<FakeClipboard>(platform.clipboard)), messages(keep<FakeMessageBoxes>(platform.messages)),
      sound(keep<FakeSound>(platform.sound)), desktop(keep<FakeDesktop>(platform.desktop)),
      lock(keep<FakeInstanceLock>(platform.instanceLock)) {
    desktop.clipboard = &clipboard;
}

#include "tests/support/fakes.h"

#include "platform/systemclipboard.h"

#include <QBuffer>

#include <utility>

using namespace Qt::StringLiterals;

void FakeClipboard::changed_() {
    ++m_count;
    emit changed();
}

bool FakeClipboard::has(Kind kind) {
    if (!m_data) {
        return false;
    }
    if (kind == Kind::Text && m_data->hasText()) {
        return true;
    }
    if (kind == Kind::Bitmap && m_data->hasImage()) {
        return true;
    }
    return SystemClipboard::offers(m_data->formats(), kind);
}

Clipboard::TextResult FakeClipboard::text(qsizetype maxBytes) {
    ++textReads;
    TextResult r;
    if (!m_data) {
        return r;
    }
    const QString t = m_data->text();
    if (t.size() * qsizetype(sizeof(QChar)) > maxBytes) {
        r.tooLarge = true;
    } else {
        r.text = t;
    }
    return r;
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
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    setFormats(std::move(data));
}

void FakeClipboard::setImage(const QImage& image, const QString& format) {
    auto data = std::make_unique<QMimeData>();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format == "image/bmp"_L1 ? "BMP" : "PNG");
    data->setData(format, bytes);
    setFormats(std::move(data));
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
    if (buttons == Buttons::Ok) {
        return Answer::Ok;
    }
    return answers.isEmpty() ? Answer::Yes : answers.takeFirst();
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
template <typename T> T& keep(std::unique_ptr<T>& slot, std::unique_ptr<T> value) {
    T& ref = *value;
    slot = std::move(value);
    return ref;
}
} // namespace

FakePlatform::FakePlatform()
    : clipboard(static_cast<FakeClipboard&>(
          keep<Clipboard>(platform.clipboard, std::make_unique<FakeClipboard>()))),
      messages(static_cast<FakeMessageBoxes&>(
          keep<MessageBoxes>(platform.messages, std::make_unique<FakeMessageBoxes>()))),
      sound(static_cast<FakeSound&>(keep<SoundOutput>(platform.sound, std::make_unique<FakeSound>()))),
      desktop(static_cast<FakeDesktop&>(keep<Desktop>(platform.desktop, std::make_unique<FakeDesktop>()))),
      lock(static_cast<FakeInstanceLock&>(
          keep<InstanceLock>(platform.instanceLock, std::make_unique<FakeInstanceLock>()))) {
    desktop.clipboard = &clipboard;
}

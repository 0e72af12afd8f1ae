#pragma once

#include "platform/platform.h"

#include <QList>
#include <QMimeData>
#include <QStringList>

#include <functional>
#include <memory>

// Clipboard content under the given formats; a picture encoded in a file format.
std::unique_ptr<QMimeData> formats(std::initializer_list<std::pair<QString, QByteArray>> forms);
QByteArray encoded(const QImage& image, const char* format);

// A clipboard held in memory: a test puts formats on it and sees what the program read.
class FakeClipboard final : public Clipboard {
    Q_OBJECT
public:
    bool has(Kind kind) override;
    bool isEmpty() override { return !m_data || m_data->formats().isEmpty(); }
    TextResult text(qsizetype maxBytes) override;
    QImage image(Kind kind) override;
    void clear() override;
    quint64 changeCount() const override { return m_count; }
    ImageFault imageFault() const override { return m_imageFault; }
    QSize imageSize() const override { return m_imageSize; }
    bool isSecret() override { return m_data && m_data->hasFormat(QLatin1String(kSecretHint)); }
    bool readFailed() override { return failRead; }

    // As another program would: each call replaces the content and counts as a change.
    void setText(const QString& text);
    void setImage(const QImage& image, const QString& format = QStringLiteral("image/png"));
    void setFormats(std::unique_ptr<QMimeData> data);
    QString currentText() const;

    int textReads = 0;
    int imageReads = 0;
    int clears = 0;
    // Set by a test: the owner of the content does not answer.
    bool failRead = false;

private:
    void changed_();
    std::unique_ptr<QMimeData> m_data;
    quint64 m_count = 0;
    ImageFault m_imageFault = ImageFault::None;
    QSize m_imageSize;
};

class FakeMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        Icon icon;
        Buttons buttons;
        QString text;
        QString title;
    };
    Answer show(QWidget* parent, Icon icon, Buttons buttons, const QString& text,
                const QString& title) override;

    QList<Shown> shown;
    // Answers to Yes/No questions, taken in order; Yes when none is left.
    QList<Answer> answers;
    // Runs once, while the next box is open: the events that a real box's own event loop
    // delivers meanwhile.
    std::function<void()> whileShown;
};

class FakeSound final : public SoundOutput {
public:
    bool playWave(const QByteArray& wave, unsigned flags) override {
        played.append({wave, flags});
        if (onPlay) {
            onPlay();
        }
        return true;
    }
    struct Play {
        QByteArray wave;
        unsigned flags;
    };
    QList<Play> played;
    std::function<void()> onPlay;
};

class FakeDesktop final : public Desktop {
public:
    bool shellOpen(const QString& target) override {
        opened.append(target);
        return true;
    }
    bool snapshotToClipboard() override;
    bool snapshotBusy() const override { return busy; }

    QStringList opened;
    FakeClipboard* clipboard = nullptr;
    QImage screen;
    bool refuse = false;
    // Asked, and the answer not in yet: nothing reaches the clipboard.
    bool busy = false;
    int snapshots = 0;
};

class FakeInstanceLock final : public InstanceLock {
public:
    bool tryLock() override { return true; }
};

// A platform of fakes, with typed access to each.
struct FakePlatform {
    FakePlatform();
    Platform platform;
    FakeClipboard& clipboard;
    FakeMessageBoxes& messages;
    FakeSound& sound;
    FakeDesktop& desktop;
    FakeInstanceLock& lock;
};

#pragma once

#include "platform/clipboard.h"

#include <QByteArray>
#include <QSize>

#include <functional>
#include <optional>

class QMimeData;

// The clipboard through QClipboard, where no selection reader of our own applies (the
// offscreen platform, desktops of no known kind).
class SystemClipboard final : public Clipboard {
    Q_OBJECT
public:
    explicit SystemClipboard(QObject* parent = nullptr);
    ~SystemClipboard() override;

    bool has(Kind kind) override;
    bool isEmpty() override;
    TextResult text(qsizetype maxBytes) override;
    QImage image(Kind kind) override;
    void clear() override;
    quint64 changeCount() const override { return m_changeCount; }
    ImageFault imageFault() const override { return m_imageFault; }

    // Which kind a set of offered formats contains; shared with the fake so both agree.
    static bool offers(const QStringList& formats, Kind kind);
    QSize imageSize() const override { return m_imageSize; }

    // The bytes of one offered form; nullopt when its owner did not hand them over, upon
    // which no other form is asked for.
    using Fetch = std::function<std::optional<QByteArray>(const QString& format)>;
    // The picture of the given kind among the offered forms; fault and size tell why none.
    static QImage imageFrom(const QStringList& formats, const Fetch& fetch, Kind kind,
                            ImageFault* fault = nullptr, QSize* size = nullptr);
    static QImage imageFrom(const QMimeData& data, Kind kind, ImageFault* fault = nullptr,
                            QSize* size = nullptr);

private:
    quint64 m_changeCount = 0;
    ImageFault m_imageFault = ImageFault::None;
    QSize m_imageSize;
};

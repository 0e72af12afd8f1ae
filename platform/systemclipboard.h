#pragma once

#include "platform/clipboard.h"

class QMimeData;

// The desktop's clipboard through QClipboard (X11, XWayland, Wayland).
class SystemClipboard final : public Clipboard {
    Q_OBJECT
public:
    explicit SystemClipboard(QObject* parent = nullptr);

    bool has(Kind kind) override;
    bool isEmpty() override;
    TextResult text(qsizetype maxBytes) override;
    QImage image(Kind kind) override;
    void clear() override;
    quint64 changeCount() const override { return m_changeCount; }
    ImageFault imageFault() const override { return m_imageFault; }

    // Which kind a set of offered formats contains; shared with the fake so both agree.
    static bool offers(const QStringList& formats, Kind kind);
    static QImage imageFrom(const QMimeData& data, Kind kind, ImageFault* fault = nullptr);

private:
    quint64 m_changeCount = 0;
    ImageFault m_imageFault = ImageFault::None;
};

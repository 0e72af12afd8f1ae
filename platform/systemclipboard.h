#pragma once

#include "platform/clipboard.h"

#include <cstdint>
#include <memory>

class QMimeData;
class X11Selection;

// The desktop's clipboard through QClipboard (X11, XWayland, Wayland).
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
    static QImage imageFrom(const QMimeData& data, Kind kind, ImageFault* fault = nullptr);

private:
    void look(bool reading);

    quint64 m_changeCount = 0;
    // On X11: the server time when the current content was last looked at; what is cleared
    // is cleared as of then.
    std::unique_ptr<X11Selection> m_x11;
    quint64 m_lookedAt = ~quint64(0);
    std::uint32_t m_lookTime = 0;
    ImageFault m_imageFault = ImageFault::None;
};

#pragma once

#include "platform/desktop.h"

#include <memory>

class PortalScreenshot;
class WaylandPublisher;

class SystemDesktop final : public Desktop {
public:
    SystemDesktop();
    ~SystemDesktop() override;
    bool shellOpen(const QString& target) override;
    bool snapshotToClipboard() override;
    bool snapshotBusy() const override;

private:
    void toClipboard(const QByteArray& bytes, const QByteArray& format);

    // In a Wayland session: the screen comes from the desktop portal, and a native Wayland
    // program puts it on the selection through data control.
    std::unique_ptr<PortalScreenshot> m_portal;
    std::unique_ptr<WaylandPublisher> m_publisher;
};

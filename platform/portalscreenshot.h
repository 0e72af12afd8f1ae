#pragma once

#include "platform/desktop.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <functional>

// A picture of the whole screen from the desktop portal (org.freedesktop.portal.Screenshot),
// asked for without a dialog. The answer comes later, on the window's thread: the picture
// file's bytes and their image format ("png"), or why there is none.
class PortalScreenshot final : public QObject {
    Q_OBJECT
public:
    using Delivered = std::function<void(const QByteArray& bytes, const QByteArray& format)>;
    using Failed = std::function<void(SnapshotFault)>;

    PortalScreenshot(QDBusConnection bus, Delivered delivered, Failed failed, QObject* parent = nullptr);

    // Sends the request; false when there is no session bus to send it on.
    bool request();
    // A request is on its way.
    bool busy() const { return !m_path.isEmpty(); }
    // How long the desktop may take to answer (it may ask the user first).
    void setPatience(int ms) { m_timeout.setInterval(ms); }

private slots:
    void onResponse(uint response, const QVariantMap& results);

private:
    void listen(const QString& path);
    void finish(SnapshotFault why, const QByteArray& bytes = {}, const QByteArray& format = {});

    QDBusConnection m_bus;
    Delivered m_delivered;
    Failed m_failed;
    QString m_path;
    QTimer m_timeout;
    int m_token = 0;
};

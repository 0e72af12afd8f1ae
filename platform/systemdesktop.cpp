#include "platform/systemdesktop.h"

#include "platform/portalscreenshot.h"
#include "platform/waylandpublisher.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

using namespace Qt::StringLiterals;

SystemDesktop::SystemDesktop() {
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        m_portal = std::make_unique<PortalScreenshot>(
            QDBusConnection::sessionBus(),
            [this](const QByteArray& bytes, const QByteArray& format) { toClipboard(bytes, format); },
            [this](SnapshotFault fault) {
                if (onSnapshotFailed) {
                    onSnapshotFailed(fault);
                }
            });
    }
}

SystemDesktop::~SystemDesktop() = default;

bool SystemDesktop::snapshotBusy() const {
    return m_portal && m_portal->busy();
}

void SystemDesktop::toClipboard(const QByteArray& bytes, const QByteArray& format) {
    if (QGuiApplication::platformName() == "wayland"_L1) {
        if (!m_publisher) {
            m_publisher = WaylandPublisher::open();
        }
        if (m_publisher && m_publisher->publish(u"image/"_s + QString::fromLatin1(format), bytes)) {
            return;
        }
    } else if (const QImage image = QImage::fromData(bytes, format.constData()); !image.isNull()) {
        QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
        return;
    }
    if (onSnapshotFailed) {
        onSnapshotFailed(SnapshotFault::NotOnClipboard);
    }
}

bool SystemDesktop::shellOpen(const QString& target) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(target));
}

bool SystemDesktop::snapshotToClipboard() {
    if (m_portal) {
        return m_portal->request();
    }
    // On X11 and XWayland the root window can be read; a pure Wayland session refuses and
    // hands back a null picture.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return false;
    }
    const QPixmap shot = screen->grabWindow(0);
    if (shot.isNull()) {
        return false;
    }
    QGuiApplication::clipboard()->setImage(shot.toImage(), QClipboard::Clipboard);
    return true;
}

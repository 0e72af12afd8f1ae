#include "platform/systemdesktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QUrl>

bool SystemDesktop::shellOpen(const QString& target) {
    return QDesktopServices::openUrl(QUrl::fromUserInput(target));
}

bool SystemDesktop::snapshotToClipboard() {
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

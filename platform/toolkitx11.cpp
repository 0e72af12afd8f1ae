#include "platform/toolkitx11.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

xcb_connection_t* toolkitX11Connection() {
    if (!qGuiApp) {
        return nullptr;
    }
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

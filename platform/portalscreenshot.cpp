#include "platform/portalscreenshot.h"

#include "platform/logging.h"

#include <QBuffer>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QImageReader>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {
const QString kService = u"org.freedesktop.portal.Desktop"_s;
const QString kRequest = u"org.freedesktop.portal.Request"_s;
} // namespace

PortalScreenshot::PortalScreenshot(QDBusConnection bus, Delivered delivered, Failed failed, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_delivered(std::move(delivered)), m_failed(std::move(failed)) {
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(60000);
    connect(&m_timeout, &QTimer::timeout, this, [this] { finish(SnapshotFault::NoAnswer); });
}

void PortalScreenshot::listen(const QString& path) {
    if (!m_path.isEmpty()) {
        m_bus.disconnect(kService, m_path, kRequest, u"Response"_s, this,
                         SLOT(onResponse(uint, QVariantMap)));
    }
    m_path = path;
    if (!path.isEmpty()) {
        m_bus.connect(kService, path, kRequest, u"Response"_s, this, SLOT(onResponse(uint, QVariantMap)));
    }
}

bool PortalScreenshot::request() {
    if (busy()) {
        return true;
    }
    if (!m_bus.isConnected()) {
        return false;
    }
    // The answer comes as a signal on a request object whose path follows from our name and a
    // token; listening there before asking means the answer cannot come too early.
    const QString token = u"snapwell%1"_s.arg(++m_token);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    listen(u"/org/freedesktop/portal/desktop/request/%1/%2"_s.arg(sender, token));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, u"/org/freedesktop/portal/desktop"_s,
                                       u"org.freedesktop.portal.Screenshot"_s, u"Screenshot"_s);
    call << QString() << QVariantMap{{u"handle_token"_s, token}, {u"interactive"_s, false}};
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            // The portal's own words can be long: they go to the log, the hint line holds the gist.
            qCInfo(lcUi) << "screenshot portal:" << reply.error().name() << reply.error().message();
            finish(SnapshotFault::NoService);
        } else if (busy() && reply.value().path() != m_path) {
            // An older portal chooses the path itself.
            listen(reply.value().path());
        }
    });
    m_timeout.start();
    return true;
}

void PortalScreenshot::onResponse(uint response, const QVariantMap& results) {
    if (response == 1) {
        finish(SnapshotFault::Cancelled);
        return;
    }
    if (response != 0) {
        finish(SnapshotFault::Refused);
        return;
    }
    // Handed on as the file's bytes: a picture the reader of the clipboard decodes anyway is
    // not decoded and encoded again here. Only its header is checked.
    const QUrl uri(results.value(u"uri"_s).toString());
    QFile file(uri.toLocalFile());
    QByteArray bytes;
    if (uri.isLocalFile() && file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (bytes.isEmpty() || !reader.canRead() || !reader.size().isValid()) {
        finish(SnapshotFault::Unreadable);
        return;
    }
    finish({}, bytes, reader.format());
}

void PortalScreenshot::finish(SnapshotFault why, const QByteArray& bytes, const QByteArray& format) {
    m_timeout.stop();
    listen(QString());
    if (bytes.isEmpty()) {
        m_failed(why);
    } else {
        m_delivered(bytes, format);
    }
}

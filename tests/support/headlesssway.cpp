#include "tests/support/headlesssway.h"

#include <QFileInfo>
#include <QThread>

using namespace Qt::StringLiterals;

HeadlessSway::~HeadlessSway() {
    for (QProcess* p : std::as_const(m_clients)) {
        p->kill();
        p->waitForFinished(2000);
        delete p;
    }
    if (m_sway.state() != QProcess::NotRunning) {
        m_sway.terminate();
        m_sway.waitForFinished(5000);
    }
}

bool HeadlessSway::start() {
    const QString run = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/sway"_s;
    m_sway.setStandardOutputFile(QProcess::nullDevice());
    m_sway.setStandardErrorFile(QProcess::nullDevice());
    m_sway.start(u"bash"_s, {QStringLiteral(SNAPWELL_SOURCE_DIR "/tests/support/headless-sway.sh"), run});
    for (int i = 0; i < 100 && m_sway.state() != QProcess::NotRunning; ++i) {
        if (QFileInfo::exists(run + u"/wayland-1"_s)) {
            qputenv("WAYLAND_DISPLAY", (run + u"/wayland-1"_s).toLocal8Bit());
            return true;
        }
        QThread::msleep(100);
    }
    m_why = u"headless sway cannot start here (is sway installed, and may user namespaces be made?)"_s;
    return false;
}

QByteArray HeadlessSway::sh(const QString& command) {
    QProcess p;
    p.start(u"sh"_s, {u"-c"_s, command});
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}

QProcess* HeadlessSway::client(const QStringList& arguments) {
    auto* p = new QProcess;
    m_clients.append(p);
    p->start(QStringLiteral(SNAPWELL_WLTOOL), arguments);
    while (p->waitForReadyRead(5000) && !p->readAllStandardOutput().contains("ready")) {
    }
    return p;
}

#pragma once

#include <QProcess>
#include <QString>

// A headless sway on a runtime directory of its own, for tests of the Wayland code. The test
// process and the programs it starts connect to it through WAYLAND_DISPLAY.
class HeadlessSway {
public:
    HeadlessSway() = default;
    HeadlessSway(const HeadlessSway&) = delete;
    HeadlessSway& operator=(const HeadlessSway&) = delete;
    ~HeadlessSway();

    // Starts the compositor and points WAYLAND_DISPLAY at it; false, with the reason in
    // why(), where it cannot run here.
    bool start();
    const QString& why() const { return m_why; }

    // Runs a shell command line beside the compositor; returns its output.
    static QByteArray sh(const QString& command);
    // Starts the test client (wltool) with the arguments and waits until it says "ready".
    QProcess* client(const QStringList& arguments);

private:
    QProcess m_sway;
    QString m_why;
    QList<QProcess*> m_clients;
};

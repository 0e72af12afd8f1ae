#pragma once

// What the benchmarks share: clocks, resident memory, and the program started the way the
// start procedure starts it, in a directory of the benchmark's own.
#include "app/appmodul.h"
#include "app/appstate.h"
#include "platform/platform.h"
#include "ui/main/form1.h"

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <ctime>
#include <memory>

// CPU time in ms: of the process, or with CLOCK_THREAD_CPUTIME_ID of the calling thread
// (the window's thread: what the event loop spent itself, whatever else runs).
inline double cpuMs(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

inline double threadCpuMs() {
    return cpuMs(CLOCK_THREAD_CPUTIME_ID);
}

// Resident set size of this process in MB, from /proc; -1 when unknown.
inline double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return -1;
}

// Without a display the benchmarks run offscreen.
inline void preferOffscreen() {
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
}

// Runs this benchmark once per case, each in a process of its own, so that every case starts
// with its own memory and caches; their output goes to ours.
inline void runCasesInChildren(const QString& program, const QList<QStringList>& cases) {
    for (const QStringList& arguments : cases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        child.start(program, arguments);
        child.waitForFinished(-1);
    }
}

// The real platform, the program's state as if it lived in programDir (with its final
// separator), and the main window with its settings loaded, shown.
struct BenchProgram {
    explicit BenchProgram(const QString& programDir) {
        InitPaths(state, programDir + QStringLiteral("snapwell"));
        window = openMainWindow(state, platform);
        window->show();
    }
    Form1& form1() { return *window; }

    Platform platform = makeSystemPlatform();
    AppState state;
    std::unique_ptr<Form1> window;
};

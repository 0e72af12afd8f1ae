// Cost of the capture tick against the real clipboard, with a 10 MB text owned by another
// program (xclip). Run under X11 (Xvfb is enough); see bench/capture.sh. Prints figures.
#include "app/appmodul.h"
#include "app/appstate.h"
#include "capture/capturecycle.h"
#include "platform/platform.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

long rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

// CPU time of the window's thread in ms.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    AppState state;
    Platform platform = makeSystemPlatform();
    InitPaths(state, dir.path() + QStringLiteral("/snapwell"));
    const std::unique_ptr<Form1> window = openMainWindow(state, platform);
    Form1& form1 = *window;
    form1.Option3D8->setChecked(false);
    form1.show();
    form1.Befehl1_Click();
    // Ticks are driven by hand here.
    form1.Zeit1->stop();
    const long rssIdle = rssKiB();

    const QString textFile = dir.path() + QStringLiteral("/big.txt");
    {
        QFile f(textFile);
        f.open(QIODevice::WriteOnly);
        QByteArray line(99, 'x');
        line += '\n';
        for (int i = 0; i < 100000; ++i) {
            f.write(line);
        }
    }
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                          QStringLiteral("-i"), QStringLiteral("-quiet"), textFile});
    const quint64 before = platform.clipboard->changeCount();
    QElapsedTimer wait;
    wait.start();
    while (platform.clipboard->changeCount() == before && wait.elapsed() < 5000) {
        app.processEvents(QEventLoop::AllEvents, 10);
    }
    if (platform.clipboard->changeCount() == before) {
        std::fprintf(stderr, "xclip did not take the clipboard\n");
        return 1;
    }

    QElapsedTimer t;
    t.start();
    form1.Zeit1_Timer();
    const double storeMs = double(t.nsecsElapsed()) / 1e6;
    const qint64 stored = QFileInfo(state.SavePath + QStringLiteral("clipbrd.dat")).size();

    std::vector<double> ticks;
    for (int i = 0; i < 400; ++i) {
        app.processEvents();
        t.restart();
        form1.Zeit1_Timer();
        ticks.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    // As the running program has it: each tick, then the window's repaint of the blink and
    // whatever the X server answers, in the window's thread.
    const int paintedTicks = 200;
    std::vector<double> painted;
    const double allStart = threadCpuMs();
    for (int i = 0; i < paintedTicks; ++i) {
        const double start = threadCpuMs();
        form1.Zeit1_Timer();
        app.processEvents();
        painted.push_back(threadCpuMs() - start);
        QEventLoop pause;
        QTimer::singleShot(20, &pause, &QEventLoop::quit);
        pause.exec();
    }
    const double perTick = (threadCpuMs() - allStart) / paintedTicks;
    const long rssMonitoring = rssKiB();
    std::printf("store one 10 MB piece (read, compare, append, show): %.1f ms (%lld bytes written)\n",
                storeMs, static_cast<long long>(stored));
    std::printf("tick with the unchanged 10 MB text: median %.3f ms, p95 %.3f ms, max %.3f ms (%zu ticks)\n",
                percentile(ticks, 0.5), percentile(ticks, 0.95), percentile(ticks, 1.0), ticks.size());
    std::printf("tick and repaint, window thread CPU: median %.3f ms; with all that follows %.3f ms "
                "= %.0f ms per 30 s of monitoring\n",
                percentile(painted, 0.5), perTick, perTick * 60);
    std::printf("resident memory: %ld KiB before, %ld KiB while monitoring with the 10 MB text\n", rssIdle,
                rssMonitoring);
    xclip.kill();
    xclip.waitForFinished();
    return 0;
}

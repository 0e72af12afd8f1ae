// Cost of the capture tick against the real clipboard, with a 10 MB text owned by another
// program (xclip). Run under X11 (Xvfb is enough); see bench/capture.sh. Prints figures.
#include "bench/benchsupport.h"
#include "capture/capturecycle.h"

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

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    BenchProgram program(dir.path() + QStringLiteral("/"));
    Form1& form1 = program.form1();
    form1.Option3D8->setChecked(false);
    form1.Befehl1_Click();
    // Ticks are driven by hand here.
    form1.Zeit1->stop();
    const double rssIdle = residentMb();

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
    const quint64 before = program.platform.clipboard->changeCount();
    QElapsedTimer wait;
    wait.start();
    while (program.platform.clipboard->changeCount() == before && wait.elapsed() < 5000) {
        app.processEvents(QEventLoop::AllEvents, 10);
    }
    if (program.platform.clipboard->changeCount() == before) {
        std::fprintf(stderr, "xclip did not take the clipboard\n");
        return 1;
    }

    QElapsedTimer t;
    t.start();
    form1.Zeit1_Timer();
    const double storeMs = double(t.nsecsElapsed()) / 1e6;
    // The reader may still be fetching the text, and the piece is written on the writer's
    // thread: tick on until it is on the disk.
    const QString dat = program.state.SavePath + QStringLiteral("clipbrd.dat");
    while (QFileInfo(dat).size() < 10000000 && t.elapsed() < 20000) {
        app.processEvents(QEventLoop::AllEvents, 50);
        form1.Zeit1_Timer();
    }
    const double onDiskMs = double(t.nsecsElapsed()) / 1e6;
    const qint64 stored = QFileInfo(dat).size();

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
    const double rssMonitoring = residentMb();
    std::printf(
        "one 10 MB piece: the tick that takes it %.1f ms, on the disk after %.0f ms (%lld bytes written)\n",
        storeMs, onDiskMs, static_cast<long long>(stored));
    std::printf("tick with the unchanged 10 MB text: median %.3f ms, p95 %.3f ms, max %.3f ms (%zu ticks)\n",
                percentile(ticks, 0.5), percentile(ticks, 0.95), percentile(ticks, 1.0), ticks.size());
    std::printf("tick and repaint, window thread CPU: median %.3f ms; with all that follows %.3f ms "
                "= %.0f ms per 30 s of monitoring\n",
                percentile(painted, 0.5), perTick, perTick * 60);
    std::printf("resident memory: %.1f MB before, %.1f MB while monitoring with the 10 MB text\n", rssIdle,
                rssMonitoring);
    xclip.kill();
    xclip.waitForFinished();
    return 0;
}

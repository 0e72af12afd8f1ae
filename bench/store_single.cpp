// Single-file mode in a collection directory that already holds 10, 1,000 or 30,000 files:
// time from start to the shown main window, and CPU time per stored text. Each case runs in
// a process of its own. Prints figures.
#include "bench/benchsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

int runCase(int count) {
    QTemporaryDir dir;
    const QString appPath = dir.path() + u"/prog/"_s;
    const QString files = appPath + u"Files/"_s;
    QDir().mkpath(files);
    for (int i = 0; i < count; ++i) {
        // Mostly texts, some pictures, as a long-running collection holds them.
        QFile f(files + QString::number(i) + (i % 10 == 9 ? u".bmp"_s : u".txt"_s));
        if (!f.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write the test files\n");
            return 1;
        }
        f.write("Text\r\n");
    }
    // Start-up: what the start procedure does up to the shown window.
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = cpuMs();
    BenchProgram program(appPath);
    Form1& form1 = program.form1();
    QCoreApplication::processEvents();
    const qint64 startup = clock.elapsed();
    const double startupCpu = cpuMs() - cpuStart;

    form1.Option3D8->setChecked(false);
    form1.Option3D2_Click();
    form1.Befehl1_Click();
    form1.Zeit1->stop();
    std::vector<double> perText;
    for (int i = 0; i < 40; ++i) {
        QGuiApplication::clipboard()->setText(u"Stück "_s + QString::number(i));
        QCoreApplication::processEvents();
        const double before = cpuMs();
        form1.Zeit1_Timer();
        perText.push_back(cpuMs() - before);
    }
    const int stored = int(QDir(files).entryList({u"*.txt"_s}, QDir::Files).size());
    std::sort(perText.begin(), perText.end());
    std::printf(
        "%6d files | start-up to the window %4lld ms (%4.0f ms CPU) | per stored text: median %.2f ms "
        "CPU, max %.2f ms | %d texts now\n",
        count, static_cast<long long>(startup), startupCpu, perText[perText.size() / 2], perText.back(),
        stored);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 2) {
        return runCase(args[1].toInt());
    }
    for (const int count : {10, 1000, 30000}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        child.start(args[0], {QString::number(count)});
        child.waitForFinished(-1);
    }
    return 0;
}

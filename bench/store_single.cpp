// Single-file mode in a collection directory that already holds 10, 1,000 or 30,000 files:
// time from start to the shown main window, and CPU time per stored text. Each case runs in
// a process of its own. Prints figures.
#include "bench/benchsupport.h"
#include "storage/numbering.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
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
    // Mostly texts, some pictures, numbered as the program numbers them, so that the next
    // free number is the count. With BENCH_SCATTERED=1 every name is taken by a text or a
    // picture instead, and the search for a free name walks past the pictures' numbers.
    const bool scattered = qEnvironmentVariableIsSet("BENCH_SCATTERED");
    int texts = 0, pictures = 0;
    for (int i = 0; i < count; ++i) {
        const bool picture = i % 10 == 9;
        const int number = scattered ? i : picture ? pictures++ : texts++;
        QFile f(files + numberText(number) + (picture ? u".bmp"_s : u".txt"_s));
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
    // Per text: the process's CPU from the copy until the hint confirms the file on disk,
    // reading and writing threads included.
    std::vector<double> perText;
    for (int i = 0; i < 40; ++i) {
        const QString confirmed = form1.hinweis->text();
        const double before = cpuMs();
        QGuiApplication::clipboard()->setText(u"Stück "_s + QString::number(i));
        QElapsedTimer wait;
        wait.start();
        while (form1.hinweis->text() == confirmed && wait.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
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
    runCasesInChildren(args[0], {{u"10"_s}, {u"1000"_s}, {u"30000"_s}});
    return 0;
}

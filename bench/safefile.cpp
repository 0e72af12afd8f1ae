// What crash safety costs per stored piece: appends to the collection file (side file and
// syncs included) and new numbered files, in a directory on the disk under test (argument;
// default the system's temporary directory), and the repair after a crash during an
// append. Prints figures.
#include "bench/benchsupport.h"
#include "storage/guardedappend.h"
#include "storage/numbering.h"
#include "storage/wholefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

template <typename F> void measure(const char* what, int runs, F step) {
    std::vector<double> wall;
    const double cpu0 = cpuMs();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        step(i);
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const double cpu = (cpuMs() - cpu0) / runs;
    std::sort(wall.begin(), wall.end());
    std::printf("%-34s runs %4d  median %7.2f ms  p95 %7.2f ms  max %7.2f ms  cpu %6.3f ms\n", what, runs,
                wall[wall.size() / 2], wall[size_t(double(wall.size()) * 0.95)], wall.back(), cpu);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString where = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    QTemporaryDir dir(where + QStringLiteral("/bench-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no directory\n");
        return 1;
    }
    const QString base = dir.path() + QLatin1Char('/');
    const QString dat = base + QStringLiteral("clipbrd.dat");
    StoreError error;
    const QByteArray small(1000, 'x');
    measure("append 1 kB (side link, 1 sync)", 200, [&](int) { SafeFile::appendRecord(dat, small, &error); });
    const QByteArray big(50 * 1024 * 1024, 'y');
    measure("append 50 MB", 3, [&](int) { SafeFile::appendRecord(dat, big, &error); });
    measure("new numbered file 1 kB", 200, [&](int i) {
        SafeFile::NewFile file(base);
        file.write(small);
        placeNumberedFile(i, QString(), QStringLiteral(".txt"), file);
    });
    // A crash in the middle of a 1 MB record: the next start moves the half written aside.
    const QString crashed = base + QStringLiteral("crashed.dat");
    const QByteArray side = QFile::encodeName(base + QStringLiteral(".crashed.dat.len"));
    measure("repair: 512 kB moved aside", 20, [&](int) {
        QFile file(crashed);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(small);
        file.write(QByteArray(512 * 1024, 'h'));
        file.close();
        struct stat st {};
        ::stat(QFile::encodeName(crashed).constData(), &st);
        const QByteArray target = "snapwell " + QByteArray::number(quint64(st.st_ino)) + " 1000 " +
                                  QByteArray::number(1000 + 1024 * 1024);
        ::symlink(target.constData(), side.constData());
        SafeFile::recoverAppend(crashed, &error);
    });
    return 0;
}

// Longest freeze of the window's thread while pieces are captured with the sound on, against
// the real clipboard and sound server. Run under X11 with a sound server; see bench/pipeline.sh.
#include "bench/benchsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <list>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    BenchProgram program(dir.path() + QStringLiteral("/"));
    Form1& form1 = program.form1();
    form1.Option3D8->setChecked(true);
    form1.Befehl1_Click();

    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    beat.start(5);
    std::list<QProcess> owners;
    int copied = 0;
    QTimer feeder;
    QObject::connect(&feeder, &QTimer::timeout, [&] {
        QProcess& p = owners.emplace_back();
        p.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                          QStringLiteral("-i"), QStringLiteral("-quiet")});
        p.write(QStringLiteral("Stück %1").arg(++copied).toUtf8());
        p.closeWriteChannel();
        if (copied == 15) {
            feeder.stop();
        }
    });
    feeder.start(300);
    while (clock.elapsed() < 8000) {
        app.processEvents(QEventLoop::WaitForMoreEvents);
    }
    QFile dat(program.state.SavePath + QStringLiteral("clipbrd.dat"));
    dat.open(QIODevice::ReadOnly);
    std::printf("15 pieces 300 ms apart, sound on: %lld stored, longest freeze of the window %lld ms\n",
                static_cast<long long>(dat.readAll().count("St\xc3\xbc"
                                                           "ck")),
                static_cast<long long>(longest));
    for (QProcess& p : owners) {
        p.kill();
        p.waitForFinished();
    }
    return 0;
}

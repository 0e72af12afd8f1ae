// Opens collection files of 1, 10, 50 and 100 MB (and one holding a single 2 MB line) in the
// text data manager, as "Textdaten" does, saves and leaves. Each case runs in a process of
// its own, so that its resident memory is its own. Prints, per case: time until the window
// answers events, until the whole text is in the box, the longest stall of the event loop
// meanwhile (and when jumping to the end of the text), the save time until the text is on disk
// and the longest stall meanwhile, and resident memory
// before opening, while shown and after leaving.
#include "bench/benchsupport.h"
#include "ui/manager/form5.h"
#include "ui/manager/textbox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

// Captured pieces of a few lines each, with the separator block, like capture writes them.
QByteArray collection(qsizetype bytes, qsizetype longLine) {
    static const char* const words[] = {"Zwischenablage", "Text",  "und",     "der",    "die", "Sammlung",
                                        "Grüße",          "ein",   "kopiert", "Absatz", "mit", "für",
                                        "Daten",          "Ärger", "0815"};
    QRandomGenerator rng(42);
    const QByteArray separator = QByteArray(49, '~');
    QByteArray out;
    out.reserve(bytes + longLine + 4096);
    while (out.size() < bytes) {
        if (longLine > 0 && out.size() >= bytes / 2) {
            while (longLine > 0) {
                const char* w = words[rng.bounded(int(std::size(words)))];
                out += w;
                out += ' ';
                longLine -= qsizetype(std::strlen(w)) + 1;
            }
            out += "\r\n";
        }
        const int lines = 1 + int(rng.bounded(8));
        for (int l = 0; l < lines; ++l) {
            const int count = 2 + int(rng.bounded(18));
            for (int w = 0; w < count; ++w) {
                out += words[rng.bounded(int(std::size(words)))];
                out += ' ';
            }
            out += "\r\n";
        }
        out += "\r\n" + separator + "\r\n\r\n";
    }
    return out;
}

// A 5 ms timer measures how long the event loop is kept from running.
struct StallMeter {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticker;
    StallMeter() {
        QObject::connect(&ticker, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        clock.start();
        last = 0;
        longest = 0;
        ticker.start(5);
    }
    void tick() {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    }
    void run(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
    }
};

int runCase(qsizetype megabytes, qsizetype longLine) {
    QTemporaryDir dir;
    const QString appPath = dir.path() + u"/prog/"_s;
    QDir().mkpath(appPath + u"Files"_s);
    const QString file = appPath + u"Files/clipbrd.dat"_s;
    {
        const QByteArray data = collection(megabytes * 1024 * 1024 - longLine, longLine);
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) {
            std::fprintf(stderr, "cannot write the test file\n");
            return 1;
        }
    }
    const qint64 fileSize = QFileInfo(file).size();

    BenchProgram program(appPath);
    Form1& form1 = program.form1();
    QCoreApplication::processEvents();
    const double rssBefore = residentMb();

    StallMeter meter;
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = threadCpuMs();
    form1.Befehl4_Click();
    Form5* form5 = form1.form5();
    meter.start();
    QCoreApplication::processEvents();
    const qint64 responsive = clock.elapsed();
    const double responsiveCpu = threadCpuMs() - cpuStart;
    double longestCpu = 0; // the window thread's CPU in its longest turn of the event loop
    while (form5->Text3->loading()) {
        const double turn = threadCpuMs();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longestCpu = std::max(longestCpu, threadCpuMs() - turn);
        QThread::msleep(1);
    }
    QCoreApplication::processEvents();
    form5->Text3->repaint();
    const qint64 loaded = clock.elapsed();
    const double loadedCpu = threadCpuMs() - cpuStart;
    meter.run(200);
    const qint64 loadStall = meter.longest;
    const double rssShown = residentMb();

    // Jumping to the end and to the middle, as a user does with the scroll bar.
    meter.start();
    QElapsedTimer jump;
    jump.start();
    form5->Text3->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    const qint64 moved = jump.elapsed();
    form5->Text3->repaint();
    if (std::getenv("BENCH_DETAIL")) {
        std::printf("longest turn while loading: %.0f ms CPU\n", longestCpu);
        std::printf("end: move %lld ms, paint %lld ms\n", static_cast<long long>(moved),
                    static_cast<long long>(jump.elapsed() - moved));
    }
    meter.tick();
    jump.restart();
    form5->Text3->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, ulong(fileSize / 2));
    const qint64 movedMiddle = jump.elapsed();
    form5->Text3->repaint();
    const qint64 paintedMiddle = jump.elapsed() - movedMiddle;
    meter.tick();
    if (std::getenv("BENCH_DETAIL")) {
        // The shown lines again: scrolled by one line, and after a key typed there.
        jump.restart();
        form5->Text3->SendScintilla(QsciScintillaBase::SCI_LINESCROLL, 0UL, 1L);
        form5->Text3->repaint();
        const qint64 scrolled = jump.elapsed();
        jump.restart();
        const double typedCpu = threadCpuMs();
        form5->Text3->SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 1UL, "x");
        form5->Text3->repaint();
        const qint64 typed = jump.elapsed();
        std::printf("a key typed: %.0f ms CPU\n", threadCpuMs() - typedCpu);
        form5->Text3->SendScintilla(QsciScintillaBase::SCI_DELETEBACK);
        std::printf("middle: move %lld ms, paint %lld ms; scrolled a line %lld ms; a key typed %lld ms\n",
                    static_cast<long long>(movedMiddle), static_cast<long long>(paintedMiddle),
                    static_cast<long long>(scrolled), static_cast<long long>(typed));
        meter.tick();
    }
    meter.run(100);
    const qint64 scrollStall = meter.longest;

    // Find a word near the end, from the start, with and without case.
    TextBox* box = form5->Text3;
    const long markAt = box->SendScintilla(QsciScintillaBase::SCI_GETLENGTH) - 100;
    box->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, ulong(markAt), "Zielmarke");
    for (const bool matchCase : {true, false}) {
        box->SendScintilla(QsciScintillaBase::SCI_DOCUMENTSTART);
        meter.start();
        QElapsedTimer searchClock;
        searchClock.start();
        box->find(u"Zielmarke"_s, matchCase, true);
        meter.tick();
        while (box->searching()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        const bool found = box->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART) == markAt;
        std::printf("%4lld MB: find near the end (%s) %lld ms, longest stall %lld ms%s\n",
                    static_cast<long long>(megabytes), matchCase ? "case" : "no case",
                    static_cast<long long>(searchClock.elapsed()), static_cast<long long>(meter.longest),
                    found ? "" : " (NOT FOUND)");
    }
    box->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, ulong(markAt), 9L);

    form5->Text3->SendScintilla(QsciScintillaBase::SCI_DOCUMENTSTART);
    form5->Text3->SendScintilla(QsciScintillaBase::SCI_ADDTEXT, 1UL, "x");
    clock.restart();
    meter.start();
    double saveCpu = threadCpuMs();
    form5->Befehl2_Click();
    saveCpu = threadCpuMs() - saveCpu;
    meter.tick();
    while (form5->saving()) {
        const double turn = threadCpuMs();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        saveCpu = std::max(saveCpu, threadCpuMs() - turn);
        QThread::msleep(1);
    }
    if (std::getenv("BENCH_DETAIL")) {
        std::printf("longest turn while saving: %.0f ms CPU\n", saveCpu);
    }
    const qint64 saved = clock.elapsed();
    meter.tick();
    const qint64 saveStall = meter.longest;
    const bool savedOk = QFileInfo(file).size() == fileSize + 1 && !form5->Befehl2->isEnabled();

    form5->Befehl1_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    const double rssLeft = residentMb();

    std::printf(
        "%4lld MB%s | shown %5lld ms (%4.0f CPU) | loaded %5lld ms (%4.0f CPU) | longest stall %4lld "
        "ms, at end/middle %4lld ms | "
        "save %5lld ms (stall %4lld)%s | resident %4.0f MB before, %4.0f shown, %4.0f after leaving\n",
        static_cast<long long>(megabytes), longLine ? " (2 MB line)" : "            ",
        static_cast<long long>(responsive), responsiveCpu, static_cast<long long>(loaded), loadedCpu,
        static_cast<long long>(loadStall), static_cast<long long>(scrollStall), static_cast<long long>(saved),
        static_cast<long long>(saveStall), savedOk ? "" : " (FILE DIFFERS)", rssBefore, rssShown, rssLeft);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const QStringList args = app.arguments();
    if (args.size() == 3) {
        return runCase(args[1].toLongLong(), args[2].toLongLong());
    }
    runCasesInChildren(args[0], {{u"1"_s, u"0"_s},
                                 {u"10"_s, u"0"_s},
                                 {u"10"_s, QString::number(2 * 1024 * 1024)},
                                 {u"50"_s, u"0"_s},
                                 {u"100"_s, u"0"_s}});
    return 0;
}

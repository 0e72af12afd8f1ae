// Opens a 50 MB collection file in the text data manager, as "Textdaten" does, and saves it
// back. Prints: time until the window is shown and answers events, time until the text is
// in the box, the longest stall of the event loop meanwhile, time to save, resident memory.
#include "app/appmodul.h"
#include "app/appstate.h"
#include "platform/platform.h"
#include "ui/main/form1.h"
#include "ui/manager/form5.h"
#include "ui/manager/textbox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// Resident set size of this process in MB, from /proc.
double residentMb() {
    QFile status(u"/proc/self/status"_s);
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

// Captured pieces of a few lines each, with the separator block, like capture writes them.
QByteArray collection(qsizetype bytes) {
    static const char* const words[] = {"Zwischenablage", "Text",  "und",     "der",    "die", "Sammlung",
                                        "Grüße",          "ein",   "kopiert", "Absatz", "mit", "für",
                                        "Daten",          "Ärger", "0815"};
    QRandomGenerator rng(42);
    const QByteArray separator = QByteArray(49, '~');
    QByteArray out;
    out.reserve(bytes + 4096);
    while (out.size() < bytes) {
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

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QTemporaryDir dir;
    const QString appPath = dir.path() + u"/prog/"_s;
    QDir().mkpath(appPath + u"Files"_s);
    const QByteArray data = collection(qsizetype(50) * 1024 * 1024);
    {
        QFile f(appPath + u"Files/clipbrd.dat"_s);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) {
            std::fprintf(stderr, "cannot write the test file\n");
            return 1;
        }
    }
    std::printf("collection file: %.1f MB, %lld lines\n", double(data.size()) / (1024 * 1024),
                static_cast<long long>(data.count("\r\n")));

    Platform platform = makeSystemPlatform();
    AppState state;
    InitPaths(state, appPath + u"snapwell"_s);
    const std::unique_ptr<Form1> window = openMainWindow(state, platform);
    Form1& form1 = *window;
    form1.show();
    QCoreApplication::processEvents();
    const double rssBefore = residentMb();

    // A 5 ms timer measures how long the event loop is kept from running.
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestStall = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestStall = std::max(longestStall, now - lastTick);
        lastTick = now;
    });

    clock.start();
    form1.Befehl4_Click();
    Form5* form5 = form1.form5();
    QCoreApplication::processEvents();
    const qint64 responsive = clock.elapsed();
    lastTick = responsive;
    ticker.start(5);
    while (form5->Text3->loading()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    QCoreApplication::processEvents();
    const qint64 shown = clock.elapsed();
    ticker.stop();
    const double rssShown = residentMb();
    const bool whole = form5->Text3->text().size() == QString::fromUtf8(data).size();

    QTextCursor cursor(form5->Text3->document());
    cursor.insertText(u"x"_s);
    clock.restart();
    form5->Befehl2_Click();
    const qint64 saved = clock.elapsed();
    QFile back(appPath + u"Files/clipbrd.dat"_s);
    back.open(QIODevice::ReadOnly);
    const bool savedWhole = back.readAll() == "x" + data;

    std::printf("window shown and answering events: %lld ms\n", static_cast<long long>(responsive));
    std::printf("text in the box:                   %lld ms (%s)\n", static_cast<long long>(shown),
                whole ? "whole" : "INCOMPLETE");
    std::printf("longest event-loop stall meanwhile: %lld ms\n", static_cast<long long>(longestStall));
    std::printf("save back:                         %lld ms (%s)\n", static_cast<long long>(saved),
                savedWhole ? "file as expected" : "FILE DIFFERS");
    std::printf("resident memory: %.0f MB before, %.0f MB while shown\n", rssBefore, rssShown);
    form5->Befehl1_Click();
    return 0;
}

// One read of the X11 clipboard through the selection reader, xclip as the owner: a small
// text and a 10 MB text, each read 10 times. Prints figures; needs a display ($DISPLAY) and xclip.
#include "platform/clipboardreader.h"
#include "platform/x11selection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <poll.h>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    auto backend = X11Selection::open();
    if (!backend) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    SecretFilter secrets;
    for (const qsizetype size : {qsizetype(20), qsizetype(10) * 1024 * 1024}) {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                              QStringLiteral("-i"), QStringLiteral("-quiet")});
        xclip.write(QByteArray(size, 'x'));
        while (xclip.bytesToWrite() > 0 && xclip.waitForBytesWritten(5000)) {
        }
        xclip.closeWriteChannel();
        // Until xclip owns the clipboard (the end of the one before counts as a change too).
        for (auto f = backend->formats(ClipboardReader::kBudget); !f || f->isEmpty();
             f = backend->formats(ClipboardReader::kBudget)) {
            pollfd fd{backend->eventFd(), POLLIN, 0};
            ::poll(&fd, 1, 5000);
            backend->dispatch();
        }
        QList<double> ms;
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer timer;
            timer.start();
            const ClipboardSnapshot s = ClipboardReader::take(*backend, secrets, ClipboardReader::kBudget);
            ms.append(timer.nsecsElapsed() / 1e6);
            if (s.textBytes != size) {
                std::fprintf(stderr, "read %lld of %lld bytes\n", qint64(s.textBytes), qint64(size));
                return 1;
            }
        }
        std::sort(ms.begin(), ms.end());
        std::printf("text of %lld bytes: one read (types + text) median %.2f ms, min %.2f, max %.2f\n",
                    qint64(size), ms[ms.size() / 2], ms.first(), ms.last());
        xclip.kill();
        xclip.waitForFinished();
    }
    return 0;
}

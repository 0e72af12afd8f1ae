// Cost of adding a collected piece to the captured-text panel, on the window's thread, with
// the repaint that follows: while the text still fits the box (each piece shows) and once it
// runs far beyond it (each piece lands out of view). Under X11 (bench/mainwindow.sh gives
// the whole program's figures) or offscreen. Prints figures.
#include "bench/benchsupport.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Each piece as collected with the separator line, then the paints it asks for.
std::vector<double> append(QApplication& app, Form1& form1, int pieces) {
    const QString block = QStringLiteral("\r\n") + QString(49, u'~') + QStringLiteral("\r\n");
    std::vector<double> ms;
    for (int i = 0; i < pieces; ++i) {
        const double start = threadCpuMs();
        form1.appendText(QStringLiteral("Stück %1").arg(i) + block, 100000);
        app.processEvents();
        ms.push_back(threadCpuMs() - start);
    }
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    BenchProgram program(dir.path() + QStringLiteral("/"));
    Form1& form1 = program.form1();
    form1.showArea(CaptureView::Area::Text);
    std::vector<double> shown, unseen;
    for (int round = 0; round < 20; ++round) {
        form1.showText(QString());
        app.processEvents();
        const std::vector<double> few = append(app, form1, 8);
        shown.insert(shown.end(), few.begin(), few.end());
    }
    form1.showText(QString());
    append(app, form1, 200);
    unseen = append(app, form1, 400);
    std::printf("piece added to the panel, window thread CPU: %.3f ms while it shows (median of %zu), "
                "%.3f ms out of view (median of %zu)\n",
                median(shown), shown.size(), median(unseen), unseen.size());
    return 0;
}

// Pictures from the clipboard to bitmap files, in-process on Qt's offscreen platform with the
// real clipboard layer: how long a 1920 x 1080 picture takes to reach the disk, and what a
// capture tick costs while a picture stays on the clipboard unchanged.
#include "app/appmodul.h"
#include "app/appstate.h"
#include "platform/platform.h"
#include "storage/bmpfile.h"
#include "ui/main/form1.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Figures {
    double median, min, max;
};

Figures summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

void print(const char* what, const Figures& f, const char* unit) {
    std::printf("%-58s median %8.3f %s  (min %.3f, max %.3f)\n", what, f.median, unit, f.min, f.max);
}

// A picture with smooth areas and noise, so PNG neither collapses nor bloats.
QImage picture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(1);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.bounded(24));
            line[x] = qRgb((x * 255 / w + n) & 0xFF, (y * 255 / h + n) & 0xFF, ((x + y) / 8 + n) & 0xFF);
        }
    }
    return img;
}

int bitmapCount(const QString& dir) {
    return int(QDir(dir).entryList({u"*.bmp"_s}, QDir::Files).size());
}

// Puts the picture on the clipboard and runs the program's event loop until the file is on
// disk; milliseconds.
double toDisk(QMimeData* data, const QString& dir) {
    const int before = bitmapCount(dir);
    QElapsedTimer t;
    t.start();
    QGuiApplication::clipboard()->setMimeData(data);
    while (bitmapCount(dir) == before) {
        QCoreApplication::processEvents();
        if (t.elapsed() > 10000) {
            std::printf("picture not stored within 10 s\n");
            std::exit(0);
        }
    }
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()).constData(), 1);
    setenv("PULSE_SERVER", "unix:/nonexistent", 1);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    QTemporaryDir dir;
    AppState state;
    InitPaths(state, dir.path() + u"/snapwell"_s);
    Platform platform = makeSystemPlatform();
    const std::unique_ptr<Form1> window = openMainWindow(state, platform);
    Form1& form = *window;
    form.Option3D8->setChecked(false);
    form.Befehl1_Click();
    const QString files = state.SavePath;

    const QImage image = picture(1920, 1080);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    std::printf("picture 1920 x 1080, PNG %lld bytes, bitmap file %llu bytes\n",
                static_cast<long long>(png.size()),
                static_cast<unsigned long long>(BmpFile::fileSize(1920, 1080)));

    constexpr int kRounds = 15;
    std::vector<double> pngRuns, memRuns, decodeRuns, writeRuns;
    for (int i = 0; i < kRounds; ++i) {
        auto* data = new QMimeData;
        data->setData(u"image/png"_s, png);
        pngRuns.push_back(toDisk(data, files));
        auto* inMemory = new QMimeData;
        inMemory->setImageData(image);
        memRuns.push_back(toDisk(inMemory, files));

        QElapsedTimer t;
        t.start();
        QBuffer buffer(&png);
        buffer.open(QIODevice::ReadOnly);
        const QImage decoded = QImageReader(&buffer, "PNG").read();
        decodeRuns.push_back(double(t.nsecsElapsed()) / 1e6);
        QFile out(files + u"bench-write.tmp"_s);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        t.restart();
        BmpFile::write(out, decoded);
        out.close();
        writeRuns.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    QFile::remove(files + u"bench-write.tmp"_s);
    print("PNG on the clipboard -> .bmp on disk", summarise(pngRuns), "ms");
    print("picture in memory (as a snapshot) -> .bmp on disk", summarise(memRuns), "ms");
    print("  of which: decoding the PNG", summarise(decodeRuns), "ms");
    print("  of which: writing the 24-bit bitmap", summarise(writeRuns), "ms");

    // A picture that cannot be written stays on the clipboard; every tick tries again, from
    // what was read once.
    state.SavePath = files + u"missing/"_s;
    form.setCollectionPath(state.SavePath);
    auto* data = new QMimeData;
    data->setData(u"image/png"_s, png);
    QGuiApplication::clipboard()->setMimeData(data);
    QCoreApplication::processEvents();
    std::vector<double> ticks;
    for (int i = 0; i < 2000; ++i) {
        QElapsedTimer t;
        t.start();
        form.Zeit1_Timer();
        ticks.push_back(double(t.nsecsElapsed()) / 1e3);
    }
    print("tick, picture unchanged on the clipboard (save failing)", summarise(ticks), "us");
    std::printf("a tick that read the picture again would cost at least the decoding above\n");
    return 0;
}

#include "storage/bmpfile.h"
#include "tests/support/fixture.h"

#include <QFileInfo>
#include <QRandomGenerator>

namespace {

QImage noise(int w, int h, quint32 seed) {
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int i = 0; i < w * h; ++i) {
        img.setPixel(i % w, i / w, 0xFF000000u | rng.generate());
    }
    return img;
}

const QByteArray kSvg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="40" height="30">
<rect x="10" y="5" width="20" height="20" fill="#ff0000"/></svg>)";

class PicturesTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        start();
        m_form1->show();
        startMonitoring();
        // The screenshot sequence is driven tick by tick here, never by the running timer.
        m_form1->Timer1->blockSignals(true);
    }
    // Another program copies a picture; the change is delivered at once.
    void copy(const QImage& img, const QString& format = u"image/png"_s) {
        m_fake->clipboard.setImage(img, format);
        settleCapture();
    }
    // Runs ticks of the screenshot timer and delivers what they bring.
    void snapshotTicks(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            m_form1->Timer1_Timer();
        }
        settleCapture();
    }
    // Clicks the screenshot button and runs the six ticks of its timer.
    void screenshot() {
        m_form1->Command2_Click();
        snapshotTicks(6);
    }
    QStringList bmps() const { return QDir(files()).entryList({u"*.bmp"_s}, QDir::Files, QDir::Name); }
    // A stored picture, read back; its 24-bit layout is pinned by the size checked below.
    QImage stored(const QString& name) const {
        return QImage::fromData(readFile(files() + name), "BMP").convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(PicturesTest, BitmapsAndScreenshotsTakenTickByTickShareOneNumbering) {
    const QImage first = noise(5, 4, 1);
    qint64 sizeWhenConfirmed = -1;
    m_fake->sound.onPlay = [&] { sizeWhenConfirmed = QFileInfo(files() + u"00.bmp"_s).size(); };
    // A picture wins over the text offered beside it.
    auto both = formats({{u"image/png"_s, encoded(first, "PNG")}});
    both->setText(u"Bildunterschrift"_s);
    offer(std::move(both));
    EXPECT_FALSE(QFile::exists(files() + u"clipbrd.dat"_s));
    EXPECT_EQ(stored(u"00.bmp"_s), first);
    EXPECT_EQ(hint(), u"Datei gespeichert als: 00.BMP"_s);
    EXPECT_TRUE(m_fake->clipboard.isEmpty());
    // The sound confirmed a file that was already whole.
    ASSERT_EQ(m_fake->sound.played.size(), 1);
    EXPECT_EQ(sizeWhenConfirmed, qint64(BmpFile::fileSize(5, 4)));
    EXPECT_EQ(m_form1->Anzeige1->image().convertToFormat(QImage::Format_RGB32), first);
    EXPECT_EQ(m_form1->Text4->text(), u"1"_s);

    // A snapshot, tick by tick: ticks 1 to 3 count; the fourth takes the snapshot, the window
    // still hidden; the sixth shows the window again and ends the sequence. The snapshot takes
    // the next number with the "scr" prefix.
    m_fake->desktop.screen = noise(64, 48, 2);
    m_form1->Command2_Click();
    EXPECT_FALSE(m_form1->isVisible());
    EXPECT_TRUE(m_form1->cycle().screenshotPending());
    EXPECT_TRUE(m_form1->Timer1->isActive());
    for (int i = 1; i <= 6; ++i) {
        m_form1->Timer1_Timer();
        EXPECT_EQ(m_form1->cycle().screenshotTicks(), i % 6) << i;
        EXPECT_EQ(m_fake->desktop.snapshots, i >= 4 ? 1 : 0) << i;
        EXPECT_EQ(m_form1->isVisible(), i == 6) << i;
    }
    EXPECT_FALSE(m_form1->Timer1->isActive());
    settleCapture();
    EXPECT_EQ(stored(u"scr01.bmp"_s), m_fake->desktop.screen);
    EXPECT_EQ(hint(), u"Screenshot gespeichert als: SCR01.BMP"_s);
    EXPECT_FALSE(m_form1->cycle().screenshotPending());

    // Then an ordinary picture again, offered as a device-independent bitmap this time.
    const QImage third = noise(7, 3, 3);
    copy(third, u"image/bmp"_s);
    EXPECT_EQ(stored(u"02.bmp"_s), third);
    EXPECT_EQ(hint(), u"Datei gespeichert als: 02.BMP"_s);
    EXPECT_EQ(m_form1->Text4->text(), u"3"_s);
    EXPECT_EQ(m_fake->sound.played.size(), 3);
    EXPECT_EQ(bmps(), (QStringList{u"00.bmp"_s, u"02.bmp"_s, u"scr01.bmp"_s}));

    // Where the desktop refuses a grab, the hint says so and the window comes back; the
    // request stays pending like any snapshot that does not arrive, so the next bitmap is
    // named as one.
    m_fake->desktop.refuse = true;
    screenshot();
    EXPECT_TRUE(hint().contains(u"kein Bildschirmfoto"_s)) << hint().toStdString();
    EXPECT_TRUE(m_form1->isVisible());
    EXPECT_TRUE(m_form1->cycle().screenshotPending());
    copy(noise(3, 3, 9));
    EXPECT_EQ(hint(), u"Screenshot gespeichert als: SCR03.BMP"_s);
    EXPECT_FALSE(m_form1->cycle().screenshotPending());

    // A desktop that answers later (the portal) keeps the window out of the picture until it
    // has answered; a cancel is said in the hint and leaves the request pending.
    m_fake->desktop.refuse = false;
    m_fake->desktop.busy = true;
    m_form1->Command2_Click();
    snapshotTicks(10);
    EXPECT_FALSE(m_form1->isVisible());
    m_fake->desktop.busy = false;
    m_fake->desktop.onSnapshotFailed(SnapshotFault::Cancelled);
    m_form1->Timer1_Timer();
    EXPECT_TRUE(m_form1->isVisible());
    EXPECT_FALSE(m_form1->Timer1->isActive());
    EXPECT_EQ(hint(), u"Bildschirmfoto abgebrochen - nichts gespeichert"_s);
    EXPECT_TRUE(m_form1->cycle().screenshotPending());
}

TEST_F(PicturesTest, MetafileIsRenderedToABitmapAndKeepsAPendingScreenshot) {
    writeFile(files() + u"00.bmp"_s, "alt");
    m_form1->refreshFileLists();
    m_fake->desktop.screen = noise(32, 24, 6);

    // The snapshot button was clicked, but its key has not gone out yet.
    m_form1->Command2_Click();
    snapshotTicks(3);

    // No "*.wmf" file: the count is 0, 00.bmp is taken, the vector picture becomes 1.bmp.
    offer(formats({{u"image/svg+xml"_s, kSvg}}));
    EXPECT_EQ(hint(), u"BMP-Datei gespeichert als: 1.BMP"_s);
    const QImage rendered = stored(u"1.bmp"_s);
    ASSERT_EQ(rendered.size(), QSize(40, 30));
    EXPECT_EQ(rendered.pixel(20, 15), qRgb(255, 0, 0));
    EXPECT_EQ(rendered.pixel(2, 2), qRgb(255, 255, 255)); // transparent, laid on white
    EXPECT_TRUE(m_form1->cycle().screenshotPending());
    EXPECT_TRUE(m_fake->clipboard.isEmpty());
    // The "*.bmp" list is not refreshed by a metafile, so the counter lags behind.
    EXPECT_EQ(m_form1->Text4->text(), u"1"_s);

    // The key goes out: the snapshot is still named as one.
    snapshotTicks(3);
    EXPECT_EQ(stored(u"scr01.bmp"_s), m_fake->desktop.screen);
    EXPECT_EQ(hint(), u"Screenshot gespeichert als: SCR01.BMP"_s);
    EXPECT_EQ(readFile(files() + u"00.bmp"_s), "alt");

    // A vector form Qt cannot draw falls back to the raster form offered beside it, and the
    // metafile numbering goes on from the "*.wmf" count.
    writeFile(files() + u"a.wmf"_s, "x");
    m_form1->refreshFileLists();
    const QImage beside = noise(6, 5, 7);
    offer(
        formats({{u"image/x-wmf"_s, "\xd7\xcd\xc6\x9a garbage"}, {u"image/png"_s, encoded(beside, "PNG")}}));
    EXPECT_EQ(hint(), u"BMP-Datei gespeichert als: 01.BMP"_s);
    EXPECT_EQ(stored(u"01.bmp"_s), beside);

    // Without one, the picture is refused and leaves the clipboard; nothing is confirmed.
    const qsizetype sounds = m_fake->sound.played.size();
    const QStringList before = bmps();
    offer(formats({{u"image/x-emf"_s, QByteArray(200, '\x01')}}));
    EXPECT_TRUE(hint().startsWith(u"FEHLER: Vektorgrafik"_s)) << hint().toStdString();
    EXPECT_EQ(bmps(), before);
    EXPECT_EQ(m_fake->sound.played.size(), sounds);
    EXPECT_TRUE(m_fake->clipboard.isEmpty());
}

TEST_F(PicturesTest, AFailedOrCutShortSaveKeepsThePictureUntilWritingWorks) {
    ASSERT_TRUE(QDir(files()).removeRecursively());
    m_fake->desktop.screen = noise(30, 20, 10);
    screenshot();
    EXPECT_EQ(
        hint(),
        u"FEHLER: SCR00.BMP nicht gespeichert (Verzeichnis fehlt), Bild bleibt in der Zwischenablage"_s);
    // The snapshot took the prefix: whatever becomes of its write, no later picture gets it.
    EXPECT_FALSE(m_form1->cycle().screenshotPending());

    // Tick after tick it is tried again from what was read once, and nothing is confirmed.
    tick();
    tick();
    EXPECT_EQ(m_fake->clipboard.imageReads, 1);
    EXPECT_TRUE(m_fake->sound.played.isEmpty());
    EXPECT_TRUE(m_fake->clipboard.has(Clipboard::Kind::Bitmap));
    const QImage later = noise(7, 3, 12);
    copy(later);

    ASSERT_TRUE(QDir().mkpath(files()));
    tick();
    EXPECT_EQ(bmps(), (QStringList{u"01.bmp"_s, u"scr00.bmp"_s}));
    EXPECT_EQ(stored(u"scr00.bmp"_s), m_fake->desktop.screen);
    EXPECT_EQ(stored(u"01.bmp"_s), later);
    EXPECT_EQ(hint(), u"Datei gespeichert als: 01.BMP"_s);
    EXPECT_EQ(m_fake->sound.played.size(), 2);
    EXPECT_TRUE(m_fake->clipboard.isEmpty());

    // A small file system of its own gives a real "disk full" in the middle of a picture: the
    // part written is removed, and the picture is stored once there is room.
    if (!useSmallDisk()) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    const QImage big = noise(200, 150, 11); // 90 kB as a bitmap, the disk holds 64 kB
    copy(big);
    EXPECT_EQ(hint(),
              u"FEHLER: 00.BMP nicht gespeichert (Datenträger voll), Bild bleibt in der Zwischenablage"_s);
    EXPECT_TRUE(QDir(m_small).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(m_fake->sound.played.size(), 2);
    EXPECT_TRUE(m_fake->clipboard.has(Clipboard::Kind::Bitmap));

    growSmallDisk();
    tick();
    EXPECT_EQ(QImage(m_small + u"00.bmp"_s).convertToFormat(QImage::Format_RGB32), big);
    EXPECT_EQ(hint(), u"Datei gespeichert als: 00.BMP"_s);
    EXPECT_EQ(m_fake->sound.played.size(), 3);
    EXPECT_TRUE(m_fake->clipboard.isEmpty());
}

TEST_F(PicturesTest, HugeEmptyAndBrokenPicturesAreRefusedWithoutHarm) {
    // 16384 x 16384, offered as a real PNG and handed over in memory.
    QImage huge(16384, 16384, QImage::Format_Mono);
    huge.fill(0);
    offer(formats({{u"image/png"_s, encoded(huge, "PNG")}}));
    EXPECT_EQ(hint(), u"FEHLER: Das Bild ist zu groß (16384 x 16384 Pixel) und wurde nicht gespeichert"_s);
    EXPECT_TRUE(m_fake->clipboard.isEmpty());
    // The picture panel replaces the built-in picture and the text panel, also for a picture
    // that is refused.
    EXPECT_TRUE(m_form1->Frame3D1->isVisible());
    EXPECT_FALSE(m_form1->Frame3D2->isVisible());
    EXPECT_FALSE(m_form1->Frame3D9->isVisible());
    auto inMemory = std::make_unique<QMimeData>();
    inMemory->setImageData(huge);
    offer(std::move(inMemory));
    EXPECT_EQ(hint(), u"FEHLER: Das Bild ist zu groß (über 67 Megapixel) und wurde nicht gespeichert"_s);

    const QString broken =
        u"FEHLER: Das Bild in der Zwischenablage ist leer oder beschädigt, nicht gespeichert"_s;
    auto empty = std::make_unique<QMimeData>();
    empty->setImageData(QImage());
    std::unique_ptr<QMimeData> cases[] = {
        formats({{u"image/png"_s, "\x89PNG\r\n\x1a\n" + QByteArray(500, '\x42')}}), std::move(empty),
        formats({{u"image/jpeg"_s, QByteArray()}})};
    for (auto& data : cases) {
        m_form1->hinweis->clear();
        offer(std::move(data));
        EXPECT_EQ(hint(), broken) << &data - cases;
    }
    EXPECT_TRUE(m_fake->clipboard.isEmpty());

    EXPECT_TRUE(bmps().isEmpty());
    EXPECT_TRUE(m_fake->sound.played.isEmpty());
    // The program goes on as before.
    copy(noise(4, 4, 13));
    EXPECT_EQ(bmps(), QStringList{u"00.bmp"_s});
}

} // namespace

// The screenshot portal client against a fake portal on a private session bus: the picture
// comes back byte for byte; a cancel, a refusal, a failing call and no answer at all are told.
#include "platform/portalscreenshot.h"
#include "tests/support/fixture.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>

using namespace Qt::StringLiterals;

TEST(PortalScreenshot, PictureOrTheReasonThereIsNone) {
    QTemporaryDir dir;
    QProcess bus;
    bus.start(u"bash"_s, {QStringLiteral(SNAPWELL_SOURCE_DIR "/tests/support/privatebus.sh"), dir.path()});
    QByteArray address;
    while (address.isEmpty() && bus.waitForReadyRead(10000)) {
        address = bus.readLine().trimmed();
    }
    if (address.isEmpty()) {
        GTEST_SKIP() << "no private session bus with the fake portal (dbus-daemon, python3-dbus, python3-gi)";
    }
    QDBusConnection connection =
        QDBusConnection::connectToBus(QString::fromLatin1(address), u"portal-test"_s);
    ASSERT_TRUE(connection.isConnected());

    QByteArray got, format;
    QString why;
    PortalScreenshot portal(
        connection, [&](const QByteArray& b, const QByteArray& f) { std::tie(got, format) = std::tie(b, f); },
        [&](const QString& w) { why = w; });
    const auto ask = [&](const QByteArray& mode) {
        writeFile(dir.filePath(u"portal-mode"_s), mode);
        got.clear();
        why.clear();
        EXPECT_TRUE(portal.request());
        EXPECT_TRUE(portal.busy());
        QElapsedTimer t;
        t.start();
        while (portal.busy() && t.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        EXPECT_FALSE(portal.busy());
    };

    QImage screen(64, 48, QImage::Format_RGB32);
    screen.fill(Qt::darkMagenta);
    const QString file = dir.filePath(u"screen.png"_s);
    ASSERT_TRUE(screen.save(file));
    ask("ok " + file.toUtf8());
    EXPECT_EQ(got, readFile(file));
    EXPECT_EQ(format, "png");
    EXPECT_TRUE(why.isEmpty());

    const struct {
        QByteArray mode;
        QString why;
    } failures[] = {
        {"cancel", u"Bildschirmfoto abgebrochen - nichts gespeichert"_s},
        {"refuse", u"FEHLER: Der Desktop hat das Bildschirmfoto verweigert"_s},
        {"error", u"FEHLER: Kein Bildschirmfoto möglich (Desktop-Portal: nicht erlaubt)"_s},
        {"ok " + dir.filePath(u"missing.png"_s).toUtf8(),
         u"FEHLER: Das Bildschirmfoto des Desktops ist nicht lesbar"_s},
    };
    for (const auto& c : failures) {
        ask(c.mode);
        EXPECT_TRUE(got.isEmpty()) << c.mode.constData();
        EXPECT_EQ(why, c.why) << c.mode.constData();
    }

    // A portal that never answers: given up after the patience.
    portal.setPatience(300);
    ask("silent");
    EXPECT_EQ(why, u"FEHLER: Der Desktop hat auf die Bitte um ein Bildschirmfoto nicht geantwortet"_s);
    bus.terminate();
    bus.waitForFinished(5000);
}

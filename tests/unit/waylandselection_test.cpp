// The Wayland selection backend: the choice of protocol from a registry, and the backend
// in-process against a headless sway, fed by wl-copy and by the test client.
#include "platform/waylandselection.h"
#include "tests/support/fixture.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <list>

#include <poll.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Status = SelectionBackend::Data::Status;

namespace {

// Runs a shell command line beside the compositor; returns its output.
QByteArray sh(const QString& command) {
    QProcess p;
    p.start(u"sh"_s, {u"-c"_s, command});
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}

TEST(WaylandChoice, StandardProtocolFirstThenWlrootsFromVersionTwoAndThePlatformFollows) {
    const WaylandGlobal seat{u"wl_seat"_s, 7};
    const WaylandGlobal ext{u"ext_data_control_manager_v1"_s, 1};
    const WaylandGlobal wlr1{u"zwlr_data_control_manager_v1"_s, 1};
    const WaylandGlobal wlr2{u"zwlr_data_control_manager_v1"_s, 2};
    const struct {
        QList<WaylandGlobal> globals;
        DataControl expected;
    } cases[] = {
        {{}, DataControl::None},           {{seat}, DataControl::None},
        {{seat, wlr1}, DataControl::None}, {{seat, wlr2}, DataControl::Wlr},
        {{seat, ext}, DataControl::Ext},   {{wlr2, seat, ext}, DataControl::Ext},
        {{ext, wlr2}, DataControl::Ext},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chooseDataControl(c.globals), c.expected) << c.globals.size();
    }
    // Native where data control is offered, else XWayland; the user's choice wins.
    const struct {
        QByteArray user;
        bool wayland, x;
        DataControl offered;
        QByteArray expected;
    } platforms[] = {
        {"", false, true, DataControl::None, ""},       {"", true, true, DataControl::Wlr, "wayland;xcb"},
        {"", true, false, DataControl::Ext, "wayland"}, {"", true, true, DataControl::None, "xcb"},
        {"", true, false, DataControl::None, ""},       {"xcb", true, true, DataControl::Wlr, ""},
        {"wayland", true, true, DataControl::None, ""},
    };
    for (const auto& c : platforms) {
        EXPECT_EQ(qtPlatformFor(c.user, c.wayland, c.x, c.offered), c.expected) << c.user.constData();
    }
}

class WaylandSelection : public ::testing::Test {
protected:
    // A headless sway on a runtime directory of its own, which this process and the test
    // client connect to.
    static void SetUpTestSuite() {
        qunsetenv("WAYLAND_DISPLAY");
        const QString run = qEnvironmentVariable("XDG_RUNTIME_DIR") + u"/sway"_s;
        s_sway = new QProcess;
        s_sway->setStandardOutputFile(QProcess::nullDevice());
        s_sway->setStandardErrorFile(QProcess::nullDevice());
        s_sway->start(u"bash"_s,
                      {QStringLiteral(SNAPWELL_SOURCE_DIR "/tests/support/headless-sway.sh"), run});
        for (int i = 0; i < 100 && s_sway->state() != QProcess::NotRunning; ++i) {
            if (QFileInfo::exists(run + u"/wayland-1"_s)) {
                qputenv("WAYLAND_DISPLAY", (run + u"/wayland-1"_s).toLocal8Bit());
                return;
            }
            QThread::msleep(100);
        }
    }
    static void TearDownTestSuite() {
        s_sway->terminate();
        s_sway->waitForFinished(5000);
        delete s_sway;
        qunsetenv("WAYLAND_DISPLAY");
    }
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            GTEST_SKIP()
                << "headless sway cannot start here (is sway installed, and may user namespaces be made?)";
        }
        m_backend = openWaylandSelection(2s);
        ASSERT_TRUE(m_backend);
        ASSERT_EQ(probeDataControl(2s), DataControl::Wlr);
    }

    // Changes seen within the time, as soon as there is at least one.
    int waitChanges(int ms = 3000) {
        QElapsedTimer t;
        t.start();
        int changes = 0;
        while (changes == 0 && t.elapsed() < ms) {
            pollfd p{m_backend->eventFd(), POLLIN, 0};
            poll(&p, 1, 50);
            changes += m_backend->dispatch();
        }
        return changes;
    }
    QStringList formats() { return m_backend->formats(1s).value_or(QStringList{u"(no answer)"_s}); }
    SelectionBackend::Data read(const QString& type, qsizetype max = 1 << 26) {
        return m_backend->read(type, max, 2s);
    }

    // Starts the test client (wltool) with the arguments and waits until it says "ready".
    void client(const QStringList& arguments) {
        QProcess& p = m_clients.emplace_back();
        p.start(QStringLiteral(SNAPWELL_WLTOOL), arguments);
        while (p.waitForReadyRead(5000) && !p.readAllStandardOutput().contains("ready")) {
        }
    }

    static inline QProcess* s_sway = nullptr;
    std::unique_ptr<SelectionBackend> m_backend;
    std::list<QProcess> m_clients; // ended with the test
};

TEST_F(WaylandSelection, EveryChangeInOrderWithItsTypesAndBytesClearingAndMisbehavingSources) {
    QTemporaryDir dir;
    const QString piece = dir.filePath(u"piece"_s);
    for (const QString& text : {u"erster Text"_s, u"Grüße, 😀\nZeile zwei"_s, u"dritter"_s}) {
        writeFile(piece, text.toUtf8());
        sh(u"wl-copy <'%1'"_s.arg(piece));
        ASSERT_EQ(waitChanges(), 1) << text.toStdString();
        EXPECT_TRUE(formats().contains(u"text/plain;charset=utf-8"_s));
        const auto data = read(u"text/plain;charset=utf-8"_s);
        EXPECT_EQ(data.status, Status::Ok);
        EXPECT_EQ(QString::fromUtf8(data.bytes), text);
        EXPECT_EQ(read(u"image/png"_s).status, Status::Refused) << "a type not offered";
    }
    // A picture, byte for byte; too large for a small cap.
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.setPixel(5, 7, 0xff123456);
    const QString png = dir.filePath(u"p.png"_s);
    ASSERT_TRUE(image.save(png));
    sh(u"wl-copy --type image/png <'%1'"_s.arg(png));
    ASSERT_EQ(waitChanges(), 1);
    EXPECT_EQ(formats(), QStringList{u"image/png"_s});
    const auto data = read(u"image/png"_s);
    EXPECT_EQ(data.status, Status::Ok);
    EXPECT_EQ(data.bytes, readFile(png));
    EXPECT_EQ(read(u"image/png"_s, 100).status, Status::TooLarge);

    // Clearing leaves no selection but spares a newer owner.
    sh(u"printf alt | wl-copy"_s);
    ASSERT_EQ(waitChanges(), 1);
    formats();
    // Another program takes the selection after we looked: it keeps it.
    sh(u"printf neu | wl-copy"_s);
    QThread::msleep(200);
    m_backend->clear();
    EXPECT_EQ(sh(u"wl-paste -n"_s), "neu");
    ASSERT_GE(waitChanges(), 1);
    EXPECT_FALSE(formats().isEmpty());
    m_backend->clear();
    EXPECT_EQ(waitChanges(), 1) << "our own clearing is a change";
    EXPECT_EQ(formats(), QStringList());
    EXPECT_EQ(read(u"text/plain"_s).status, Status::Refused);
    EXPECT_EQ(sh(u"wl-paste -n 2>&1"_s), "No selection\n");

    // Misbehaving sources and the password hint.
    // Several types at once, the password manager's hint among them.
    client({u"offer"_s, u"text/plain=geheim"_s, u"x-kde-passwordManagerHint=secret"_s});
    ASSERT_EQ(waitChanges(), 1);
    EXPECT_EQ(formats(), (QStringList{u"text/plain"_s, u"x-kde-passwordManagerHint"_s}));
    EXPECT_EQ(read(u"x-kde-passwordManagerHint"_s).bytes, "secret");

    // A source that never writes costs the budget, no more.
    client({u"offer"_s, u"--silent"_s, u"text/plain=nie"_s});
    ASSERT_EQ(waitChanges(), 1);
    formats();
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(m_backend->read(u"text/plain"_s, 1000, 300ms).status, Status::TimedOut);
    EXPECT_GE(t.elapsed(), 290);
    EXPECT_LT(t.elapsed(), 1000);

    // Replaced while it is being read: the old source's content arrives whole, and the new
    // one is the next change.
    // Far more than a pipe holds, so the source must wait for the reader now and then.
    QByteArray big(3 << 20, 'x');
    for (qsizetype i = 0; i < big.size(); i += 4093) {
        big[i] = char('a' + i % 26);
    }
    writeFile(dir.filePath(u"big"_s), big);
    client({u"offer"_s, u"--slow"_s, u"600"_s, u"text/plain=@"_s + dir.filePath(u"big"_s)});
    ASSERT_EQ(waitChanges(), 1);
    formats();
    QProcess later;
    later.start(u"sh"_s, {u"-c"_s, u"sleep 0.2; printf nachher | wl-copy"_s});
    const auto whole = read(u"text/plain"_s);
    later.waitForFinished();
    EXPECT_EQ(whole.status, Status::Ok);
    EXPECT_EQ(whole.bytes, big);
    EXPECT_EQ(read(u"text/plain"_s).status, Status::Refused) << "the new content before it was looked at";
    EXPECT_EQ(m_backend->dispatch() + waitChanges(500), 1);
    formats();
    EXPECT_EQ(read(u"text/plain"_s).bytes, "nachher");
}

} // namespace

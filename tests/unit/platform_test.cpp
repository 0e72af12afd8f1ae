// The platform services against private servers: the selection backends, X11 with clipboard
// owners of our own, polite and not, and Wayland (the choice of protocol from a registry, then
// a headless sway fed by wl-copy and by the test client); and the screenshot portal client against a fake
// portal on a private session bus: the picture comes back byte for byte; a cancel, a refusal, a failing call
// and no answer at all are told.
#include "platform/clipboardreader.h"
#include "platform/portalscreenshot.h"
#include "platform/selectionclipboard.h"
#include "platform/waylandselection.h"
#include "platform/x11selection.h"
#include "tests/support/fixture.h"
#include "ui/failuretexts.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThread>

#include <list>
#include <poll.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Status = SelectionBackend::Data::Status;

namespace {

// A helper program, asked to end (and to end what it started) with the test that started it.
struct Process : QProcess {
    ~Process() override {
        terminate();
        waitForFinished();
    }
};

// The changes a backend tells of within the time, as soon as there is at least one.
int changes(SelectionBackend& backend, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    int n = 0;
    while (n == 0 && t.elapsed() < ms) {
        pollfd p{backend.eventFd(), POLLIN, 0};
        ::poll(&p, 1, 50);
        n += backend.dispatch();
    }
    return n;
}

// Runs a shell command line beside the compositor; returns its output.
QByteArray sh(const QString& command) {
    QProcess p;
    p.start(u"sh"_s, {u"-c"_s, command});
    p.waitForFinished(10000);
    return p.readAllStandardOutput();
}

class X11ReaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server = new Process;
        s_server->start(u"bash"_s, {QStringLiteral(SNAPWELL_SOURCE_DIR "/tests/support/xvfb.sh")});
        // The server's display in one line once it answers.
        if (s_server->waitForReadyRead(60000)) {
            s_display = QString::fromLatin1(s_server->readLine().trimmed());
        }
        qputenv("DISPLAY", s_display.toLatin1()); // for the owners
    }
    static void TearDownTestSuite() { delete std::exchange(s_server, nullptr); }
    void SetUp() override {
        ASSERT_FALSE(s_display.isEmpty())
            << "no X server started: " << s_server->readAllStandardError().data();
        m_backend = X11Selection::open(s_display.toLatin1().constData());
        ASSERT_TRUE(m_backend);
    }

    // Starts an owner and waits until it holds the clipboard.
    QProcess* own(const QString& mode, const QByteArray& text = {}, const QString& secret = {}) {
        const QString file = m_dir.filePath(u"text%1"_s.arg(m_owners.size()));
        writeFile(file, text);
        QProcess& owner = m_owners.emplace_back();
        owner.start(QStringLiteral(X11OWNER), {mode, file, secret});
        EXPECT_TRUE(owner.waitForReadyRead(5000) && owner.readAll() == "ready\n");
        return &owner;
    }
    ClipboardSnapshot take() { return ClipboardReader::take(*m_backend, m_secrets, 300ms); }

    static inline QProcess* s_server = nullptr;
    static inline QString s_display;
    std::unique_ptr<X11Selection> m_backend;
    SecretFilter m_secrets;
    QTemporaryDir m_dir;
    std::list<Process> m_owners; // ended with the test
};

TEST_F(X11ReaderTest, PoliteOwnersAreReadByteExactAndSilentOnesCostOneBoundedWait) {
    EXPECT_EQ(m_backend->dispatch(), 0);
    const QByteArray text = "Grüße 😀\r\nZeile zwei\tEnde";
    own(u"text"_s, text);
    EXPECT_GE(changes(*m_backend), 1);
    const auto formats = m_backend->formats(300ms);
    ASSERT_TRUE(formats);
    EXPECT_EQ(*formats, (QStringList{u"text/plain;charset=utf-8"_s, u"text/plain"_s}));
    for (const QString& form : *formats) {
        const auto data = m_backend->read(form, 1 << 20, 300ms);
        EXPECT_EQ(data.status, Status::Ok);
        EXPECT_EQ(data.bytes, text) << form.toStdString();
    }
    EXPECT_EQ(m_backend->read(u"image/png"_s, 1 << 20, 300ms).status, Status::Refused);
    EXPECT_EQ(m_backend->read(u"text/plain"_s, 10, 300ms).status, Status::TooLarge);
    EXPECT_EQ(take().text.text, QString::fromUtf8(text));

    // 10 MB arrive in INCR pieces; above the cap the announced size refuses them unread.
    // A pattern of 37 bytes: a piece lost, doubled or out of place shows.
    const QByteArray large = QByteArray("abcdefghijklmnopqrstuvwxyz0123456789\n").repeated(283400);
    own(u"text"_s, large);
    EXPECT_GE(changes(*m_backend), 1);
    QElapsedTimer timer;
    timer.start();
    const ClipboardSnapshot big = take();
    std::printf("[ figures  ] 10 MB text through INCR: %lld ms\n", timer.elapsed());
    EXPECT_EQ(big.text.text.toLatin1(), large);
    EXPECT_EQ(big.textBytes, large.size());
    timer.start();
    EXPECT_TRUE(ClipboardReader::take(*m_backend, m_secrets, 300ms, 1024 * 1024).text.tooLarge);
    EXPECT_LT(timer.elapsed(), 200);

    // Owners that do not answer cost one bounded wait.
    for (const QString& mode : {u"hang"_s, u"targets"_s}) {
        own(mode);
        EXPECT_GE(changes(*m_backend), 1);
        timer.start();
        const ClipboardSnapshot failed = take();
        EXPECT_TRUE(failed.readFailed) << mode.toStdString();
        EXPECT_GE(timer.elapsed(), 290);
        EXPECT_LT(timer.elapsed(), 1000);
        EXPECT_TRUE(failed.text.text.isEmpty());
    }
    // A polite owner afterwards is read at once, late answers of the others notwithstanding.
    own(u"text"_s, "danach");
    EXPECT_GE(changes(*m_backend), 1);
    EXPECT_EQ(take().text.text, u"danach"_s);
}

TEST_F(X11ReaderTest, TheWindowSideSeesSnapshotsSecretsAndClears) {
    SelectionClipboard clipboard(X11Selection::open(s_display.toLatin1().constData()));
    auto next = [&clipboard] {
        const quint64 before = clipboard.changeCount();
        QElapsedTimer timer;
        timer.start();
        qint64 longest = 0, last = 0;
        while (clipboard.changeCount() == before && timer.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            longest = std::max(longest, timer.elapsed() - last);
            last = timer.elapsed();
        }
        return longest;
    };
    next(); // the first look
    own(u"text"_s, "Kennwort", u"secret"_s);
    next();
    EXPECT_TRUE(clipboard.isSecret());
    EXPECT_TRUE(clipboard.has(Clipboard::Kind::Text));
    EXPECT_TRUE(clipboard.snapshot().text.text.isEmpty());
    own(u"text"_s, "Kennwort"); // republished without the hint
    next();
    EXPECT_TRUE(clipboard.isSecret());
    EXPECT_TRUE(clipboard.text(1 << 20).text.isEmpty());

    // While a hung owner holds the clipboard, this thread never waits for it.
    own(u"hang"_s);
    const qint64 longest = next();
    std::printf("[ figures  ] longest wait of the window's thread with a hung owner: %lld ms\n", longest);
    EXPECT_TRUE(clipboard.readFailed());
    EXPECT_LT(longest, 100);

    QProcess* last = own(u"text"_s, "zuletzt");
    next();
    EXPECT_EQ(clipboard.text(1 << 20).text, u"zuletzt"_s);
    EXPECT_FALSE(clipboard.isSecret());
    EXPECT_EQ(clipboard.text(6).text, QString());
    EXPECT_TRUE(clipboard.text(6).tooLarge);
    clipboard.clear();
    next();
    EXPECT_TRUE(clipboard.isEmpty());
    EXPECT_TRUE(last->state() == QProcess::NotRunning || last->waitForFinished(2000))
        << "the owner still holds it";
    EXPECT_EQ(m_backend->formats(300ms), QStringList());
}

TEST_F(X11ReaderTest, OddOwnersCostNoMoreThanTheBudgetAndGiveNothingFalse) {
    // A toolkit's LF text arrives as it offers it in UTF8_STRING, not with CR LF added.
    own(u"gtk"_s, "a\nb\n");
    changes(*m_backend);
    EXPECT_EQ(take().text.text, u"a\nb\n"_s);
    // 16-bit data of a made-up type to a text request is unreadable.
    own(u"badtype"_s, "Inhalt");
    changes(*m_backend);
    const ClipboardSnapshot odd = take();
    EXPECT_TRUE(odd.readFailed);
    EXPECT_TRUE(odd.text.text.isEmpty());
    // An owner that trickles one byte at a time gets the budget for the whole transfer, not
    // for every piece, and one that is replaced meanwhile is left at once.
    const QByteArray twenty(20, 'x');
    own(u"trickle"_s, twenty);
    changes(*m_backend);
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(take().readFailed);
    EXPECT_LT(timer.elapsed(), 1000);
    own(u"trickle"_s, twenty);
    changes(*m_backend);
    QProcess next;
    writeFile(m_dir.filePath(u"next"_s), "danach");
    next.start(u"sh"_s, {u"-c"_s, u"sleep 0.5; exec %1 text %2"_s.arg(QStringLiteral(X11OWNER),
                                                                      m_dir.filePath(u"next"_s))});
    timer.start();
    m_backend->resetAbandoned();
    ClipboardReader::look(*m_backend, m_secrets, 3s);
    EXPECT_TRUE(m_backend->abandoned());
    EXPECT_LT(timer.elapsed(), 2500);
    EXPECT_GE(changes(*m_backend), 1);
    EXPECT_EQ(take().text.text, u"danach"_s);
    next.kill();
    next.waitForFinished();

    // Switching monitoring clears what is there at that moment, though it is still being read,
    // and nothing of it is ever reported.
    SelectionClipboard clipboard(X11Selection::open(s_display.toLatin1().constData()));
    QProcess* slow = own(u"trickle"_s, twenty);
    QThread::msleep(300);
    QCoreApplication::processEvents();
    clipboard.clearNow();
    EXPECT_TRUE(slow->waitForFinished(1500)) << "the owner still holds the clipboard";
    timer.start();
    while (timer.elapsed() < 2500) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_FALSE(clipboard.readFailed());
        EXPECT_TRUE(clipboard.text(100).text.isEmpty());
    }
    EXPECT_TRUE(clipboard.isEmpty());
}

TEST(WaylandChoice, StandardProtocolFirstThenWlrootsFromVersionTwoAndThePlatformFollows) {
    const WaylandGlobal seat{u"wl_seat"_s, 7};
    const WaylandGlobal ext{u"ext_data_control_manager_v1"_s, 1};
    const WaylandGlobal wlr1{u"zwlr_data_control_manager_v1"_s, 1};
    const WaylandGlobal wlr2{u"zwlr_data_control_manager_v1"_s, 2};
    const struct {
        QList<WaylandGlobal> globals;
        DataControl expected;
    } cases[] = {{{seat, wlr1}, DataControl::None},
                 {{seat, wlr2}, DataControl::Wlr},
                 {{wlr2, seat, ext}, DataControl::Ext},
                 {{ext, wlr2}, DataControl::Ext}};
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
        {"", true, false, DataControl::Ext, "wayland"}, {"", true, true, DataControl::None, "xcb;wayland"},
        {"", true, false, DataControl::None, ""},       {"xcb", true, true, DataControl::Wlr, ""},
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
        s_sway = new Process;
        s_sway->setStandardOutputFile(QProcess::nullDevice());
        s_sway->setStandardErrorFile(QProcess::nullDevice());
        s_sway->start(u"bash"_s,
                      {QStringLiteral(SNAPWELL_SOURCE_DIR "/tests/support/headless-sway.sh"), run});
        for (int i = 0; i < 100 && s_sway->state() != QProcess::NotRunning; ++i) {
            // The control socket comes after the display socket listens.
            if (QFileInfo::exists(run + u"/ipc.sock"_s)) {
                qputenv("WAYLAND_DISPLAY", (run + u"/wayland-1"_s).toLocal8Bit());
                return;
            }
            QThread::msleep(100);
        }
    }
    static void TearDownTestSuite() {
        delete s_sway;
        qunsetenv("WAYLAND_DISPLAY");
    }
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) << "headless sway did not start";
        m_backend = openWaylandSelection(2s);
        ASSERT_TRUE(m_backend);
        ASSERT_EQ(probeDataControl(2s), DataControl::Wlr);
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
    std::list<Process> m_clients; // ended with the test
};

TEST_F(WaylandSelection, EveryChangeInOrderWithItsTypesAndBytesClearingAndMisbehavingSources) {
    QTemporaryDir dir;
    const QString piece = dir.filePath(u"piece"_s);
    for (const QString& text : {u"erster Text"_s, u"Grüße, 😀\nZeile zwei"_s, u"dritter"_s}) {
        writeFile(piece, text.toUtf8());
        sh(u"wl-copy <'%1'"_s.arg(piece));
        ASSERT_EQ(changes(*m_backend), 1) << text.toStdString();
        EXPECT_TRUE(formats().contains(u"text/plain;charset=utf-8"_s));
        const auto data = read(u"text/plain;charset=utf-8"_s);
        EXPECT_EQ(data.status, Status::Ok);
        EXPECT_EQ(QString::fromUtf8(data.bytes), text);
        EXPECT_EQ(read(u"image/png"_s).status, Status::Refused) << "a type not offered";
    }
    // A picture, byte for byte; too large for a small cap.
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n\0\xff", 10).repeated(100);
    writeFile(piece, png);
    sh(u"wl-copy --type image/png <'%1'"_s.arg(piece));
    ASSERT_EQ(changes(*m_backend), 1);
    EXPECT_EQ(formats(), QStringList{u"image/png"_s});
    const auto data = read(u"image/png"_s);
    EXPECT_EQ(data.status, Status::Ok);
    EXPECT_EQ(data.bytes, png);
    EXPECT_EQ(read(u"image/png"_s, 100).status, Status::TooLarge);

    // Clearing leaves no selection but spares a newer owner: another program takes the
    // selection after we looked at the picture, and keeps it.
    sh(u"printf neu | wl-copy"_s);
    QThread::msleep(200);
    m_backend->clear();
    EXPECT_EQ(sh(u"wl-paste -n"_s), "neu");
    ASSERT_GE(changes(*m_backend), 1);
    EXPECT_FALSE(formats().isEmpty());
    m_backend->clear();
    EXPECT_EQ(changes(*m_backend), 1) << "our own clearing is a change";
    EXPECT_EQ(formats(), QStringList());
    EXPECT_EQ(read(u"text/plain"_s).status, Status::Refused);
    EXPECT_EQ(sh(u"wl-paste -n 2>&1"_s), "No selection\n");

    // Misbehaving sources and the password hint.
    // Several types at once, the password manager's hint among them.
    client({u"offer"_s, u"text/plain=geheim"_s, u"x-kde-passwordManagerHint=secret"_s});
    ASSERT_EQ(changes(*m_backend), 1);
    EXPECT_EQ(formats(), (QStringList{u"text/plain"_s, u"x-kde-passwordManagerHint"_s}));
    EXPECT_EQ(read(u"x-kde-passwordManagerHint"_s).bytes, "secret");

    // A source that never writes costs the budget, no more.
    client({u"offer"_s, u"--silent"_s, u"text/plain=nie"_s});
    ASSERT_EQ(changes(*m_backend), 1);
    formats();
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(m_backend->read(u"text/plain"_s, 1000, 300ms).status, Status::TimedOut);
    EXPECT_GE(t.elapsed(), 290);
    EXPECT_LT(t.elapsed(), 1000);

    // Replaced while it is being read: the read is abandoned after a short grace, and the new content is
    // the next change.
    // Far more than a pipe holds, so the source must wait for the reader now and then.
    const QByteArray big = QByteArray("abcdefghijklmnopqrstuvwxyz0123456789\n").repeated(85000);
    writeFile(dir.filePath(u"big"_s), big);
    client({u"offer"_s, u"--slow"_s, u"2500"_s, u"text/plain=@"_s + dir.filePath(u"big"_s)});
    ASSERT_EQ(changes(*m_backend), 1);
    formats();
    QProcess later;
    later.start(u"sh"_s, {u"-c"_s, u"sleep 0.2; printf nachher | wl-copy"_s});
    m_backend->resetAbandoned();
    QElapsedTimer slow;
    slow.start();
    const auto gone = read(u"text/plain"_s);
    later.waitForFinished();
    EXPECT_EQ(gone.status, Status::Cancelled);
    EXPECT_TRUE(gone.bytes.isEmpty());
    EXPECT_TRUE(m_backend->abandoned());
    EXPECT_LT(slow.elapsed(), 2000) << "not abandoned when the clipboard changed";
    EXPECT_EQ(read(u"text/plain"_s).status, Status::Cancelled) << "the new content before it was looked at";
    EXPECT_EQ(m_backend->dispatch() + changes(*m_backend, 500), 1);
    formats();
    EXPECT_EQ(read(u"text/plain"_s).bytes, "nachher");
}

TEST(PortalScreenshot, PictureOrTheReasonThereIsNone) {
    QTemporaryDir dir;
    Process bus;
    bus.start(u"bash"_s, {QStringLiteral(SNAPWELL_SOURCE_DIR "/tests/support/privatebus.sh"), dir.path()});
    // The bus names its address in one line once the portal is there.
    const QByteArray address = bus.waitForReadyRead(10000) ? bus.readLine().trimmed() : QByteArray();
    ASSERT_FALSE(address.isEmpty()) << "no private session bus with the fake portal";
    QDBusConnection connection = QDBusConnection::connectToBus(QString::fromLatin1(address), dir.path());
    ASSERT_TRUE(connection.isConnected());

    QByteArray got, format;
    QString why;
    PortalScreenshot portal(
        connection, [&](const QByteArray& b, const QByteArray& f) { std::tie(got, format) = std::tie(b, f); },
        [&](SnapshotFault fault) { why = describe(fault); });
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
        {"error", u"FEHLER: Das Desktop-Portal macht kein Bildschirmfoto"_s},
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
}

} // namespace

// The selection reader against a private X server and clipboard owners of our own, polite
// and not; and the memory for secrets.
#include "platform/clipboardreader.h"
#include "platform/selectionclipboard.h"
#include "platform/x11selection.h"
#include "tests/support/fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>

#include <list>
#include <poll.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Status = SelectionBackend::Data::Status;

namespace {

TEST(SecretFilterTest, RemembersOnlyTheLastSecretForAMinute) {
    auto now = std::chrono::steady_clock::time_point{};
    SecretFilter filter([&now] { return now; });
    EXPECT_FALSE(filter.isSecret("geheim", false));
    EXPECT_TRUE(filter.isSecret("geheim", true));
    now += 59s;
    EXPECT_TRUE(filter.isSecret("geheim", false)); // republished without the hint
    EXPECT_FALSE(filter.isSecret("anderes", false));
    EXPECT_TRUE(filter.isSecret("zweites", true)); // replaces the first
    EXPECT_FALSE(filter.isSecret("geheim", false));
    now += 61s;
    EXPECT_FALSE(filter.isSecret("zweites", false)); // forgotten after a minute
}

class X11ReaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_server = new QProcess;
        s_display = u":%1"_s.arg(100 + QRandomGenerator::global()->bounded(900));
        s_server->start(u"Xvfb"_s,
                        {s_display, u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-noreset"_s});
        if (!s_server->waitForReadyRead(10000)) {
            delete std::exchange(s_server, nullptr);
        }
        qputenv("DISPLAY", s_display.toLatin1()); // for the owners
    }
    static void TearDownTestSuite() { delete std::exchange(s_server, nullptr); }
    void SetUp() override {
        if (!s_server) {
            GTEST_SKIP() << "Xvfb is not installed or did not start: the X11 reader is not tested";
        }
        m_backend = X11Selection::open(s_display.toLatin1().constData());
        ASSERT_TRUE(m_backend);
    }

    // Starts an owner and waits until it holds the clipboard.
    QProcess* own(const QStringList& args, const QByteArray& text = {}) {
        QStringList all = args;
        if (!text.isNull()) {
            all.insert(1, m_dir.filePath(u"text%1"_s.arg(m_owners.size())));
            writeFile(all[1], text);
        }
        QProcess& owner = m_owners.emplace_back();
        owner.start(QStringLiteral(X11OWNER), all);
        EXPECT_TRUE(owner.waitForReadyRead(5000) && owner.readAll() == "ready\n");
        return &owner;
    }
    // Waits until the backend tells of changes; how many.
    int changes(SelectionBackend& backend) {
        pollfd fd{backend.eventFd(), POLLIN, 0};
        ::poll(&fd, 1, 2000);
        return backend.dispatch();
    }
    ClipboardSnapshot take() { return ClipboardReader::take(*m_backend, m_secrets, 300ms); }

    static inline QProcess* s_server = nullptr;
    static inline QString s_display;
    std::unique_ptr<X11Selection> m_backend;
    SecretFilter m_secrets;
    QTemporaryDir m_dir;
    std::list<QProcess> m_owners; // ended with the test
};

TEST_F(X11ReaderTest, PoliteOwnersAreReadByteExactAndSilentOnesCostOneBoundedWait) {
    EXPECT_EQ(m_backend->dispatch(), 0);
    const QByteArray text = "Grüße 😀\r\nZeile zwei\0Ende";
    own({u"text"_s}, text);
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
    const ClipboardSnapshot s = take();
    EXPECT_TRUE(s.has[int(Clipboard::Kind::Text)] && !s.secret && !s.readFailed && !s.empty);
    EXPECT_EQ(s.text.text, QString::fromUtf8(text));

    // 10 MB arrive in INCR pieces; above the cap the announced size refuses them unread.
    QByteArray large(10 * 1024 * 1024, 'x');
    for (qsizetype i = 0; i < large.size(); i += 997) {
        large[i] = char('a' + i % 26);
    }
    own({u"text"_s}, large);
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
        own({mode});
        EXPECT_GE(changes(*m_backend), 1);
        timer.start();
        const ClipboardSnapshot failed = take();
        EXPECT_TRUE(failed.readFailed) << mode.toStdString();
        EXPECT_GE(timer.elapsed(), 290);
        EXPECT_LT(timer.elapsed(), 1000);
        EXPECT_TRUE(failed.text.text.isEmpty());
    }
    // A polite owner afterwards is read at once, late answers of the others notwithstanding.
    own({u"text"_s}, "danach");
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
    own({u"text"_s}, "offen");
    next();
    EXPECT_EQ(clipboard.text(1 << 20).text, u"offen"_s);
    EXPECT_FALSE(clipboard.isSecret());

    own({u"text"_s, u"secret"_s}, "Kennwort");
    next();
    EXPECT_TRUE(clipboard.isSecret());
    EXPECT_TRUE(clipboard.has(Clipboard::Kind::Text));
    EXPECT_TRUE(clipboard.snapshot().text.text.isEmpty());
    own({u"text"_s}, "Kennwort"); // republished without the hint
    next();
    EXPECT_TRUE(clipboard.isSecret());
    EXPECT_TRUE(clipboard.text(1 << 20).text.isEmpty());

    // While a hung owner holds the clipboard, this thread never waits for it.
    own({u"hang"_s});
    const qint64 longest = next();
    std::printf("[ figures  ] longest wait of the window's thread with a hung owner: %lld ms\n", longest);
    EXPECT_TRUE(clipboard.readFailed());
    EXPECT_LT(longest, 100);

    QProcess* last = own({u"text"_s}, "zuletzt");
    next();
    EXPECT_EQ(clipboard.text(6).text, QString());
    EXPECT_TRUE(clipboard.text(6).tooLarge);
    clipboard.clear();
    next();
    EXPECT_TRUE(clipboard.isEmpty());
    EXPECT_TRUE(last->state() == QProcess::NotRunning || last->waitForFinished(2000))
        << "the owner still holds it";
    EXPECT_EQ(m_backend->formats(300ms), QStringList());
}

} // namespace

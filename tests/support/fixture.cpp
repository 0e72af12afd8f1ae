#include "tests/support/fixture.h"

#include "app/appmodul.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QLabel>
#include <QLoggingCategory>
#include <QThread>

#include <atomic>

#include <sys/mount.h>

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

struct LogSink {
    static inline std::atomic<LogLines*> log = nullptr;
    static inline QtMessageHandler previous = nullptr;
    static inline QByteArray category;
    static void take(QtMsgType, const QMessageLogContext& context, const QString& text) {
        LogLines* lines = log;
        if (lines && category == context.category) {
            const QMutexLocker lock(&lines->m_mutex);
            lines->m_lines << text;
        }
    }
};

LogLines::LogLines(const char* category) {
    LogSink::log = this;
    LogSink::category = category;
    QLoggingCategory::setFilterRules(QString::fromLatin1(category) + u"=true"_s);
    LogSink::previous = qInstallMessageHandler(&LogSink::take);
}

LogLines::~LogLines() {
    qInstallMessageHandler(LogSink::previous);
    QLoggingCategory::setFilterRules(QString());
    LogSink::log = nullptr;
}

QStringList LogLines::lines() const {
    const QMutexLocker lock(&m_mutex);
    return m_lines;
}

QStringList LogLines::with(const QStringList& words) const {
    QStringList found;
    for (const QString& line : lines()) {
        if (std::all_of(words.begin(), words.end(), [&](const QString& w) { return line.contains(w); })) {
            found << line;
        }
    }
    return found;
}

void AppFixture::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    m_appPath = m_dir.path() + u"/prog/"_s;
    QDir().mkpath(m_appPath);
    m_fake = std::make_unique<FakePlatform>();
    InitPaths(m_state, m_appPath + u"snapwell"_s);
}

void AppFixture::TearDown() {
    m_form1.reset();
    if (!m_small.isEmpty()) {
        ::umount2(QFile::encodeName(m_small).constData(), MNT_DETACH);
    }
}

bool AppFixture::useSmallDisk() {
    const QString dir = m_dir.path() + u"/small/"_s;
    QDir().mkpath(dir);
    if (::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, "size=64k") != 0) {
        return false;
    }
    m_small = dir;
    m_state.SavePath = dir;
    m_form1->setCollectionPath(dir);
    return true;
}

void AppFixture::growSmallDisk() {
    ASSERT_EQ(::mount("tmpfs", QFile::encodeName(m_small).constData(), "tmpfs", MS_REMOUNT, "size=1m"), 0);
}

void AppFixture::start() {
    m_form1 = openMainWindow(m_state, m_fake->platform);
}

QString AppFixture::profile() const {
    return m_appPath + u"snapwell.ini"_s;
}

QString AppFixture::files() const {
    return m_appPath + u"Files/"_s;
}

void AppFixture::settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
    if (!m_form1) {
        return;
    }
    const CollectionStore& store = m_form1->cycle().store();
    QElapsedTimer waited;
    waited.start();
    while (!store.idle() && waited.elapsed() < 10000) {
        QThread::msleep(1);
        QCoreApplication::processEvents();
    }
}

void AppFixture::settleCapture() {
    settle();
    m_form1->cycle().sound().waitIdle();
    QCoreApplication::processEvents();
}

void AppFixture::tick() {
    m_form1->Zeit1_Timer();
    settleCapture();
}

void AppFixture::copy(const QString& text) {
    m_fake->clipboard.setText(text);
    settleCapture();
    tick();
}

void AppFixture::offer(std::unique_ptr<QMimeData> data) {
    m_fake->clipboard.setFormats(std::move(data));
    settleCapture();
}

QString AppFixture::hint() const {
    // Every hint can be read in full: none is wider than its line.
    const QLabel& line = *m_form1->hinweis;
    EXPECT_LE(line.fontMetrics().horizontalAdvance(line.text()), line.contentsRect().width())
        << "cut: " << line.text().toStdString();
    return line.text();
}

void AppFixture::startMonitoring() {
    m_form1->Befehl1_Click();
    settle();
}

QString AppFixture::caption() const {
    const QString title = m_form1->windowTitle();
    EXPECT_EQ(m_form1->accessibleName(), title);
    const QAccessibleInterface* named = QAccessible::queryAccessibleInterface(m_form1.get());
    EXPECT_TRUE(named && named->text(QAccessible::Name) == title);
    return title;
}

void AppFixture::expectStopped() const {
    const Form1* f = m_form1.get();
    EXPECT_EQ(f->Befehl1->text(), u"S T A R T"_s);
    EXPECT_TRUE(f->Befehl1->isEnabled() && f->Option3D3->isEnabled() && f->Frame3D9->isVisibleTo(f));
    EXPECT_FALSE(f->Zeit1->isActive() || f->Command2->isEnabled() || f->Frame3D2->isVisibleTo(f) ||
                 f->Frame3D1->isVisibleTo(f));
    EXPECT_EQ(caption(), u"Pelloran Snapwell"_s);
    EXPECT_EQ(f->Frame3D7->background(), QColor(0xC0, 0, 0));
}

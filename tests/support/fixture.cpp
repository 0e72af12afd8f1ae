#include "tests/support/fixture.h"

#include "app/appmodul.h"
#include "ui/main/form1.h"

#include <QCoreApplication>
#include <QFile>

using namespace Qt::StringLiterals;

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
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
}

void AppFixture::start() {
    m_form1 = std::make_unique<Form1>(m_state, m_fake->platform);
    m_state.form1 = m_form1.get();
    LoadSettings(m_state, *m_form1);
    m_form1->setWindowTitle(m_state.AppTitle);
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
}

void AppFixture::startMonitoring() {
    m_form1->Befehl1_Click();
    settle();
}

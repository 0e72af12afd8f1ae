#include "app/inifile.h"
#include "tests/support/fixture.h"

#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.path() + u"/p.ini"_s; }
    QString read(const QString& key, const QString& def = u"DEF"_s) const {
        return ReadIniString(u"Pelloran Snapwell"_s, key, path(), def);
    }
    QTemporaryDir m_dir;
};

TEST_F(IniFileTest, ValuesAreReadByTheClassicRules) {
    const QString longValue(3000, u'x');
    writeFile(path(), "; comment\r\n"
                      "[Other]\r\n"
                      "SavePath=/elsewhere/\r\n"
                      "[PELLORAN SNAPWELL]\r\n"
                      "  signale  =   ja   \r\n"
                      "Quoted=\"  a b  \"\r\n"
                      "Single='x'\r\n"
                      "Mixed=\"x'\r\n"
                      "Empty=\r\n"
                      "Blank=    \r\n"
                      "EmptyQuotes=\"\"\r\n"
                      "Long=" +
                          longValue.toUtf8() +
                          "\r\n"
                          "Umlaut=C:\\D\xe4ten\r\n"
                          "Utf8Key=\xc3\xa4\r\n");
    EXPECT_EQ(read(u"SIGNALE"_s), u"ja"_s);     // key case, blanks around
    EXPECT_EQ(read(u"SavePath"_s), u"DEF"_s);   // only our own section counts
    EXPECT_EQ(read(u"Quoted"_s), u"  a b  "_s); // one pair of quotes removed
    EXPECT_EQ(read(u"Single"_s), u"x"_s);
    EXPECT_EQ(read(u"Mixed"_s), u"\"x'"_s); // quotes that do not match stay
    EXPECT_EQ(read(u"Empty"_s), u"DEF"_s);  // empty counts as missing
    EXPECT_EQ(read(u"Blank"_s), u"DEF"_s);
    EXPECT_EQ(read(u"EmptyQuotes"_s), u"DEF"_s);
    EXPECT_EQ(read(u"Long"_s).size(), 2047);
    EXPECT_EQ(read(u"Missing"_s), u"DEF"_s);
    EXPECT_EQ(ReadIniString(u"Pelloran Snapwell"_s, u"x"_s, m_dir.path() + u"/none.ini"_s, u"d"_s), u"d"_s);
    // A file that is not UTF-8 is taken as Windows-1252, as profiles from Windows are written.
    EXPECT_EQ(read(u"Umlaut"_s), u"C:\\Däten"_s);
}

TEST_F(IniFileTest, WritingKeepsEveryUntouchedLineAndTheKeyOrder) {
    // A fresh file: the section, then the keys in the order they were first written.
    for (const auto& key : {u"TextSammeln"_s, u"Trennlinie"_s, u"Signale"_s}) {
        ASSERT_TRUE(WriteIniString(u"Pelloran Snapwell"_s, key, u"1"_s, path()));
    }
    EXPECT_EQ(readFile(path()), "[Pelloran Snapwell]\r\nTextSammeln=1\r\nTrennlinie=1\r\nSignale=1\r\n");

    // Foreign lines, LF-only endings, odd bytes and other sections stay byte for byte; a
    // rewritten key keeps its place and spelling; a new key follows the section's last
    // non-blank line.
    const QByteArray before = "; mine\n"
                              "[pelloran snapwell]\r\n"
                              "SIGNALE = 1\n"
                              "unknown line \xe4\r\n"
                              "Trennlinie=0\r\n"
                              "\r\n"
                              "\r\n"
                              "[Other]\r\n"
                              "Signale=7\r\n"
                              "tail";
    writeFile(path(), before);
    ASSERT_TRUE(WriteIniString(u"Pelloran Snapwell"_s, u"Signale"_s, u"0"_s, path()));
    ASSERT_TRUE(WriteIniString(u"Pelloran Snapwell"_s, u"SavePath"_s, u"/tmp/ä/"_s, path()));
    EXPECT_EQ(readFile(path()), "; mine\n"
                                "[pelloran snapwell]\r\n"
                                "SIGNALE =0\n"
                                "unknown line \xe4\r\n"
                                "Trennlinie=0\r\n"
                                "SavePath=/tmp/\xc3\xa4/\r\n"
                                "\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "Signale=7\r\n"
                                "tail");
    EXPECT_EQ(read(u"Signale"_s), u"0"_s);

    // A section that is missing is added at the end, after a blank line.
    ASSERT_TRUE(WriteIniString(u"Neu"_s, u"k"_s, u"v"_s, path()));
    EXPECT_TRUE(readFile(path()).endsWith("tail\r\n\r\n[Neu]\r\nk=v\r\n"));
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldProfileWhole) {
    writeFile(path(), "[Pelloran Snapwell]\r\nSignale=1\r\n");
    // The directory becomes read-only: the replacement cannot be made, the old file stays.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFile(m_dir.path() + u"/probe"_s).open(QIODevice::WriteOnly)) {
        GTEST_SKIP() << "running with permissions that ignore read-only directories";
    }
    EXPECT_FALSE(WriteIniString(u"Pelloran Snapwell"_s, u"Signale"_s, u"0"_s, path()));
    QFile::setPermissions(m_dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(readFile(path()), "[Pelloran Snapwell]\r\nSignale=1\r\n");
}

} // namespace

#include "app/inifile.h"
#include "tests/support/fixture.h"

#include <QDateTime>
#include <QSet>

#include <sys/mount.h>

using namespace Qt::StringLiterals;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.path() + u"/p.ini"_s; }
    QString read(const QString& key, const QString& def = u"DEF"_s) const {
        return ReadIniString(u"Pelloran Snapwell"_s, key, path(), def);
    }
    bool write(const QString& key, const QString& value) const {
        return WriteIniString(u"Pelloran Snapwell"_s, key, value, path());
    }
    QTemporaryDir m_dir;
};

TEST_F(IniFileTest, ValuesAreReadByTheClassicRulesAndWritingKeepsWhatItDoesNotChange) {
    const struct {
        QByteArray line;
        const char16_t* key;
        QString expected;
    } rows[] = {
        {"  signale \t=\t ja \t", u"SIGNALE", u"ja"_s},          // key case; spaces and tabs around
        {"Nbsp=\xc2\xa0x\xc2\xa0", u"Nbsp", u"\u00a0x\u00a0"_s}, // other white space is kept
        {"Quoted=\"  a b  \"", u"Quoted", u"  a b  "_s},         // one pair of quotes removed
        {"Single='x'", u"Single", u"x"_s},
        {"Mixed=\"x'", u"Mixed", u"\"x'"_s}, // quotes that do not match stay
        {"Empty=", u"Empty", u"DEF"_s},      // empty counts as missing
        {"Blank= \t ", u"Blank", u"DEF"_s},
        {"EmptyQuotes=\"\"", u"EmptyQuotes", u"DEF"_s},
        {"Long=" + QByteArray(3000, 'x'), u"Long", QString(2047, u'x')},
        {"NoKey", u"NoKey", u"DEF"_s},     // a name without "=" is no key
        {"Cr=a\rLoneCr=b", u"Cr", u"a"_s}, // a lone CR ends a line
        {"", u"LoneCr", u"b"_s},
        {"Umlaut=C:\\D\xe4ten", u"Umlaut", u"C:\\Däten"_s}, // not UTF-8: Windows-1252
        {"Utf8=\xc3\xa4", u"Utf8", u"ä"_s},
        {"", u"SavePath", u"DEF"_s}, // only our own section counts
    };
    QByteArray bytes; // every byte 0x80-0xFF
    for (int b = 0x80; b <= 0xFF; ++b) {
        bytes += char(b);
    }
    QByteArray file = "; comment\r\n[Other]\r\nSavePath=/elsewhere/\r\n[PELLORAN SNAPWELL]\r\n";
    for (const auto& row : rows) {
        file += row.line + "\r\n";
    }
    writeFile(path(), file + "Bytes=" + bytes + "\r\n");
    for (const auto& row : rows) {
        EXPECT_EQ(read(QString::fromUtf16(row.key)), row.expected) << row.line.toStdString();
    }
    EXPECT_EQ(ReadIniString(u"Pelloran Snapwell"_s, u"x"_s, m_dir.path() + u"/none.ini"_s, u"d"_s), u"d"_s);

    // Each byte keeps a character of its own; the five the code page leaves unassigned are
    // the C1 controls.
    const QString all = read(u"Bytes"_s);
    EXPECT_EQ(QSet<QChar>(all.begin(), all.end()).size(), 128);
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xA0, 0xFF}) {
        EXPECT_EQ(all[b - 0x80], QChar(b)) << b;
    }
    EXPECT_EQ(all.front(), u'€');

    // Writing keeps every untouched line and the key order; a failed write keeps the old file.
    // A fresh file: the section, then the keys in the order they were first written.
    ASSERT_TRUE(QFile::remove(path()));
    for (const auto& key : {u"TextSammeln"_s, u"Trennlinie"_s, u"Signale"_s}) {
        ASSERT_TRUE(write(key, u"1"_s));
    }
    EXPECT_EQ(readFile(path()), "[Pelloran Snapwell]\r\nTextSammeln=1\r\nTrennlinie=1\r\nSignale=1\r\n");

    // Foreign lines, LF-only and lone-CR endings, odd bytes and other sections stay byte for
    // byte; a rewritten key keeps its place and spelling; a new key follows the section's
    // last non-blank line.
    writeFile(path(), "; mine\n"
                      "[pelloran snapwell]\r\n"
                      "SIGNALE = 1\n"
                      "unknown line \xe4\r\n"
                      "Trennlinie\r"
                      "Trennlinie=0\r\n"
                      "\r\n"
                      "\r\n"
                      "[Other]\r\n"
                      "Signale=7\r\n"
                      "tail");
    ASSERT_TRUE(write(u"Signale"_s, u"0"_s));
    ASSERT_TRUE(write(u"SavePath"_s, u"/tmp/ä/"_s));
    ASSERT_TRUE(write(u"Trennlinie"_s, u"1"_s));
    // A missing section is added at the end, with no blank line before it.
    ASSERT_TRUE(WriteIniString(u"Neu"_s, u"k"_s, u"v"_s, path()));
    const QByteArray after = "; mine\n"
                             "[pelloran snapwell]\r\n"
                             "SIGNALE =0\n"
                             "unknown line \xe4\r\n"
                             "Trennlinie\r"
                             "Trennlinie=1\r\n"
                             "SavePath=/tmp/\xc3\xa4/\r\n"
                             "\r\n"
                             "\r\n"
                             "[Other]\r\n"
                             "Signale=7\r\n"
                             "tail\r\n"
                             "[Neu]\r\n"
                             "k=v\r\n";
    EXPECT_EQ(readFile(path()), after);
    EXPECT_EQ(read(u"Signale"_s), u"0"_s);

    // Writing the value a key already has leaves the file as it is: not even rewritten.
    const QDateTime old = QDateTime::fromSecsSinceEpoch(1000000000);
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(write(u"signale"_s, u"0"_s));
    ASSERT_TRUE(WriteIniString(u"NEU"_s, u"k"_s, u" v\t"_s, path()));
    EXPECT_EQ(QFileInfo(path()).lastModified(), old);
    EXPECT_EQ(readFile(path()), after);

    // A failed write leaves the old profile whole.
    // The profile's directory is a file system of one page, which the profile fills.
    const QByteArray dir = QFile::encodeName(m_dir.path());
    if (::mount("tmpfs", dir.constData(), "tmpfs", 0, "size=4k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    const std::unique_ptr<const char, void (*)(const char*)> unmount(
        dir.constData(), [](const char* d) { ::umount2(d, MNT_DETACH); });
    const QByteArray full = "[Pelloran Snapwell]\r\nSignale=1\r\n; " + QByteArray(3000, '-') + "\r\n";
    writeFile(path(), full);
    EXPECT_FALSE(write(u"Signale"_s, u"0"_s));
    EXPECT_EQ(readFile(path()), full);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{u"p.ini"_s});
}

} // namespace

// Profiles by the classic rules, and the line rules of the text files, in temporary
// directories of their own.
#include "app/appmodul.h"
#include "storage/inifile.h"
#include "tests/unit/filesfixture.h"

#include <numeric>
#include <sys/mount.h>

namespace {

TEST_F(FilesTest, ProfilesAreReadByTheClassicRulesWrittenKeepingTheRestAndCopiedFromBesideTheProgram) {
    const QString ini = at(u"p.ini"_s);
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
        {"EmptyQuotes=\"\"", u"EmptyQuotes", u"DEF"_s},
        {"Long=" + QByteArray(3000, 'x'), u"Long", QString(2047, u'x')},
        {"NoKey", u"NoKey", u"DEF"_s},     // a name without "=" is no key
        {"Cr=a\rLoneCr=b", u"Cr", u"a"_s}, // a lone CR ends a line
        {"", u"LoneCr", u"b"_s},
        {"", u"SavePath", u"DEF"_s}, // only our own section counts
    };
    QByteArray bytes(128, 0); // every byte 0x80-0xFF
    std::iota(bytes.begin(), bytes.end(), char(0x80));
    QByteArray file = "; comment\r\n[Other]\r\nSavePath=/elsewhere/\r\n[PELLORAN SNAPWELL]\r\n";
    for (const auto& row : rows) {
        file += row.line + "\r\n";
    }
    writeFile(ini, file + "Bytes=" + bytes + "\r\n");
    for (const auto& row : rows) {
        EXPECT_EQ(read(QString::fromUtf16(row.key)), row.expected) << row.line.toStdString();
    }

    // Each byte keeps a character of its own; the five the code page leaves unassigned are
    // the C1 controls.
    const QString all = read(u"Bytes"_s);
    EXPECT_EQ(QSet<QChar>(all.begin(), all.end()).size(), 128);
    for (int b : {0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xA0, 0xFF}) {
        EXPECT_EQ(all[b - 0x80], QChar(b)) << b;
    }
    EXPECT_EQ(all.front(), u'€');

    // Writing keeps every untouched line and the key order.
    // A fresh file: the section, then the keys in the order they were first written.
    ASSERT_TRUE(QFile::remove(ini));
    for (const auto& key : {u"TextSammeln"_s, u"Trennlinie"_s, u"Signale"_s}) {
        ASSERT_TRUE(write(key, u"1"_s));
    }
    EXPECT_EQ(readFile(ini), "[Pelloran Snapwell]\r\nTextSammeln=1\r\nTrennlinie=1\r\nSignale=1\r\n");

    // Foreign lines, LF-only and lone-CR endings, odd bytes and other sections stay byte for
    // byte; a rewritten key keeps its place and spelling; a new key follows the section's
    // last non-blank line.
    writeFile(ini, "; mine\n"
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
    ASSERT_TRUE(WriteIniString(u"Neu"_s, u"k"_s, u"v"_s, ini));
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
    EXPECT_EQ(readFile(ini), after);

    // Writing the value a key already has leaves the file as it is: not even rewritten.
    const QDateTime old = QDateTime::fromSecsSinceEpoch(1000000000);
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.setFileTime(old, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(write(u"signale"_s, u"0"_s));
    ASSERT_TRUE(WriteIniString(u"NEU"_s, u"k"_s, u" v\t"_s, ini));
    EXPECT_EQ(QFileInfo(ini).lastModified(), old);
    EXPECT_EQ(readFile(ini), after);

    // A program installed where it may not write: the profile beside it is the starting point,
    // the user's own profile takes the changes and wins from then on.
    const QString prog = at(u"prog/"_s);
    QDir().mkpath(prog);
    const QByteArray mount = native(prog);
    if (::mount("tmpfs", mount.constData(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "mounting is not allowed here";
    }
    writeFile(prog + u"snapwell.ini"_s, "[Pelloran Snapwell]\r\nSavePath=/vorgabe/\r\nSignale=0\r\n");
    ASSERT_EQ(::mount("tmpfs", mount.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr), 0);
    AppState state;
    InitPaths(state, prog + u"snapwell"_s);
    const QString user = profilePath(state);
    EXPECT_EQ(read(u"SavePath"_s, user), u"/vorgabe/"_s);
    EXPECT_EQ(modeOf(user), 0600);
    EXPECT_TRUE(write(u"Signale"_s, u"1"_s, user));
    EXPECT_EQ(profilePath(state), user);
    EXPECT_EQ(read(u"Signale"_s, user), u"1"_s);
    EXPECT_EQ(read(u"Signale"_s, prog + u"snapwell.ini"_s), u"0"_s);
    ::umount2(mount.constData(), MNT_DETACH);
    QFile::remove(user);

    // A failed write leaves the old profile whole: the profile's directory is a file system
    // of one page, which the profile fills.
    const QByteArray dir = QFile::encodeName(m_dir.path());
    ASSERT_EQ(::mount("tmpfs", dir.constData(), "tmpfs", 0, "size=4k"), 0);
    const std::unique_ptr<const char, void (*)(const char*)> unmount(
        dir.constData(), [](const char* d) { ::umount2(d, MNT_DETACH); });
    const QByteArray full = "[Pelloran Snapwell]\r\nSignale=1\r\n; " + QByteArray(3000, '-') + "\r\n";
    writeFile(ini, full);
    EXPECT_FALSE(write(u"Signale"_s, u"0"_s));
    EXPECT_EQ(readFile(ini), full);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{u"p.ini"_s});
}

TEST(LineRules, LinesEndAtCrLfOrLoneCrAndNonUtf8LinesAreWindows1252) {
    EXPECT_EQ(rules("eins\r\nzwei\r\ndrei"), u"eins\r\nzwei\r\ndrei\r\n"_s); // last line without end
    EXPECT_EQ(rules("eins\r\nzwei\r\n"), u"eins\r\nzwei\r\n"_s);
    EXPECT_EQ(rules("a\nb\nc\n"), u"a\nb\nc\n\r\n"_s); // LF only: one single line
    EXPECT_EQ(rules("a\rb\r"), u"a\r\nb\r\n"_s);       // a lone CR ends a line
    EXPECT_EQ(rules(""), QString());
    // The editor's form: paragraphs for line ends, line separators for lone LFs.
    EXPECT_EQ(applyLineRules(u"a\nb\r\nc", u"\n", QChar::LineSeparator), u"a\u2028b\nc\n"_s);

    // Files that are not UTF-8 are read as Windows-1252, line by line.
    EXPECT_EQ(decodeFileText("Gr\xc3\xbc\xc3\x9f\x65 \xe2\x82\xac"), u"Grüße €"_s);
    // A Windows-1252 file that UTF-8 captures were appended to: each line keeps its own text.
    EXPECT_EQ(decodeFileText("alt: M\xe4rz\r\nneu: M\xc3\xa4rz\r\n"), u"alt: März\r\nneu: März\r\n"_s);
}

} // namespace

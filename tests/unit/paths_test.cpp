// Where the profile and the collection live: beside a portable program that may write there;
// in the user's places for an installed program (its directory a "bin") or a read-only
// directory, where a profile beside the program is the starting point.
#include "tests/support/fixture.h"

#include "app/appmodul.h"

TEST(Paths, PortableBesideTheProgramInstalledOrReadOnlyInTheUsersPlaces) {
    QCoreApplication::setOrganizationName(u"Pelloran"_s);
    QCoreApplication::setApplicationName(u"snapwell"_s);
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Pelloran/snapwell/"_s;
    const QString data = qEnvironmentVariable("XDG_DATA_HOME") + u"/Pelloran/snapwell/"_s;
    QTemporaryDir tmp;
    const struct {
        QString dir; // "~" stands for the temporary directory
        QByteArray preset;
        bool beside;
    } cases[] = {
        {u"~/Snapwell/"_s, {}, true},
        {u"~/Snapwell/"_s, "[Pelloran Snapwell]\r\nSignale=0\r\n", true},
        {u"~/bin/"_s, {}, false},
        {u"~/.local/bin/"_s, "[Pelloran Snapwell]\r\nSavePath=~/vorgabe/\r\n", false},
        {u"~/binaries/"_s, {}, true},
        {u"/proc/snapwell/"_s, {}, false}, // never writable, not even by root
    };
    for (const auto& c : cases) {
        const QString dir = QString(c.dir).replace(u'~', tmp.path());
        SCOPED_TRACE(dir.toStdString());
        QDir().mkpath(dir);
        QDir(config).removeRecursively();
        if (!c.preset.isEmpty()) {
            writeFile(dir + u"snapwell.ini"_s, QByteArray(c.preset).replace('~', tmp.path().toUtf8()));
        }
        AppState state;
        InitPaths(state, dir + u"snapwell"_s);
        LoadSettings(state);
        EXPECT_EQ(state.IniFile, (c.beside ? dir : config) + u"snapwell.ini"_s);
        const QString preset = c.preset.contains("vorgabe") ? tmp.path() + u"/vorgabe/"_s : QString();
        EXPECT_EQ(state.SavePath, !preset.isEmpty() ? preset : (c.beside ? dir : data) + u"Files/"_s);
        EXPECT_TRUE(QDir(state.SavePath).exists());
        if (!c.beside) {
            EXPECT_FALSE(QFileInfo::exists(dir + u"Files"_s));
            // The starting point is copied whole; the original stays as it was.
            EXPECT_EQ(readFile(state.IniFile), readFile(dir + u"snapwell.ini"_s));
        }
    }
}

#include "app/appmodul.h"

#include "app/appstate.h"
#include "app/commands.h"
#include "platform/platform.h"
#include "storage/inifile.h"
#include "storage/wholefile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace {

const QString kTilde49 = QString(49, u'~');

// Whether the profile and the collection lie beside the program: only for a portable folder
// that can be written. An installed program (its directory a "bin") keeps them in the
// user's places even where it could write, so that no reinstall, rebuild or package update
// touches them. Writability is tried for real: permission bits alone do not tell (a
// read-only mount, a program installed system-wide and run by root).
bool besideProgram(const AppState& state) {
    if (QDir(state.AppPath).dirName() == u"bin"_s) {
        return false;
    }
    QTemporaryFile probe(state.AppPath + u".snapwell-probe-XXXXXX"_s);
    return probe.open();
}

QString userDir(QStandardPaths::StandardLocation location) {
    QString dir = QStandardPaths::writableLocation(location);
    if (dir.isEmpty()) {
        dir = QDir::homePath();
    }
    return AddBackslash(dir);
}

} // namespace

QString profilePath(const AppState& state) {
    const QString file = LongPathName(state.AppPath + state.ExeName) + u".ini"_s;
    if (besideProgram(state)) {
        return file;
    }
    QString dir = userDir(QStandardPaths::AppConfigLocation);
    CreatePath(dir);
    const QString own = dir + state.ExeName + u".ini"_s;
    // A profile beside a program that may not write there is where the user starts from; the
    // user's own copy takes the changes and wins from then on.
    if (!QFileInfo::exists(own)) {
        if (const std::optional<QByteArray> preset = SafeFile::readPlain(file)) {
            SafeFile::writeWhole(own, *preset);
        }
    }
    return own;
}

QString defaultSavePath(const AppState& state) {
    if (besideProgram(state)) {
        return state.AppPath + u"Files"_s + kSep;
    }
    return userDir(QStandardPaths::AppDataLocation) + u"Files"_s + kSep;
}

void InitPaths(AppState& state, const QString& programFile) {
    const QFileInfo info(programFile);
    state.AppPath = QDir::toNativeSeparators(info.absolutePath());
    AddBackslash(state.AppPath);
    state.ExeName = info.completeBaseName();
}

Settings LoadSettings(AppState& state) {
    state.AppTitle = u"Pelloran Snapwell"_s;
    state.IniFile = profilePath(state);
    state.SavePath = ReadIniString(state.AppTitle, u"SavePath"_s, state.IniFile, defaultSavePath(state));
    AddBackslash(state.SavePath);
    if (!DirExists(state.SavePath)) {
        CreatePath(state.SavePath);
    }
    const QString line = ReadIniString(state.AppTitle, u"Trennzeichen"_s, state.IniFile, QString());
    state.Trennzeichen = line.isEmpty() ? kTilde49 : line;
    state.TrennBlock = u"\r\n"_s + state.Trennzeichen + u"\r\n"_s;
    return ReadSettings(state);
}

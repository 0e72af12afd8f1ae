#include "app/settings.h"

#include "app/appstate.h"
#include "storage/inifile.h"

using namespace Qt::StringLiterals;

Settings ReadSettings(const AppState& state) {
    const auto read = [&](const QString& key, const QString& def) {
        const QString v = ReadIniString(state.AppTitle, key, state.IniFile, QString());
        return v.isEmpty() ? def : v;
    };
    Settings s;
    s.Signale = read(u"Signale"_s, u"1"_s) != u"0"_s;
    s.Minimieren = read(u"Minimieren"_s, u"0"_s) == u"1"_s;
    s.Trennlinie = read(u"Trennlinie"_s, u"1"_s) != u"0"_s;
    s.TextSammeln = read(u"TextSammeln"_s, u"1"_s) == u"1"_s;
    return s;
}

void WriteSettings(const AppState& state, const Settings& settings) {
    const auto write = [&](const QString& key, const QString& value) {
        WriteIniString(state.AppTitle, key, value, state.IniFile);
    };
    const auto flag = [](bool on) { return on ? u"1"_s : u"0"_s; };
    write(u"TextSammeln"_s, flag(settings.TextSammeln));
    write(u"Trennlinie"_s, flag(settings.Trennlinie));
    write(u"Signale"_s, flag(settings.Signale));
    write(u"Minimieren"_s, flag(settings.Minimieren));
    write(u"Trennzeichen"_s, state.Trennzeichen);
    write(u"SavePath"_s, state.SavePath);
}

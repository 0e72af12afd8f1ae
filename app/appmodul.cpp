#include "app/appmodul.h"

#include "app/appstate.h"
#include "app/commands.h"
#include "app/inifile.h"
#include "capture/safefile.h"
#include "platform/platform.h"
#include "platform/sessionend.h"
#include "ui/chooser/browser.h"
#include "ui/main/form1.h"
#include "ui/main/separatordialog.h"
#include "ui/manager/form5.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace {

const QString kTilde49 = QString(49, u'~');

// Whether files can be created beside the program. Tried for real: permission bits alone
// do not tell (a read-only mount, a program installed system-wide and run by root).
bool besideProgram(const AppState& state) {
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
    QString ignored;
    if (!QFileInfo::exists(own)) {
        if (const std::optional<QByteArray> preset = SafeFile::readPlain(file, &ignored)) {
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

void LoadSettings(AppState& state, Form1& form1) {
    state.AppTitle = u"Pelloran Snapwell"_s;
    state.IniFile = profilePath(state);
    const auto read = [&](const QString& key, const QString& def) {
        return ReadIniString(state.AppTitle, key, state.IniFile, def);
    };

    state.SavePath = read(u"SavePath"_s, defaultSavePath(state));
    AddBackslash(state.SavePath);
    if (!DirExists(state.SavePath)) {
        CreatePath(state.SavePath);
    }
    // What a crash in the middle of storing left behind.
    SafeFile::recoverAppend(state.SavePath + u"clipbrd.dat"_s);
    SafeFile::removeLeftovers(state.SavePath);
    form1.setFileListPath(state.SavePath);
    form1.Form1_Form_Load();

    QString v = read(u"Signale"_s, QString());
    form1.Option3D8->setChecked((v.isEmpty() ? u"1"_s : v) != u"0"_s);
    v = read(u"Minimieren"_s, QString());
    form1.Option3D3->setChecked((v.isEmpty() ? u"0"_s : v) == u"1"_s);
    v = read(u"Trennlinie"_s, QString());
    form1.Check1->setChecked((v.isEmpty() ? u"1"_s : v) != u"0"_s);
    v = read(u"TextSammeln"_s, QString());
    if ((v.isEmpty() ? u"1"_s : v) == u"1"_s) {
        form1.Option3D1->setChecked(true);
        form1.Check1->setEnabled(true);
    } else {
        form1.Option3D2->setChecked(true);
        form1.Check1->setEnabled(false);
    }
    v = read(u"Trennzeichen"_s, QString());
    state.Trennzeichen = v.isEmpty() ? kTilde49 : v;
    state.TrennBlock = u"\r\n"_s + state.Trennzeichen + u"\r\n"_s;
}

void Form1_Form_Unload(AppState& state, Form1& form1) {
    const auto write = [&](const QString& key, const QString& value) {
        WriteIniString(state.AppTitle, key, value, state.IniFile);
    };
    const auto flag = [](bool on) { return on ? u"1"_s : u"0"_s; };
    write(u"TextSammeln"_s, flag(form1.Option3D1->isChecked()));
    write(u"Trennlinie"_s, flag(form1.Check1->isChecked()));
    write(u"Signale"_s, flag(form1.Option3D8->isChecked()));
    write(u"Minimieren"_s, flag(form1.Option3D3->isChecked()));
    write(u"Trennzeichen"_s, state.Trennzeichen);
    write(u"SavePath"_s, state.SavePath);
    form1.Zeit1->stop();
    form1.Timer1->stop();
    // The other windows go without their own close handling.
    QList<QWidget*> others{state.form5.data(), state.browser.data()};
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<SeparatorDialog*>(w)) {
            others.append(w);
        }
    }
    for (QWidget* w : others) {
        if (w) {
            w->hide();
            w->deleteLater();
        }
    }
}

bool ShellOpen(Platform& platform, const QString& target) {
    return platform.desktop->shellOpen(target);
}

void RightAlignMenuItem(QMainWindow& window, int position, const QString& caption) {
    QMenuBar* bar = window.menuBar();
    int visible = 0;
    for (QAction* action : bar->actions()) {
        if (!action->isVisible() || action->isSeparator()) {
            continue;
        }
        if (visible++ == position) {
            // The bar's style draws separators, which puts this item and the ones after it
            // at the right end.
            bar->insertSeparator(action);
            action->setText(caption);
            return;
        }
    }
}

int runSnapwell(int argc, char** argv, Platform& platform) {
    // Arguments are accepted and ignored.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    if (!platform.instanceLock->tryLock()) {
        return 0;
    }
    AppState state;
    InitPaths(state, QCoreApplication::applicationFilePath());
    Form1 form1(state, platform);
    state.form1 = &form1;
    form1.setWindowTitle(u"Pelloran Snapwell"_s);
    LoadSettings(state, form1);
    form1.setWindowTitle(state.AppTitle);
    QObject::connect(&form1, &Form1::unloaded, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    // Logging out or being terminated closes the window the normal way, so the settings
    // are written as on any close.
    onSessionEnd(&form1, [&form1] { form1.close(); });
    form1.show();
    return QApplication::exec();
}

#pragma once

#include <QString>

// The state that the windows and modules share: one instance for the whole run, made by
// the start procedure and passed by reference.
struct AppState {
    QString AppPath; // ends in the directory separator
    QString ExeName;
    QString AppTitle;
    QString IniFile;
    QString SavePath; // ends in the directory separator
    QString Trennzeichen;
    QString TrennBlock;
    QString CapturedText;

    quint32 BlinkColor1 = 0; // 0x00BBGGRR
    quint32 BlinkColor2 = 0;
};

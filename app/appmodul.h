#pragma once

#include "app/settings.h"

#include <QString>

#include <memory>

class Form1;
struct AppState;
struct Platform;

// Start procedure: ends at once when another instance runs; otherwise shows the main window.
// Returns the program's exit code.
int runSnapwell(int argc, char** argv, Platform& platform);

// AppPath and ExeName from the program file's path.
void InitPaths(AppState& state, const QString& programFile);
// Reads the profile into the state, creating the collection directory when it is missing;
// the options come back for the main window's controls.
Settings LoadSettings(AppState& state);
// The main window as the start procedure makes it: settings loaded, load handler run, the
// options on its controls; not yet shown.
std::unique_ptr<Form1> openMainWindow(AppState& state, Platform& platform);

// The profile's location and the default collection directory: beside a portable program
// when its directory is writable; for an installed one (in a "bin" directory) or a read-only
// directory in the user's own configuration and data directories.
QString profilePath(const AppState& state);
QString defaultSavePath(const AppState& state);

#pragma once

// What every window of the program shares with the desktop it imitates: Qt's own texts in
// German, and Return pressing the command button that has the focus. Called once at start,
// before the first window; later calls do nothing.
void applyDesktopConventions();

#pragma once

struct AppState;

// The options of the main window as the profile keeps them. While the program runs the
// option controls are the live settings: the main window is given these at start and hands
// them back, read from its controls, when it closes.
struct Settings {
    bool TextSammeln = true; // all text in the collection file, else numbered single files
    bool Trennlinie = true;  // separator line after each piece of the collection file
    bool Signale = true;     // acoustic confirmation
    bool Minimieren = false; // minimise the main window when monitoring starts
};

// The options from the profile. The reading is lenient in two ways: for Signale and
// Trennlinie everything but "0" means on, for Minimieren and TextSammeln only "1" does; a
// missing or empty key gives the default.
Settings ReadSettings(const AppState& state);
// Writes the options, the separator line and the collection directory to the profile, in
// the order a fresh profile lists them.
void WriteSettings(const AppState& state, const Settings& settings);

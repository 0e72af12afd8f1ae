#pragma once

#include <functional>

class QObject;

// Calls handler when the desktop session ends or the program is asked to terminate
// (SIGTERM, SIGHUP, SIGINT; the session manager's last call), on the user-interface thread,
// so the program can write what it can and end. It is called again on every further signal:
// a handler may be interrupted by a message box's own event loop and must act again.
// From the first request on, the process ends after kLastResortSeconds at the latest, whatever
// the program is doing.
void onSessionEnd(QObject* context, std::function<void()> handler);

// True once termination was asked for; safe to call from any thread.
bool terminationRequested();

inline constexpr unsigned kLastResortSeconds = 5;

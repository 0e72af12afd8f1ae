#pragma once

#include <functional>

class QObject;

// Calls handler once when the desktop session ends or the program is asked to terminate
// (SIGTERM, SIGHUP, SIGINT; the session manager's last call), on the user-interface thread,
// so the program can close as if its window had been closed.
void onSessionEnd(QObject* context, std::function<void()> handler);

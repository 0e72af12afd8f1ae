#pragma once

// Logging categories, silent by default (only critical passes); QT_LOGGING_RULES="snapwell.*=true"
// turns them on. Every failed clipboard read and every failed write logs one line with the file
// and the reason.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcReader)  // snapwell.reader: clipboard offers, conversions, timeouts
Q_DECLARE_LOGGING_CATEGORY(lcStore)   // snapwell.store: writes, retries, refusals
Q_DECLARE_LOGGING_CATEGORY(lcCapture) // snapwell.capture: what the cycle takes and skips
Q_DECLARE_LOGGING_CATEGORY(lcUi)      // snapwell.ui: windows, messages shown

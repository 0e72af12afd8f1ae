#include "platform/logging.h"

Q_LOGGING_CATEGORY(lcReader, "snapwell.reader", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcStore, "snapwell.store", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcCapture, "snapwell.capture", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcUi, "snapwell.ui", QtCriticalMsg)

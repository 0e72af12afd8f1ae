#pragma once

#include "platform/desktop.h"
#include "storage/storeerror.h"

#include <QString>

// The user's words for failures that the layers below the windows report as values.

// Why a file could not be written or read, short enough to stand in brackets in the hint line.
QString describe(const StoreError& error);
// Why a snapshot of the desktop did not arrive: a whole hint line.
QString describe(SnapshotFault fault);

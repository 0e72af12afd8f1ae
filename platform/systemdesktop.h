#pragma once

#include "platform/desktop.h"

class SystemDesktop final : public Desktop {
public:
    bool shellOpen(const QString& target) override;
    bool snapshotToClipboard() override;
};

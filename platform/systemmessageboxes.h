#pragma once

#include "platform/messageboxes.h"

class SystemMessageBoxes final : public MessageBoxes {
public:
    Answer show(QWidget* parent, Icon icon, Buttons buttons, const QString& text,
                const QString& title) override;
};

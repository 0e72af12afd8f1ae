#pragma once

#include "platform/messageboxes.h"

// The real message boxes: QMessageBox with German buttons.
class SystemMessageBoxes final : public MessageBoxes {
public:
    Answer show(QWidget* parent, Icon icon, Buttons buttons, const QString& text,
                const QString& title) override;
};

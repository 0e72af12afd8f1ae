#pragma once

#include <QString>

class QWidget;

// Modal message boxes, behind an interface so tests can read and answer them.
class MessageBoxes {
public:
    enum class Icon { Information, Question, Exclamation, Critical };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~MessageBoxes() = default;
    virtual Answer show(QWidget* parent, Icon icon, Buttons buttons, const QString& text,
                        const QString& title) = 0;
};

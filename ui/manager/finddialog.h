#pragma once

#include "ui/manager/textbox.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The manager's find window "Suchen": the text to look for, whether case counts, and
// "Weitersuchen", which selects the next match after the caret in the box. Ctrl+F in the box
// shows it, F3 and Shift+F3 there search again forward and backward. How a search ended is
// told in one line through tell().
class FindDialog final : public QDialog {
    Q_OBJECT
public:
    FindDialog(TextBox* box, std::function<void(const QString&)> tell, QWidget* parent);

    QLineEdit* What = nullptr;
    QCheckBox* MatchCase = nullptr;
    QPushButton* FindNext = nullptr;
    QPushButton* Cancel = nullptr;

    // The line that tells how a search ended, or none for a match found without a wrap.
    static QString outcome(TextBox::Found found, bool forward, const QString& what);

private:
    void showFor();
    void search(bool forward);

    TextBox* m_box;
    std::function<void(const QString&)> m_tell;
    bool m_forward = true;
};

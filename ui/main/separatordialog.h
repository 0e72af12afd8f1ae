#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;
struct Platform;

// Line breaks would split a record of the collection file and the line of the profile.
bool hasLineBreak(const QString& line);
// Makes the line the separator of the collection file at once: the line itself and the block
// written after each piece, so the very next piece already carries it.
void SetSeparatorLine(AppState& state, const QString& line);

// The small window in which the separator line is edited. Shown without blocking; closing it
// in any way discards it and tells its opener.
class SeparatorDialog final : public QWidget {
    Q_OBJECT
public:
    SeparatorDialog(AppState& state, Platform& platform, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

public slots:
    void Command1_Click();
    void Command2_Click();
    void Form_Unload();

signals:
    // The window closed, in any way.
    void left();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void warn(const QString& text);

    AppState& m_state;
    Platform& m_platform;
};

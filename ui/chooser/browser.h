#pragma once

#include "ui/lists/dirlistbox.h"
#include "ui/lists/drivelistbox.h"
#include "ui/lists/filelistbox.h"

#include <QWidget>

class QKeyEvent;
class QLineEdit;
class QPushButton;
struct AppState;
struct Platform;

// The collection directory chooser. It exists while it is open and is discarded when it
// closes; its opener hears of a new collection directory and of the closing by signals.
class Browser final : public QWidget {
    Q_OBJECT
public:
    Browser(AppState& state, Platform& platform, QWidget* parent = nullptr);

    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

public slots:
    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_OpenFailed(const QString& path);
    // True when the key press is swallowed.
    bool Text2_KeyPress(QKeyEvent* event);
    void Command1_Click();
    void Command2_Click();
    void Form_Unload();

signals:
    // SavePath names a new, existing collection directory.
    void pathChosen();
    // The window closed, in any way.
    void left();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();

    AppState& m_state;
    Platform& m_platform;
};

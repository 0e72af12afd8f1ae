#pragma once

#include "app/settings.h"
#include "capture/captureview.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class Panel;
class QuickBlink;
class ImageBox;
class CaptureCycle;
class Form5;
class Browser;
class SeparatorDialog;
struct AppState;
struct Platform;

// The main window. Controls are public members named like their handlers, because the
// capture cycle reads and sets them directly: the option controls are the live settings.
// The capture sees the window only as its view. It owns the windows it opens (the manager,
// the chooser, the separator-line dialog) and hears from them through their signals.
class Form1 final : public QMainWindow, public CaptureView {
    Q_OBJECT
public:
    Form1(AppState& state, Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    Platform& platform() { return m_platform; }
    CaptureCycle& cycle() { return *m_cycle; }

    // The options onto the controls, and back from them.
    void applySettings(const Settings& settings);
    Settings settings() const;

    // The windows opened from here, while they are open.
    Form5* form5() const;
    Browser* browser() const;
    SeparatorDialog* separatorDialog() const;

    // Counters and the text-data hint from the store's file lists as they stand (also whenever
    // the store says they changed); refreshFileLists() takes in what others did first.
    void showCounters();
    void refreshFileLists();
    // The collection directory, set or changed: the store and its file lists follow it.
    void setCollectionPath(const QString& path);
    void setHint(const QString& text) override;
    // The caption, and the window's name for assistive tools, which hear of every change.
    void setCaption(const QString& caption);
    void setIndicatorColor(quint32 bgr);
    bool monitoring() const;
    // Closes without questions: the desktop session ends or the program is terminated.
    // Termination or the end of the session: writes what it can, saves the settings and
    // ends the program, within kLastResortSeconds, also while a question is open.
    void endSession();
    // How long closing waits for pieces still being written, and termination at most.
    static constexpr int kClosingBudgetMs = 5000;
    static constexpr int kEndingBudgetMs = 2500;
    void focusSink() override;

    // The capture's view of the window.
    bool collectOption() const override;
    bool singleFileOption() const override;
    bool separatorOption() const override;
    bool soundOption() const override;
    bool monitoringActive() const override;
    void blink(const QString& caption, quint32 bgr) override;
    void showArea(Area area) override;
    void showText(const QString& text) override;
    void appendText(const QString& text, qsizetype maxChars) override;
    void showPicture(const QImage& image) override;
    void showCounts(const CollectionCounts& counts) override;
    QString describe(const StoreError& error) const override;
    QString describe(SnapshotFault fault) const override;
    void setWindowShown(bool shown) override;
    void setSnapshotTimer(bool running) override;

    // Menu bar
    QAction* mnuTrenn = nullptr;
    QAction* mnuSammel = nullptr;
    QAction* mnuDesktopLink = nullptr;
    QAction* mnuMini = nullptr;

    Panel* Frame3D3 = nullptr;
    QRadioButton* Option3D1 = nullptr;
    QRadioButton* Option3D2 = nullptr;
    Panel* Frame3D4 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Option3D8 = nullptr;
    QCheckBox* Option3D3 = nullptr;
    Panel* Frame3D5 = nullptr;
    QPushButton* Command2 = nullptr;
    Panel* Frame3D6 = nullptr;
    QLabel* Bezeichnung1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Bezeichnung3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLabel* Label11 = nullptr;
    Panel* Frame3D7 = nullptr;
    QPushButton* Befehl1 = nullptr;
    Panel* Frame3D9 = nullptr;
    QLabel* Bezeichnung8 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Bezeichnung5 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Bezeichnung6 = nullptr;
    Panel* Frame3D2 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    Panel* Frame3D1 = nullptr;
    ImageBox* Anzeige1 = nullptr;
    Panel* Frame3D8 = nullptr;
    QPushButton* Befehl4 = nullptr;
    QPushButton* Befehl3 = nullptr;
    QLabel* hinweis = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QTimer* Zeit1 = nullptr;
    QTimer* Timer1 = nullptr;

    // The maker's web page, handed to the desktop by a click on Bezeichnung6.
    static QString webAddress();

public slots:
    void Form1_Form_Load();
    void Form1_Form_Unload();
    void Befehl1_Click();
    void Befehl1_MouseMove();
    void Zeit1_Timer();
    void Command2_Click();
    void Timer1_Timer();
    void Command2_MouseMove();
    void Option3D1_Click();
    void Option3D2_Click();
    void Bezeichnung5_Click();
    void Bezeichnung6_Click();
    void Bezeichnung5_MouseMove();
    void Bezeichnung6_MouseMove();
    void Frame3D9_MouseMove();
    void Form_MouseMove();
    void Form_Click();
    void ColourZone_Click(QLabel* zone);
    void Befehl4_Click();
    void Befehl3_Click();
    void mnuTrenn_Click();
    void mnuSammel_Click();
    void mnuMini_Click();
    void Browser_PathChosen();
    void Browser_Left();
    void form5_Left();
    void SeparatorDialog_Left();

signals:
    // The main window has closed and written the settings: the program ends.
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool mayClose();

private:
    void buildControls();
    void buildMenu();
    void buildMouseRoutes(QWidget* client);
    void onHover(QWidget* widget, std::function<void()> handler);
    void onClick(QWidget* widget, std::function<void()> handler);

    AppState& m_state;
    Platform& m_platform;
    std::unique_ptr<CaptureCycle> m_cycle;
    QPointer<Form5> m_form5;
    QPointer<Browser> m_browser;
    QPointer<SeparatorDialog> m_separator;
    QHash<QObject*, std::function<void()>> m_hover;
    QHash<QObject*, std::function<void()>> m_click;
    bool m_unloaded = false;
    // Monitoring on or off: the one place that says so.
    bool m_monitoring = false;
    // The close question is open: nothing is taken meanwhile, so that what it counts is what
    // would be lost.
    bool m_capturePaused = false;
    bool m_sessionEnding = false;
    bool m_toldNoBackgroundWatch = false;
    QuickBlink* m_quickBlink = nullptr;
};

// Colours are kept as 0x00BBGGRR values.
QColor colorFromBgr(quint32 bgr);

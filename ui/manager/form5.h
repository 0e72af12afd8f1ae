#pragma once

#include "platform/messageboxes.h"
#include "storage/filelist.h"
#include "storage/textfiles.h"

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class Panel;
class TextBox;
class DirListBox;
class DriveListBox;
class FileListBox;
class CollectionStore;
struct AppState;
struct Platform;

// The text data manager: lists the collection files and single text files of the
// collection directory, shows one of them for editing, saves, renames, deletes, starts a
// new collection file and copies files elsewhere. Controls are public members under their
// own names, like the main window's.
class Form5 final : public QWidget {
    Q_OBJECT
public:
    // Every change to a file of the collection directory goes through the store.
    Form5(AppState& state, Platform& platform, CollectionStore& store, QWidget* parent = nullptr);

    Panel* Frame3D1 = nullptr;
    QListWidget* Liste1 = nullptr;
    QPushButton* Befehl4 = nullptr;
    Panel* Frame3D2 = nullptr;
    QListWidget* Liste2 = nullptr;
    QPushButton* Befehl5 = nullptr;
    QPushButton* Befehl7 = nullptr;
    Panel* Frame3D3 = nullptr;
    TextBox* Text3 = nullptr;
    Panel* Frame3D4 = nullptr;
    QPushButton* Befehl1 = nullptr;
    QPushButton* Befehl2 = nullptr;
    QPushButton* Befehl6 = nullptr;
    QPushButton* Command1 = nullptr;
    Panel* Frame3D7 = nullptr;
    QLabel* Bezeichnung1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Befehl10 = nullptr;
    QPushButton* Befehl12 = nullptr;
    Panel* Frame3D5 = nullptr;
    DriveListBox* Laufwerk1 = nullptr;
    DirListBox* Verzeichnis1 = nullptr;
    FileListBox* Datei3 = nullptr;
    QPushButton* Command3D4 = nullptr;
    QPushButton* Command3D5 = nullptr;
    QLabel* Bezeichnung3 = nullptr;
    FileList Datei1{QStringLiteral("*.dat")};
    FileList Datei2{QStringLiteral("*.txt")};

    // Selects the entry of that name in a list, which shows its file; false when the list
    // has no such entry.
    static bool selectEntry(QListWidget* list, const QString& name);
    // The name selected in a list, empty when none is.
    static QString selection(const QListWidget* list);
    // "Speichern" runs on the store's thread; the window is busy until the text is on disk.
    bool saving() const { return m_save != nullptr; }
    // The file shown in the box, and the copy panel's target as last used.
    const QString& textFile() const { return m_textFile; }
    const QString& copyPath() const { return m_copyPath; }
    // What the copy panel copies.
    enum class CopyMode { Collection, SingleText };
    CopyMode copyMode() const { return m_copyMode; }

public slots:
    void Form_Load();
    void Liste1_Click();
    void Liste2_Click();
    void Text3_Change();
    void Befehl1_Click();
    void Befehl2_Click();
    void Befehl7_Click();
    void Befehl10_Click();
    void Befehl12_Click();
    void Befehl5_Click();
    void Befehl4_Click();
    void Befehl6_Click();
    void Command1_Click();
    void Command3D4_Click();
    void Command3D5_Click();
    void Laufwerk1_Change();
    void Verzeichnis1_Change();
    void Verzeichnis1_Click();

signals:
    // "<<<  Zurück", or the frame's close: the window is on its way out.
    void left();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void showFile(QListWidget* list);
    void refill(QListWidget* list, FileList& files);
    void boxEmptied();
    MessageBoxes::Answer say(MessageBoxes::Icon icon, const QString& text);
    bool ask(const QString& question);
    bool Text2_KeyPress(QChar typed);
    // Shows the copy panel for the file chosen in the list, or says that none is.
    void openCopyPanel(const QListWidget* list, const QString& nothingChosen, CopyMode mode);
    // A file's name as the messages show it.
    static QString upperName(const QString& path);
    // One "Speichern": the text, the file as shown, and the step under way.
    struct Save {
        QString path;
        QByteArray text;
        bool check = true;
        SaveStep step;
    };
    void saveStep();
    void saveStepDone();
    void saveEnded(bool saved);

    AppState& m_state;
    Platform& m_platform;
    CollectionStore& m_store;
    QString m_textFile;
    QString m_copyPath;
    CopyMode m_copyMode = CopyMode::Collection;
    // The shown file as it was on disk, for the check before saving.
    DiskState m_shown;
    bool m_saveBeforeLoad = false;
    // The entry under the mouse button when it went down, if it was already chosen.
    QListWidgetItem* m_pressedChosen = nullptr;
    bool m_left = false;
    std::unique_ptr<Save> m_save;
    // "<<<  Zurück" while saving: the window leaves once the text is saved.
    bool m_leaveWhenSaved = false;
};

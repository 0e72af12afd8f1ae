#include "ui/manager/form5.h"

#include "app/appstate.h"
#include "app/commands.h"
#include "app/places.h"
#include "platform/logging.h"
#include "platform/memory.h"
#include "platform/platform.h"
#include "storage/collectionstore.h"
#include "storage/inifile.h"
#include "storage/savetextfile.h"
#include "ui/lists/dirlistbox.h"
#include "ui/lists/drivelistbox.h"
#include "ui/lists/filelistbox.h"
#include "ui/main/widgets.h"
#include "ui/manager/finddialog.h"
#include "ui/manager/textbox.h"
#include "ui/uistyle.h"
#include "ui/windowhelpers.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

using namespace Qt::StringLiterals;

QString Form5::upperName(const QString& path) {
    return QFileInfo(path).fileName().toUpper();
}

Form5::Form5(AppState& state, Platform& platform, CollectionStore& store, QWidget* parent)
    : QWidget(parent), m_state(state), m_platform(platform), m_store(store) {
    setObjectName(u"form5"_s);
    setWindowTitle(u"gesammelte Textdaten..."_s);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(QIcon(u":/snapwell.png"_s));
    // Normal weight: "Text-Sammeldatei kopieren..." does not fit its button in bold.
    setFont(sansFont(8.25, false));
    setWindowColor(this, kGrey);
    buildControls();
    setFixedSize(tw(9465), tw(6300));
    // The text of a large file is gone with the window; its memory goes back to the system.
    connect(this, &QObject::destroyed, [] { releaseFreeMemory(); });
    Form_Load();
}

void Form5::buildControls() {
    const QColor face = palette().color(QPalette::Button);
    const auto button = [this](QWidget* parent, const char16_t* name, const QString& caption, int l, int t,
                               int w, int h, void (Form5::*handler)()) {
        auto* b = control<QPushButton>(parent, name, l, t, w, h, caption);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    const auto label = [](QWidget* parent, const char16_t* name, const QString& caption, int l, int t, int w,
                          int h) {
        auto* lab = control<QLabel>(parent, name, l, t, w, h, caption);
        setColors(lab, kNavy, Qt::transparent);
        return lab;
    };

    Frame3D1 = control<Panel>(this, u"Frame3D1", 180, 60, 1695, 825, kGrey);
    Liste1 = control<QListWidget>(Frame3D1, u"Liste1", 90, 105, 1455, 255);
    Befehl4 = button(Frame3D1, u"Befehl4", u"Neu"_s, 90, 435, 1455, 255, &Form5::Befehl4_Click);

    Frame3D2 = control<Panel>(this, u"Frame3D2", 180, 915, 1695, 4440, kGrey);
    Liste2 = control<QListWidget>(Frame3D2, u"Liste2", 90, 105, 1455, 3570);
    Befehl5 = button(Frame3D2, u"Befehl5", u"Text löschen"_s, 90, 3705, 1455, 285, &Form5::Befehl5_Click);
    Befehl7 = button(Frame3D2, u"Befehl7", u"umbenennen"_s, 90, 4035, 1455, 285, &Form5::Befehl7_Click);

    Frame3D3 = control<Panel>(this, u"Frame3D3", 1950, 60, 7305, 5295, face);
    Text3 = control<TextBox>(Frame3D3, u"Text3", -30, -30, 7290, 5280);
    QFont verdana;
    verdana.setFamilies({u"Verdana"_s, u"DejaVu Sans"_s});
    verdana.setPointSizeF(8.25);
    verdana.setBold(true);
    Text3->setLook(verdana);
    // Ctrl+F in the box opens it; a window of its own, so the manager's layout stays as it is.
    new FindDialog(
        Text3, [this](const QString& line) { say(MessageBoxes::Icon::Information, line); }, this);

    Frame3D4 = control<Panel>(this, u"Frame3D4", 195, 5475, 9075, 645, QColor(Qt::black));
    Befehl1 = button(Frame3D4, u"Befehl1", u"<<<  Zurück"_s, 90, 105, 1605, 375, &Form5::Befehl1_Click);
    Befehl2 = button(Frame3D4, u"Befehl2", u"Speichern"_s, 1785, 105, 2325, 375, &Form5::Befehl2_Click);
    Befehl6 =
        button(Frame3D4, u"Befehl6", u"Text kopieren nach..."_s, 4200, 105, 2325, 375, &Form5::Befehl6_Click);
    Command1 = button(Frame3D4, u"Command1", u"Text-Sammeldatei kopieren..."_s, 6615, 105, 2295, 375,
                      &Form5::Command1_Click);
    Befehl2->setEnabled(false);
    Befehl6->setEnabled(false);

    // The two panels lie over the text box.
    Frame3D7 = control<Panel>(this, u"Frame3D7", 2325, 2115, 3135, 1410, kGrey);
    Bezeichnung1 = label(Frame3D7, u"Bezeichnung1", u"Dateiname ohne Endung:"_s, 105, 120, 2400, 240);
    Text2 = control<QLineEdit>(Frame3D7, u"Text2", 105, 360, 2175, 360);
    Text2->setFont(sansFont(9.75, true));
    setColors(Text2, kNavy, Qt::white);
    Text2->installEventFilter(this);
    Label2 = label(Frame3D7, u"Label2", u".TXT"_s, 2340, 450, 615, 285);
    Label2->setFont(sansFont(9.75, true));
    Befehl10 = button(Frame3D7, u"Befehl10", u"speichern"_s, 120, 840, 1755, 375, &Form5::Befehl10_Click);
    Befehl12 = button(Frame3D7, u"Befehl12", u"Abbruch"_s, 1920, 840, 975, 375, &Form5::Befehl12_Click);
    Frame3D7->hide();

    Frame3D5 = control<Panel>(this, u"Frame3D5", 6810, 60, 2445, 5295, kGrey);
    Laufwerk1 = control<DriveListBox>(Frame3D5, u"Laufwerk1", 120, 120, 2175, 315);
    Verzeichnis1 = control<DirListBox>(Frame3D5, u"Verzeichnis1", 120, 480, 2175, 2055);
    // All files: "*.*" would miss names without a full stop.
    Datei3 = control<FileListBox>(Frame3D5, u"Datei3", 120, 2640, 2175, 1650, u"*"_s);
    for (QWidget* w : std::initializer_list<QWidget*>{Liste1, Liste2, Laufwerk1, Verzeichnis1, Datei3}) {
        setColors(w, kNavy, Qt::white);
    }
    Command3D4 =
        button(Frame3D5, u"Command3D4", u"kopieren"_s, 120, 4530, 2145, 270, &Form5::Command3D4_Click);
    Command3D5 =
        button(Frame3D5, u"Command3D5", u"abbrechen"_s, 120, 4890, 2145, 270, &Form5::Command3D5_Click);
    Frame3D5->hide();

    Bezeichnung3 = label(this, u"Bezeichnung3", u"0"_s, 1320, 6225, 300, 465);
    Bezeichnung3->hide();

    connect(Liste1, &QListWidget::itemSelectionChanged, this, &Form5::Liste1_Click);
    connect(Liste2, &QListWidget::itemSelectionChanged, this, &Form5::Liste2_Click);
    // A click on the entry that is already chosen changes no selection and shows it all the
    // same: the way back to a collection file after a single text.
    for (QListWidget* box : {Liste1, Liste2}) {
        box->viewport()->installEventFilter(this);
        connect(box, &QListWidget::itemClicked, this, [this, box](QListWidgetItem* item) {
            if (item == m_pressedChosen) {
                showFile(box);
            }
        });
    }
    connect(Text3, &TextBox::textChanged, this, &Form5::Text3_Change);
    connect(Laufwerk1, &QComboBox::activated, this, &Form5::Laufwerk1_Change);
    connect(Verzeichnis1, &DirListBox::changed, this, &Form5::Verzeichnis1_Change);
    connect(Verzeichnis1, &QTreeWidget::itemClicked, this, &Form5::Verzeichnis1_Click);
    connect(Verzeichnis1, &DirListBox::openFailed, this, [this](const QString& path) {
        qCInfo(lcUi) << "directory cannot be opened:" << path;
        say(MessageBoxes::Icon::Exclamation,
            u"Das Verzeichnis "_s + path + u" kann nicht geöffnet werden !   "_s);
    });
    // Escape in the rename panel cancels it, as "Abbruch" does (eventFilter).
    Frame3D7->installEventFilter(this);
}

MessageBoxes::Answer Form5::say(MessageBoxes::Icon icon, const QString& text) {
    return m_platform.messages->show(this, icon, MessageBoxes::Buttons::Ok, text, m_state.AppTitle);
}

bool Form5::ask(const QString& question) {
    return m_platform.messages->show(this, MessageBoxes::Icon::Question, MessageBoxes::Buttons::YesNo,
                                     question, m_state.AppTitle) == MessageBoxes::Answer::Yes;
}

bool Form5::selectEntry(QListWidget* list, const QString& name) {
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == name) {
            // Cleared first, so that choosing the entry that is already chosen shows it again.
            list->clearSelection();
            list->setCurrentRow(row);
            return true;
        }
    }
    return false;
}

QString Form5::selection(const QListWidget* list) {
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

void Form5::refill(QListWidget* list, FileList& files) {
    files.refresh();
    m_pressedChosen = nullptr;
    list->clear();
    list->addItems(files.names());
}

void Form5::Form_Load() {
    CenterForm(*this);
    Datei1.setPath(m_state.SavePath);
    Liste1->addItems(Datei1.names());
    Datei2.setPath(m_state.SavePath);
    Liste2->addItems(Datei2.names());
    m_copyPath = ReadIniString(m_state.AppTitle, u"CopyPath"_s, m_state.IniFile, QString());

    // Start state of the copy panel: the process's current directory. The drive list follows
    // the directory list.
    Verzeichnis1->setPath(QDir::currentPath());
    if (!m_copyPath.isEmpty()) {
        AddBackslash(m_copyPath);
        // A target that cannot be read leaves the panel on the start state.
        if (isListable(m_copyPath)) {
            Verzeichnis1->setPath(m_copyPath);
        }
    }
}

void Form5::showFile(QListWidget* list) {
    const QString name = selection(list);
    const QString path = m_state.SavePath + name;
    if (name.isEmpty() || !isTextFile(path)) {
        return;
    }
    const bool collection = list == Liste1;
    if (!Text3->loading()) {
        m_saveBeforeLoad = Befehl2->isEnabled();
    }
    // Nothing to save while the box waits for its new text.
    Befehl2->setEnabled(false);
    Text3->showFile(path, [this, path, collection](const TextBox::Loaded& loaded) {
        if (!loaded.ok) {
            Befehl2->setEnabled(m_saveBeforeLoad);
            say(MessageBoxes::Icon::Exclamation,
                u"Die Datei "_s + upperName(path) + u" konnte nicht gelesen werden !   "_s);
            return;
        }
        m_textFile = path;
        m_shown = loaded.disk;
        Befehl6->setEnabled(!collection);
        Befehl2->setEnabled(false);
        Command1->setEnabled(collection);
    });
}

void Form5::Liste1_Click() {
    showFile(Liste1);
}

void Form5::Liste2_Click() {
    showFile(Liste2);
}

void Form5::Text3_Change() {
    if (!Text3->loading() && !saving()) {
        Befehl2->setEnabled(true);
    }
}

void Form5::Befehl1_Click() {
    if (saving()) {
        m_leaveWhenSaved = true;
        return;
    }
    if (m_left) {
        return;
    }
    m_left = true;
    WriteIniString(m_state.AppTitle, u"CopyPath"_s, m_copyPath, m_state.IniFile);
    hide();
    deleteLater();
    emit left();
}

void Form5::closeEvent(QCloseEvent* event) {
    // Closing by the frame leaves like "<<<  Zurück": the main window comes back.
    Befehl1_Click();
    event->setAccepted(m_left);
}

void Form5::Befehl7_Click() {
    const QString name = selection(Liste2);
    if (name.isEmpty()) {
        say(MessageBoxes::Icon::Information, u"Kein Text markiert !   "_s);
        return;
    }
    Frame3D7->show();
    Frame3D7->raise();
    Text2->setText(name.left(name.size() - 4));
    Text2->setFocus();
}

bool Form5::Text2_KeyPress(QChar typed) {
    // Characters that would break the name, the directory separator among them.
    return !u".,*:;\"\\/"_s.contains(typed);
}

bool Form5::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        for (QListWidget* list : {Liste1, Liste2}) {
            if (watched == list->viewport()) {
                QListWidgetItem* item = list->itemAt(static_cast<QMouseEvent*>(event)->position().toPoint());
                m_pressedChosen = item && item->isSelected() ? item : nullptr;
            }
        }
    }
    if (watched == Frame3D7 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Befehl12->click();
        return true;
    }
    if (watched == Text2 && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (typed.size() == 1 && !Text2_KeyPress(typed.front())) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form5::Befehl10_Click() {
    const QString from = selection(Liste2);
    const QString base = Text2->text().trimmed();
    const QString to = base + u".txt"_s;
    Frame3D7->hide();
    const auto renamed = [this, to](bool ok) {
        if (!ok) {
            say(MessageBoxes::Icon::Critical, u"FEHLER !    "_s);
        }
        refill(Liste2, Datei2);
        selectEntry(Liste2, to);
    };
    if (from.isEmpty() || !acceptableBaseName(base)) {
        renamed(false);
        return;
    }
    m_store.run(
        this,
        [dir = m_state.SavePath, from, to] {
            const bool ok = renameTextFile(dir, from, to);
            if (!ok) {
                qCWarning(lcStore) << dir + from << "not renamed to" << to;
            }
            return ok;
        },
        renamed);
}

void Form5::Befehl12_Click() {
    Frame3D7->hide();
}

void Form5::Befehl5_Click() {
    const QString name = selection(Liste2);
    if (name.isEmpty()) {
        say(MessageBoxes::Icon::Information, u"Kein Text markiert !   "_s);
        return;
    }
    if (!ask(u"Willst Du wirklich die Datei "_s + name.toUpper() + u" löschen?"_s)) {
        return;
    }
    m_store.run(
        this,
        [path = m_state.SavePath + name] {
            if (isTextFile(path) && !QFile::remove(path)) {
                qCWarning(lcStore) << path << "not deleted";
            }
            return true;
        },
        [this](bool) {
            refill(Liste2, Datei2);
            Text3->makeEmpty();
            boxEmptied();
        });
}

void Form5::boxEmptied() {
    // The box no longer shows the file named by TextFile: saving would replace all of it,
    // so it asks first. A file that is gone has nothing to lose.
    m_shown = isTextFile(m_textFile) ? DiskState() : DiskState::absent();
}

void Form5::Befehl4_Click() {
    const QString name = selection(Liste1);
    if (name.isEmpty()) {
        say(MessageBoxes::Icon::Information, u"Bitte markieren !   "_s);
        return;
    }
    if (!ask(u"Willst Du wirklich eine neue Text-Sammeldatei beginnen ?   "_s)) {
        return;
    }
    // Between two appends: no captured piece is lost with the file moved aside.
    m_store.run(
        this,
        [dir = m_state.SavePath, name] {
            const bool ok = moveToBackup(dir, name);
            if (!ok) {
                qCWarning(lcStore) << dir + name << "not moved to backup.dat";
            }
            return ok;
        },
        [this](bool) {
            Text3->makeEmpty();
            boxEmptied();
            Befehl2->setEnabled(false);
            refill(Liste1, Datei1);
        });
}

#include "ui/chooser/browser.h"

#include "app/appstate.h"
#include "app/commands.h"
#include "app/places.h"
#include "platform/logging.h"
#include "platform/platform.h"
#include "ui/uistyle.h"
#include "ui/windowhelpers.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

Browser::Browser(AppState& state, Platform& platform, QWidget* parent)
    : QWidget(parent), m_state(state), m_platform(platform) {
    setObjectName(u"Browser"_s);
    setWindowTitle(u"Sammel-Verzeichnis auswählen:"_s);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(sansFont(8.25, false));
    setWindowColor(this, kGrey);
    setFixedSize(tw(5055), tw(3945));
    buildControls();
    Form_Load();
}

void Browser::buildControls() {
    Drive1 = control<DriveListBox>(this, u"Drive1", 120, 120, 2415, 315);

    Dir1 = control<DirListBox>(this, u"Dir1", 120, 480, 2415, 2505);

    File1 = control<FileListBox>(this, u"File1", 2640, 120, 2295, 2625, u"*"_s);

    Text2 = control<QLineEdit>(this, u"Text2", 105, 3120, 4830, 285);
    Text2->setFont(sansFont(8.25, true));
    setColors(Text2, kNavy, Qt::white);
    Text2->installEventFilter(this);

    Command1 = control<QPushButton>(this, u"Command1", 2640, 3480, 2295, 375, u"Übernehmen"_s);
    Command1->setFont(sansFont(9.75, true));

    Command2 = control<QPushButton>(this, u"Command2", 120, 3480, 2295, 375, u"Abbrechen"_s);

    for (QWidget* list : std::initializer_list<QWidget*>{Drive1, Dir1, File1}) {
        setColors(list, Qt::black, Qt::white);
    }
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Text2);
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, Command2);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &Browser::Drive1_Change);
    connect(Dir1, &DirListBox::changed, this, &Browser::Dir1_Change);
    connect(Dir1, &DirListBox::openFailed, this, &Browser::Dir1_OpenFailed);
    connect(Command1, &QPushButton::clicked, this, &Browser::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Browser::Command2_Click);
}

void Browser::Form_Load() {
    CenterForm(*this);
}

void Browser::Drive1_Change() {
    const QString root = Drive1->drive();
    if (root.isEmpty()) {
        return;
    }
    // The drive's current directory: the one last shown on it, else its root. The drive list
    // follows the directory list.
    if (!Dir1->setPath(Drive1->currentDirOf(root)) && !isListable(root)) {
        // The list stands on a readable place above it; say why it is not the drive.
        m_platform.messages->show(this, MessageBoxes::Icon::Exclamation, MessageBoxes::Buttons::Ok,
                                  u"Das Laufwerk "_s + root + u" ist nicht bereit !   "_s, m_state.AppTitle);
        qCInfo(lcUi) << "drive not readable:" << root;
    }
    QString shown = Dir1->path();
    Text2->setText(AddBackslash(shown));
}

void Browser::Dir1_Change() {
    File1->setPath(Dir1->path());
    QString shown = Dir1->path();
    Text2->setText(AddBackslash(shown));
    // The tree reaches above the volume it started on, so the drive list follows it.
    Drive1->showDriveOf(Dir1->path());
}

void Browser::Dir1_OpenFailed(const QString& path) {
    qCInfo(lcUi) << "directory cannot be opened:" << path;
    m_platform.messages->show(this, MessageBoxes::Icon::Exclamation, MessageBoxes::Buttons::Ok,
                              u"Das Verzeichnis "_s + path + u" kann nicht geöffnet werden !   "_s,
                              m_state.AppTitle);
}

bool Browser::Text2_KeyPress(QKeyEvent* event) {
    const QString typed = event->text();
    return typed.size() == 1 && isRefusedPathChar(typed.front());
}

bool Browser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text2 && event->type() == QEvent::KeyPress) {
        return Text2_KeyPress(static_cast<QKeyEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

void Browser::keyPressEvent(QKeyEvent* event) {
    // Escape cancels, as "Abbrechen" does.
    if (event->key() == Qt::Key_Escape) {
        Command2->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Browser::Command1_Click() {
    if (Text2->text().isEmpty()) {
        return;
    }
    MessageBoxes& box = *m_platform.messages;
    if (!QDir::isAbsolutePath(Text2->text())) {
        // Relative to what? The program's working directory means nothing to the user.
        box.show(this, MessageBoxes::Icon::Exclamation, MessageBoxes::Buttons::Ok,
                 u"Der Pfad "_s + Text2->text() + u" ist kein vollständiger Pfad !   "_s, m_state.AppTitle);
        return;
    }
    QString path = QDir::cleanPath(Text2->text());
    AddBackslash(path);
    // The collection directory changes only once the new one exists: until then every capture
    // still has a place to go.
    if (!DirExists(path)) {
        const auto answer =
            box.show(this, MessageBoxes::Icon::Question, MessageBoxes::Buttons::YesNo,
                     u"Der Pfad "_s + path + u" existiert nicht. Erstellen ?  "_s, u"Pelloran's Snapwell"_s);
        if (answer != MessageBoxes::Answer::Yes) {
            return;
        }
        QString created = path;
        if (!CreatePath(created)) {
            box.show(this, MessageBoxes::Icon::Exclamation, MessageBoxes::Buttons::Ok,
                     u"Der Pfad "_s + path + u" konnte nicht erstellt werden !   "_s, m_state.AppTitle);
            return;
        }
    }
    m_state.SavePath = path;
    emit pathChosen();
    close();
}

void Browser::Command2_Click() {
    close();
}

void Browser::Form_Unload() {
    emit left();
}

void Browser::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

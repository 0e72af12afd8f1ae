// Form5: the copy panel, which copies a collection file or a single text file into another
// directory.
#include "app/appstate.h"
#include "app/places.h"
#include "platform/logging.h"
#include "storage/collectionstore.h"
#include "storage/textfiles.h"
#include "ui/lists/dirlistbox.h"
#include "ui/lists/drivelistbox.h"
#include "ui/lists/filelistbox.h"
#include "ui/main/widgets.h"
#include "ui/manager/form5.h"

#include <QLabel>
#include <QListWidget>

using namespace Qt::StringLiterals;

void Form5::openCopyPanel(const QListWidget* list, const QString& nothingChosen, CopyMode mode) {
    if (selection(list).isEmpty()) {
        say(MessageBoxes::Icon::Information, nothingChosen);
        return;
    }
    m_copyMode = mode;
    // The hidden label still says it, as it always did; the mode itself is the member.
    Bezeichnung3->setText(mode == CopyMode::Collection ? u"0"_s : u"1"_s);
    Frame3D5->show();
    Frame3D5->raise();
}

void Form5::Befehl6_Click() {
    openCopyPanel(Liste2, u"Kein Text markiert !   "_s, CopyMode::SingleText);
}

void Form5::Command1_Click() {
    openCopyPanel(Liste1, u"Keine Text-Sammeldatei markiert !   "_s, CopyMode::Collection);
}

void Form5::Command3D4_Click() {
    const bool collection = m_copyMode == CopyMode::Collection;
    const QString name = selection(collection ? Liste1 : Liste2);
    if (name.isEmpty()) {
        // The entry went away while the panel was open: nothing to copy.
        say(MessageBoxes::Icon::Information,
            collection ? u"Keine Text-Sammeldatei markiert !   "_s : u"Kein Text markiert !   "_s);
        return;
    }
    const QString dir = Verzeichnis1->path();
    switch (copyFileTo(m_state.SavePath + name, dir, name)) {
    case CopyResult::Exists:
        say(MessageBoxes::Icon::Exclamation, u"Die Datei ist bereits vorhanden !   "_s);
        break;
    case CopyResult::Failed:
        say(MessageBoxes::Icon::Exclamation,
            u"Die Datei konnte nicht nach "_s + dir + u" kopiert werden !   "_s);
        break;
    case CopyResult::Copied:
        say(MessageBoxes::Icon::Information, u"Die Datei wurde nach "_s + dir + u" kopiert !   "_s);
        m_copyPath = dir;
        break;
    }
    Frame3D5->hide();
    Datei3->refresh();
}

void Form5::Command3D5_Click() {
    Frame3D5->hide();
}

void Form5::Laufwerk1_Change() {
    const QString drive = Laufwerk1->drive();
    if (!isListable(drive)) {
        // A drive that cannot be read: the lists stay where they were.
        Laufwerk1->showDriveOf(Verzeichnis1->path());
        return;
    }
    // Its current directory, or the nearest place above it that can still be read.
    Verzeichnis1->setPath(Laufwerk1->currentDirOf(drive));
}

void Form5::Verzeichnis1_Change() {
    Datei3->setPath(Verzeichnis1->path());
    Laufwerk1->showDriveOf(Verzeichnis1->path());
}

void Form5::Verzeichnis1_Click() {
    // Highlighting is no opening: the files shown stay those of the opened directory.
    Datei3->setPath(Verzeichnis1->path());
}

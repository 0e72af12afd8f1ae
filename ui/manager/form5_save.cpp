// Form5: "Speichern". The text is checked against the file and written on the store's
// thread while the window is busy; questions about the file on disk are asked on the window's thread.
#include "app/appstate.h"
#include "storage/collectionstore.h"
#include "storage/textfiles.h"
#include "ui/main/widgets.h"
#include "ui/manager/form5.h"
#include "ui/manager/textbox.h"

#include <QPushButton>

using namespace Qt::StringLiterals;

void Form5::Befehl2_Click() {
    if (Text3->loading() || saving()) {
        return;
    }
    m_save = std::make_unique<Save>();
    m_save->path = m_textFile;
    // The box is read-only until the save ends, so its bytes need no copy.
    m_save->text = Text3->bytesInPlace();
    Text3->setBusy(true);
    Befehl2->setEnabled(false);
    // Nothing that shows, renames or moves a file while its text is being written.
    for (QWidget* w : {Frame3D1, Frame3D2, Frame3D7}) {
        w->setEnabled(false);
    }
    saveStep();
}

void Form5::saveStep() {
    Save& save = *m_save;
    // The check of the file on disk and the write are one job of the store: no capture can
    // append in between, so the question is about what is really there. The job gets a copy
    // of its own: the window may go while it runs.
    m_store.run(
        this,
        [path = save.path, text = QByteArray(save.text.constData(), save.text.size()), shown = m_shown,
         check = save.check] { return ::saveStep(path, text, shown, check); },
        [this](SaveStep step) {
            m_save->step = std::move(step);
            saveStepDone();
        });
}

void Form5::saveStepDone() {
    Save& save = *m_save;
    const DiskCheck& check = save.step.check;
    if (check.change == DiskChange::None) {
        if (!save.step.written) {
            say(MessageBoxes::Icon::Exclamation, u"Fehler beim Schreiben der Datei."_s);
        } else {
            m_shown = save.step.now;
        }
        saveEnded(save.step.written);
        return;
    }
    // Captures go on while the question is open: the file is checked again after the answer.
    const bool appended = check.change == DiskChange::Appended;
    const QString& path = save.path;
    const QString question =
        appended ? u"An die Datei "_s + upperName(path) +
                       u" wurden inzwischen neue Textdaten angehängt.\n\nSollen sie an den bearbeiteten "
                       u"Text angehängt und mit ihm gespeichert werden?\n(Bei \"Nein\" wird nicht "
                       u"gespeichert.)   "_s
                 : u"Die Datei "_s + upperName(path) +
                       u" enthält Text, der im Fenster nicht angezeigt wird.\n\nSoll sie trotzdem mit dem "
                       u"Text aus dem Fenster überschrieben werden?\n(Bei \"Nein\" wird nicht "
                       u"gespeichert.)   "_s;
    if (!ask(question)) {
        saveEnded(false);
        return;
    }
    if (appended) {
        const bool open = !save.text.isEmpty() && !save.text.endsWith("\r\n");
        Text3->setBusy(false); // read-only refuses the program's own change as well
        Text3->appendText((open ? u"\r\n"_s : QString()) + check.appended);
        Text3->setBusy(true);
        save.text = Text3->bytesInPlace();
    }
    m_shown = check.now;
    // A file that could not be read leaves nothing to compare with.
    save.check = m_shown.known;
    saveStep();
}

void Form5::saveEnded(bool saved) {
    m_save.reset();
    Text3->setBusy(false);
    Befehl2->setEnabled(!saved);
    for (QWidget* w : {Frame3D1, Frame3D2, Frame3D7}) {
        w->setEnabled(true);
    }
    // A failed save keeps the window, and the text in it.
    if (std::exchange(m_leaveWhenSaved, false) && saved) {
        Befehl1_Click();
    }
}

#pragma once

// A program started on a temporary collection directory, with the text data manager opened
// through "Textdaten" as the user opens it.
#include "tests/support/fixture.h"
#include "tests/support/uievents.h"
#include "ui/main/form1.h"
#include "ui/main/widgets.h"
#include "ui/manager/form5.h"
#include "ui/manager/textbox.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <tuple>

class ManagerFixture : public AppFixture {
protected:
    using Icon = MessageBoxes::Icon;
    using Answer = MessageBoxes::Answer;

    void SetUp() override {
        AppFixture::SetUp();
        QDir().mkpath(files());
    }
    void TearDown() override {
        if (m_form1) {
            delete m_form1->form5();
        }
        AppFixture::TearDown();
    }

    void put(const QString& name, const QByteArray& bytes) { writeFile(files() + name, bytes); }

    // Starts the program (unless a test did) with the main window on screen and clicks
    // "Textdaten".
    Form5& open() {
        if (!m_form1) {
            start();
        }
        m_form1->show();
        m_form1->Befehl4->click();
        EXPECT_TRUE(m_form1->form5()) << "the manager did not open";
        return *m_form1->form5();
    }

    // "<<<  Zurück", and the window's deferred destruction carried out.
    void leave() {
        m_form1->form5()->Befehl1->click();
        destroyDeferred();
    }
    // The window's deferred destruction carried out: the main window is back, alone.
    void destroyDeferred() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        settle();
        EXPECT_FALSE(m_form1->form5());
        EXPECT_TRUE(m_form1->isVisible());
    }

    // A click on a button whose work goes through the store, and that work done.
    void finish(Form5& f, void (Form5::*handler)()) {
        (f.*handler)();
        settle();
    }

    static QStringList entries(const QListWidget* list) {
        QStringList names;
        for (int i = 0; i < list->count(); ++i) {
            names.append(list->item(i)->text());
        }
        return names;
    }

    // "Speichern", "Text kopieren nach...", "Text-Sammeldatei kopieren..."
    static std::tuple<bool, bool, bool> buttons(const Form5& f) {
        return {f.Befehl2->isEnabled(), f.Befehl6->isEnabled(), f.Command1->isEnabled()};
    }

    const QList<FakeMessageBoxes::Shown>& shown() const { return m_fake->messages.shown; }
    std::pair<QString, Icon> said() const {
        const auto s = shown().value(shown().size() - 1);
        return {s.text, s.icon};
    }
    QByteArray file(const QString& name) const { return readFile(files() + name); }
    void answer(Answer a) { m_fake->messages.answers.append(a); }
};

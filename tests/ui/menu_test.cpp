// The main window's menu bar: its items, minimising, the separator-line dialog.
#include "tests/support/fixture.h"
#include "tests/support/uievents.h"
#include "ui/main/separatordialog.h"

#include <QAction>
#include <QMenuBar>

namespace {

class MenuTest : public AppFixture {
protected:
    SeparatorDialog* openSeparatorDialog() {
        m_form1->mnuTrenn->trigger();
        SeparatorDialog* dialog = m_form1->separatorDialog();
        EXPECT_TRUE(dialog && dialog->isVisible());
        return dialog;
    }
};

TEST_F(MenuTest, BarMinimisingKeepsMonitoringGoingAndTheSeparatorLineShapesTheNextPiece) {
    start();
    m_form1->show();
    QMenuBar* bar = m_form1->menuBar();
    QStringList visible;
    for (QAction* a : bar->actions()) {
        if (a->isVisible() && !a->isSeparator()) {
            visible << a->text();
        }
    }
    EXPECT_EQ(visible,
              (QStringList{u"Trennlinie definieren..."_s, u"Sammel-Verzeichnis ändern..."_s, u"\\/"_s}));
    // The desktop link takes no place; the two commands stand side by side at the left.
    EXPECT_TRUE(bar->actionGeometry(m_form1->mnuDesktopLink).isNull());
    const QRect trenn = bar->actionGeometry(m_form1->mnuTrenn);
    const QRect sammel = bar->actionGeometry(m_form1->mnuSammel);
    const QRect mini = bar->actionGeometry(m_form1->mnuMini);
    EXPECT_LT(trenn.left(), 10);
    EXPECT_LT(trenn.right(), sammel.left());
    EXPECT_LT(sammel.left() - trenn.right(), 20);
    EXPECT_GT(mini.left(), sammel.right() + 100);
    EXPECT_GE(mini.right(), bar->width() - 20);

    startMonitoring();
    m_form1->mnuMini->trigger();
    EXPECT_TRUE(m_form1->isMinimized());
    EXPECT_TRUE(m_form1->Zeit1->isActive());
    m_form1->Zeit1_Timer();
    const QString first = m_form1->windowTitle();
    copy(u"Beim Minimieren"_s);
    EXPECT_NE(m_form1->windowTitle(), first);

    // A confirmed separator line shapes the very next piece and reaches the profile.
    SeparatorDialog* dialog = openSeparatorDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(m_form1->isEnabled());
    EXPECT_TRUE(m_form1->Zeit1->isActive());

    dialog->Text1->setText(u"-----"_s);
    click(dialog->Command1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(m_form1->isEnabled());
    EXPECT_EQ(m_state.Trennzeichen, u"-----"_s);

    copy(u"Zwei"_s);
    EXPECT_EQ(readFile(files() + u"clipbrd.dat"_s),
              "Beim Minimieren\r\n" + QByteArray(49, '~') + "\r\n\r\nZwei\r\n-----\r\n\r\n");

    // Escape leaves the dialog as "Abbrechen" does.
    dialog = openSeparatorDialog();
    ASSERT_NE(dialog, nullptr);
    pressKey(dialog, Qt::Key_Escape);
    EXPECT_TRUE(m_form1->isEnabled());

    m_form1->close();
    EXPECT_TRUE(readFile(profile()).contains("\r\nTrennzeichen=-----\r\n"));
}

TEST_F(MenuTest, SeparatorDialogTakesNinetyNineColonsRefusesLineBreaksAndEmptyLinesAndCancelsInEveryWay) {
    const QString colons(99, u':');
    writeFile(profile(), "[Pelloran Snapwell]\r\nTrennzeichen=" + colons.toUtf8() + "\r\n");
    start();
    ASSERT_EQ(m_state.Trennzeichen, colons);
    SeparatorDialog* dialog = openSeparatorDialog();
    ASSERT_NE(dialog, nullptr);
    // The line goes into the dialog's own field, and back unchanged.
    EXPECT_EQ(dialog->Text1->text(), colons);
    EXPECT_TRUE(m_form1->Text1->toPlainText().isEmpty());
    click(dialog->Command1);
    EXPECT_EQ(m_state.Trennzeichen, colons);
    EXPECT_TRUE(m_form1->isEnabled());

    dialog = openSeparatorDialog();
    ASSERT_NE(dialog, nullptr);
    for (const QString& bad : {u"oben\nunten"_s, u"oben\r\n"_s, u"a\u2028b"_s, u"   "_s, QString()}) {
        SCOPED_TRACE(bad.toStdString());
        m_fake->messages.shown.clear();
        dialog->Text1->setText(bad);
        click(dialog->Command1);
        ASSERT_EQ(m_fake->messages.shown.size(), 1);
        const auto& m = m_fake->messages.shown.first();
        EXPECT_EQ(m.icon, MessageBoxes::Icon::Exclamation);
        EXPECT_EQ(m.title, u"Pelloran Snapwell"_s);
        EXPECT_EQ(m.text, bad.trimmed().isEmpty() && !hasLineBreak(bad)
                              ? u"Bitte gib eine Trennlinie ein !"_s
                              : u"Die Trennlinie darf nur aus einer einzigen Zeile bestehen !   "_s);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(m_form1->isEnabled());
        EXPECT_EQ(m_state.Trennzeichen, colons);
        EXPECT_EQ(m_state.TrennBlock, u"\r\n"_s + colons + u"\r\n"_s);
    }

    // Spaces and tabs around a line are dropped, as the profile would drop them.
    dialog->Text1->setText(u" \t\u00a0* * *  "_s);
    click(dialog->Command1);
    EXPECT_EQ(m_state.Trennzeichen, u"\u00a0* * *"_s);

    // "Abbrechen" and the window's own close leave the line and enable the main window.
    for (const bool byFrame : {false, true}) {
        dialog = openSeparatorDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->Text1->setText(u"verworfen"_s);
        byFrame ? void(dialog->close()) : click(dialog->Command2);
        EXPECT_TRUE(m_form1->isEnabled());
    }
    EXPECT_EQ(m_state.Trennzeichen, u"\u00a0* * *"_s);
    // Every way out discards the dialog.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_form1->separatorDialog(), nullptr);
}

} // namespace

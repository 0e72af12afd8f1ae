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

TEST_F(MenuTest, BarMinimisingAndTheSeparatorLineFromTheProfileThroughTheDialogToTheNextPiece) {
    const QString colons(99, u':');
    writeFile(profile(), "[Pelloran Snapwell]\r\nTrennzeichen=" + colons.toUtf8() + "\r\n");
    start();
    m_form1->show();
    ASSERT_EQ(m_state.Trennzeichen, colons);
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

    // The line goes into the dialog's own field, and back unchanged.
    SeparatorDialog* dialog = openSeparatorDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Text1->text(), colons);
    EXPECT_TRUE(m_form1->Text1->toPlainText().isEmpty());
    click(dialog->Command1);
    EXPECT_EQ(m_state.Trennzeichen, colons);
    EXPECT_TRUE(m_form1->isEnabled());

    startMonitoring();
    m_form1->mnuMini->trigger();
    EXPECT_TRUE(m_form1->isMinimized());
    EXPECT_TRUE(m_form1->Zeit1->isActive());
    m_form1->Zeit1_Timer();
    const QString first = m_form1->windowTitle();
    copy(u"Beim Minimieren"_s);
    EXPECT_NE(m_form1->windowTitle(), first);

    dialog = openSeparatorDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(m_form1->isEnabled());
    EXPECT_TRUE(m_form1->Zeit1->isActive());
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

    // Spaces and tabs around a line are dropped, as the profile would drop them; the confirmed
    // line shapes the very next piece and reaches the profile.
    dialog->Text1->setText(u" \t\u00a0* * *  "_s);
    click(dialog->Command1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(m_form1->isEnabled());
    const QString line = u"\u00a0* * *"_s;
    EXPECT_EQ(m_state.Trennzeichen, line);
    copy(u"Zwei"_s);
    EXPECT_EQ(readFile(files() + u"clipbrd.dat"_s),
              "Beim Minimieren\r\n" + colons.toUtf8() + "\r\n\r\nZwei\r\n" + line.toUtf8() + "\r\n\r\n");

    // "Abbrechen", Escape and the window's own close leave the line and enable the main window.
    for (int way = 0; way < 3; ++way) {
        dialog = openSeparatorDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->Text1->setText(u"verworfen"_s);
        way == 0   ? click(dialog->Command2)
        : way == 1 ? pressKey(dialog, Qt::Key_Escape)
                   : void(dialog->close());
        EXPECT_TRUE(m_form1->isEnabled()) << way;
    }
    EXPECT_EQ(m_state.Trennzeichen, line);
    // Every way out discards the dialog.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_form1->separatorDialog(), nullptr);

    m_form1->close();
    EXPECT_TRUE(readFile(profile()).contains("\r\nTrennzeichen=" + line.toUtf8() + "\r\n"));
}

} // namespace

#include "ui/main/form1.h"

#include "app/appmodul.h"
#include "app/appstate.h"
#include "app/commands.h"
#include "capture/capturecycle.h"
#include "platform/logging.h"
#include "platform/messageboxes.h"
#include "platform/platform.h"
#include "platform/windowcaption.h"
#include "ui/chooser/browser.h"
#include "ui/main/quickblink.h"
#include "ui/main/separatordialog.h"
#include "ui/main/widgets.h"
#include "ui/manager/form5.h"
#include "ui/uistyle.h"
#include "ui/windowhelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

// A menu bar that draws separators, so that the items after one sit at the right end of the
// bar: that is how the minimise item is right-aligned.
class RightAlignStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == QStyle::SH_DrawMenuBarSeparator) {
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

} // namespace

QColor colorFromBgr(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

Form1::Form1(AppState& state, Platform& platform, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_platform(platform) {
    setObjectName(u"Form1"_s);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(QIcon(u":/snapwell.png"_s));
    setFont(sansFont(8.25, true));
    buildMenu();
    buildControls();
    m_cycle = std::make_unique<CaptureCycle>(m_state, m_platform, *this);
    connect(&m_cycle->store(), &CollectionStore::filesChanged, this, &Form1::showCounters);
}

Form1::~Form1() {
    delete m_form5.data();
    delete m_browser.data();
    delete m_separator.data();
}

void Form1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(u"MenuBar"_s);
    // A widget does not own its style; the application does, so that no bar outlives it.
    static QPointer<QStyle> style;
    if (!style) {
        style = new RightAlignStyle;
        style->setParent(QCoreApplication::instance());
    }
    bar->setStyle(style);
    bar->setFont(sansFont(8.25, false));
    mnuTrenn = bar->addAction(u"Trennlinie definieren..."_s);
    mnuSammel = bar->addAction(u"Sammel-Verzeichnis ändern..."_s);
    mnuDesktopLink = bar->addAction(u"Desktop-Verknüpfung"_s);
    mnuMini = bar->addAction(u"\\/"_s);
    mnuTrenn->setObjectName(u"mnuTrenn"_s);
    mnuSammel->setObjectName(u"mnuSammel"_s);
    mnuDesktopLink->setObjectName(u"mnuDesktopLink"_s);
    mnuMini->setObjectName(u"mnuMini"_s);
    mnuDesktopLink->setVisible(false);
    connect(mnuTrenn, &QAction::triggered, this, &Form1::mnuTrenn_Click);
    connect(mnuSammel, &QAction::triggered, this, &Form1::mnuSammel_Click);
    connect(mnuMini, &QAction::triggered, this, &Form1::mnuMini_Click);
}

void Form1::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(u"Client"_s);
    client->setFixedSize(tw(8445), tw(5280));
    client->setAutoFillBackground(true);
    setBaseColor(client, kGrey);
    setCentralWidget(client);

    const QColor face = palette().color(QPalette::Button);
    const QFont normal = sansFont(8.25, false);

    Frame3D3 = control<Panel>(client, u"Frame3D3", 150, 90, 2445, 735, face);
    Option3D1 = control<QRadioButton>(Frame3D3, u"Option3D1", 225, 75, 2055, 255, u"Textdaten sammeln"_s);
    Option3D2 =
        control<QRadioButton>(Frame3D3, u"Option3D2", 225, 375, 2055, 255, u"Einzel-Texte speichern"_s);
    Option3D1->setChecked(true);

    Frame3D4 = control<Panel>(client, u"Frame3D4", 150, 840, 2445, 1125, face);
    Check1 = control<QCheckBox>(Frame3D4, u"Check1", 240, 120, 1965, 225, u"Trennlinie"_s);
    Check1->setChecked(true);
    Option3D8 = control<QCheckBox>(Frame3D4, u"Option3D8", 240, 435, 1965, 225, u"Akustische Signale"_s);
    Option3D8->setChecked(true);
    Option3D3 = control<QCheckBox>(Frame3D4, u"Option3D3", 240, 750, 1965, 225, u"Nach Start minimieren"_s);
    for (QWidget* w : std::initializer_list<QWidget*>{Option3D1, Option3D2, Check1, Option3D8, Option3D3}) {
        w->setFont(normal);
        setOptionLook(w);
    }

    Frame3D5 = control<Panel>(client, u"Frame3D5", 150, 1980, 2445, 885, face);
    Command2 = control<QPushButton>(Frame3D5, u"Command2", 120, 120, 2145, 600, u"Desktop-Screenshot"_s);
    Command2->setEnabled(false);

    Frame3D6 = control<Panel>(client, u"Frame3D6", 150, 2880, 2445, 1215, face);
    Bezeichnung1 = control<QLabel>(Frame3D6, u"Bezeichnung1", 120, 120, 1545, 240, u"Gespeicherte Texte"_s);
    Text2 = control<QLineEdit>(Frame3D6, u"Text2", 1680, 75, 570, 285, u"0"_s);
    Bezeichnung3 = control<QLabel>(Frame3D6, u"Bezeichnung3", 120, 465, 1545, 240, u"Gespeicherte Bilder"_s);
    Text4 = control<QLineEdit>(Frame3D6, u"Text4", 1680, 420, 570, 285, u"0"_s);
    for (QLineEdit* e : {Text2, Text4}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        setTextColor(e, kMaroon);
        setBaseColor(e, face);
    }
    for (QLabel* l : {Bezeichnung1, Bezeichnung3}) {
        setTextColor(l, kNavy);
        l->setFont(normal);
    }
    Label11 = control<QLabel>(Frame3D6, u"Label11", 120, 810, 2160, 255);
    Label11->setAlignment(Qt::AlignCenter);
    Label11->setFont(normal);
    Label11->setAutoFillBackground(true);
    setBaseColor(Label11, Qt::black);
    setTextColor(Label11, QColor(0x00, 0xFF, 0x00));

    Frame3D7 = control<Panel>(client, u"Frame3D7", 150, 4140, 2445, 675, colorFromBgr(192));
    Befehl1 = control<IndicatorButton>(Frame3D7, u"Befehl1", 120, 90, 2130, 435, u"S T A R T"_s);
    Befehl1->setFont(sansFont(13.5, true));
    m_quickBlink = new QuickBlink(Frame3D7, static_cast<IndicatorButton*>(Befehl1));

    Frame3D9 = control<Panel>(client, u"Frame3D9", 2745, 90, 5550, 4005, face);
    Frame3D9->setPicture(QPixmap(u":/background.png"_s));
    Bezeichnung8 = control<QLabel>(Frame3D9, u"Bezeichnung8", 1200, 2820, 2925, 255,
                                   u"Snapwell " SNAPWELL_VERSION_SHORT u"  \u00b7  \u00a9 2026 Pelloran"_s);
    Bezeichnung8->setAlignment(Qt::AlignCenter);
    Bezeichnung8->setFont(sansFont(9.75, true));
    setTextColor(Bezeichnung8, kMaroon);
    Label2 = control<QLabel>(Frame3D9, u"Label2", 1200, 3240, 855, 255, u"E-Mail:"_s);
    Label1 = control<QLabel>(Frame3D9, u"Label1", 1200, 3480, 855, 255, u"Internet:"_s);
    for (QLabel* l : {Label1, Label2}) {
        l->setFont(normal);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setTextColor(l, Qt::black);
    }
    Bezeichnung5 = control<QLabel>(Frame3D9, u"Bezeichnung5", 2160, 3240, 1695, 255, u"post@pelloran.test"_s);
    Bezeichnung6 =
        control<QLabel>(Frame3D9, u"Bezeichnung6", 2160, 3480, 2175, 255, u"pelloran.test/snapwell"_s);
    for (QLabel* l : {Bezeichnung5, Bezeichnung6}) {
        l->setFont(normal);
        l->setCursor(Qt::PointingHandCursor);
        setTextColor(l, kNavy);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    Frame3D2 = control<Panel>(client, u"Frame3D2", 2760, 105, 5490, 3975, face);
    Frame3D2->setFrameStyle(QFrame::NoFrame);
    Text1 = control<QPlainTextEdit>(Frame3D2, u"Text1", 0, 0, 5490, 3960);
    Text1->setReadOnly(true);
    // Pieces are added at the end of what it shows: nothing to undo, nothing to keep for it.
    Text1->setUndoRedoEnabled(false);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A new line per piece moves the handle a little; the groove need not be drawn again.
    Text1->setVerticalScrollBar(new ThriftyScrollBar(Qt::Vertical));
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont verdana;
    verdana.setFamilies({u"Verdana"_s, u"DejaVu Sans"_s});
    verdana.setPointSizeF(8.25);
    verdana.setBold(false);
    Text1->setFont(verdana);
    setTextColor(Text1, Qt::black);
    setBaseColor(Text1, QColor(0xE0, 0xE0, 0xE0));
    Frame3D2->hide();

    Frame3D1 = control<Panel>(client, u"Frame3D1", 2775, 90, 5520, 3945, face);
    Frame3D1->setFrameStyle(QFrame::NoFrame);
    Anzeige1 = control<ImageBox>(Frame3D1, u"Anzeige1", 0, 15, 5475, 3945);
    Frame3D1->hide();

    Frame3D8 = control<Panel>(client, u"Frame3D8", 2760, 4140, 5535, 675, QColor(Qt::black));
    Befehl4 = control<QPushButton>(Frame3D8, u"Befehl4", 120, 90, 2550, 435, u"Textdaten"_s);
    Befehl3 = control<QPushButton>(Frame3D8, u"Befehl3", 2805, 90, 2550, 435, u"Bilddaten"_s);
    Befehl4->setFont(sansFont(9.75, true));
    Befehl3->setFont(sansFont(9.75, true));

    hinweis = control<QLabel>(client, u"hinweis", 120, 4920, 8175, 255);
    hinweis->setAlignment(Qt::AlignCenter);
    hinweis->setTextFormat(Qt::PlainText);
    setTextColor(hinweis, Qt::black);
    // Long messages (a file name in a deep path) must not widen the window.
    hinweis->setMinimumWidth(0);

    Command1 = control<QPushButton>(client, u"Command1", 6105, 6600, 495, 255);
    buildMouseRoutes(client);

    Zeit1 = new QTimer(this);
    Zeit1->setObjectName(u"Zeit1"_s);
    Zeit1->setInterval(500);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->setInterval(10);
    connect(Zeit1, &QTimer::timeout, this, &Form1::Zeit1_Timer);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    connect(Befehl1, &QPushButton::clicked, this, &Form1::Befehl1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Befehl4, &QPushButton::clicked, this, &Form1::Befehl4_Click);
    connect(Befehl3, &QPushButton::clicked, this, &Form1::Befehl3_Click);
    connect(Option3D1, &QRadioButton::clicked, this, &Form1::Option3D1_Click);
    connect(Option3D2, &QRadioButton::clicked, this, &Form1::Option3D2_Click);
    // After a click the focus goes to the sink, so that no focus mark stays behind.
    for (QAbstractButton* c :
         std::initializer_list<QAbstractButton*>{Check1, Option3D3, Option3D8, Befehl4, Befehl3}) {
        connect(c, &QAbstractButton::clicked, this, &Form1::focusSink);
    }
    setFixedSize(sizeHint());
}

void Form1::Form1_Form_Load() {
    setCollectionPath(m_state.SavePath);
    CenterForm(*this);
    RightAlignMenuItem(*this, 2, u"\\/"_s);
    showCounters();
}

void Form1::applySettings(const Settings& settings) {
    Option3D8->setChecked(settings.Signale);
    Option3D3->setChecked(settings.Minimieren);
    Check1->setChecked(settings.Trennlinie);
    (settings.TextSammeln ? Option3D1 : Option3D2)->setChecked(true);
    Check1->setEnabled(settings.TextSammeln);
}

Settings Form1::settings() const {
    return {Option3D1->isChecked(), Check1->isChecked(), Option3D8->isChecked(), Option3D3->isChecked()};
}

void Form1::Form1_Form_Unload() {
    WriteSettings(m_state, settings());
    Zeit1->stop();
    Timer1->stop();
    // The other windows go without their own close handling.
    for (QWidget* w : std::initializer_list<QWidget*>{m_form5, m_browser, m_separator}) {
        if (w) {
            w->hide();
            w->deleteLater();
        }
    }
}

void Form1::setCollectionPath(const QString& path) {
    // Pieces still waiting follow the directory, numbered from its lists.
    m_cycle->store().setDirectory(path);
}

void Form1::refreshFileLists() {
    m_cycle->store().refreshFiles();
}

void Form1::showCounters() {
    showCounts(m_cycle->store().counts());
}

bool Form1::monitoring() const {
    return m_monitoring;
}

void Form1::focusSink() {
    Command1->setFocus(Qt::OtherFocusReason);
}

void Form1::Befehl1_Click() {
    m_cycle->switched();
    m_state.CapturedText.clear();
    if (m_monitoring) {
        m_monitoring = false;
        m_platform.clipboard->setWatching(false);
        Zeit1->stop();
        Command2->setEnabled(false);
        Frame3D9->show();
        Frame3D2->hide();
        Frame3D1->hide();
        Befehl1->setText(u"S T A R T"_s);
        Option3D3->setEnabled(true);
        setCaption(m_state.AppTitle);
        setIndicatorColor(192);
    } else {
        m_monitoring = true;
        m_platform.clipboard->setWatching(true);
        setCaption(QString());
        setEmptyCaption(windowHandle());
        m_state.BlinkColor1 = 255;
        m_state.BlinkColor2 = 0;
        setIndicatorColor(m_state.BlinkColor2);
        Zeit1->start();
        Command2->setEnabled(true);
        if (Option3D3->isChecked()) {
            showMinimized();
        }
        Option3D3->setEnabled(false);
        Befehl1->setText(u"S T O P"_s);
        if (!m_platform.watchesInBackground && !std::exchange(m_toldNoBackgroundWatch, true)) {
            // The line holds the gist; the reason goes to the log.
            setHint(u"Hinweis: Kopiertes wird nur erfasst, solange dieses Fenster den Fokus hat"_s);
            qCInfo(lcUi) << "this desktop shows the clipboard only to the window with the focus (no data "
                            "control): nothing is watched in the background";
        }
    }
    focusSink();
}

void Form1::Option3D1_Click() {
    Option3D1->setChecked(true);
    Check1->setEnabled(true);
    focusSink();
}

void Form1::Option3D2_Click() {
    Option3D2->setChecked(true);
    Check1->setEnabled(false);
    focusSink();
}

void Form1::mnuMini_Click() {
    showMinimized();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!m_unloaded) {
        if (!mayClose()) {
            event->ignore();
            return;
        }
        // Termination while the question was open has done the rest already.
        if (m_unloaded) {
            event->accept();
            return;
        }
        m_unloaded = true;
        Form1_Form_Unload();
        event->accept();
        emit unloaded();
        return;
    }
    event->accept();
}

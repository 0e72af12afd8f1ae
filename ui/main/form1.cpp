#include "ui/main/form1.h"

#include "app/appmodul.h"
#include "app/appstate.h"
#include "app/commands.h"
#include "app/inifile.h"
#include "capture/capturecycle.h"
#include "platform/platform.h"
#include "ui/main/widgets.h"
#include "ui/uistyle.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
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

QString Form1::webAddress() {
    return u"https://pelloran.test/snapwell"_s;
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
}

Form1::~Form1() = default;

void Form1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(u"MenuBar"_s);
    bar->setStyle(new RightAlignStyle);
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
    auto panel = [&](const char16_t* name, QWidget* parent, int l, int t, int w, int h, const QColor& bg) {
        auto* p = new Panel(parent, bg);
        p->setObjectName(QString::fromUtf16(name));
        place(p, l, t, w, h);
        return p;
    };
    auto named = [](QWidget* w, const char16_t* name) { w->setObjectName(QString::fromUtf16(name)); };
    const QFont normal = sansFont(8.25, false);

    Frame3D3 = panel(u"Frame3D3", client, 150, 90, 2445, 735, face);
    Option3D1 = new QRadioButton(u"Textdaten sammeln"_s, Frame3D3);
    named(Option3D1, u"Option3D1");
    place(Option3D1, 225, 75, 2055, 255);
    Option3D2 = new QRadioButton(u"Einzel-Texte speichern"_s, Frame3D3);
    named(Option3D2, u"Option3D2");
    place(Option3D2, 225, 375, 2055, 255);
    Option3D1->setChecked(true);

    Frame3D4 = panel(u"Frame3D4", client, 150, 840, 2445, 1125, face);
    Check1 = new QCheckBox(u"Trennlinie"_s, Frame3D4);
    named(Check1, u"Check1");
    place(Check1, 240, 120, 1965, 225);
    Check1->setChecked(true);
    Option3D8 = new QCheckBox(u"Akustische Signale"_s, Frame3D4);
    named(Option3D8, u"Option3D8");
    place(Option3D8, 240, 435, 1965, 225);
    Option3D8->setChecked(true);
    Option3D3 = new QCheckBox(u"Nach Start minimieren"_s, Frame3D4);
    named(Option3D3, u"Option3D3");
    place(Option3D3, 240, 750, 1965, 225);
    for (QWidget* w : std::initializer_list<QWidget*>{Option3D1, Option3D2, Check1, Option3D8, Option3D3}) {
        w->setFont(normal);
        setOptionLook(w);
    }

    Frame3D5 = panel(u"Frame3D5", client, 150, 1980, 2445, 885, face);
    Command2 = new QPushButton(u"Desktop-Screenshot"_s, Frame3D5);
    named(Command2, u"Command2");
    place(Command2, 120, 120, 2145, 600);
    Command2->setEnabled(false);

    Frame3D6 = panel(u"Frame3D6", client, 150, 2880, 2445, 1215, face);
    Bezeichnung1 = new QLabel(u"Gespeicherte Texte"_s, Frame3D6);
    named(Bezeichnung1, u"Bezeichnung1");
    place(Bezeichnung1, 120, 120, 1545, 240);
    Text2 = new QLineEdit(u"0"_s, Frame3D6);
    named(Text2, u"Text2");
    place(Text2, 1680, 75, 570, 285);
    Bezeichnung3 = new QLabel(u"Gespeicherte Bilder"_s, Frame3D6);
    named(Bezeichnung3, u"Bezeichnung3");
    place(Bezeichnung3, 120, 465, 1545, 240);
    Text4 = new QLineEdit(u"0"_s, Frame3D6);
    named(Text4, u"Text4");
    place(Text4, 1680, 420, 570, 285);
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
    Label11 = new QLabel(Frame3D6);
    named(Label11, u"Label11");
    place(Label11, 120, 810, 2160, 255);
    Label11->setAlignment(Qt::AlignCenter);
    Label11->setFont(normal);
    Label11->setAutoFillBackground(true);
    setBaseColor(Label11, Qt::black);
    setTextColor(Label11, QColor(0x00, 0xFF, 0x00));

    Frame3D7 = panel(u"Frame3D7", client, 150, 4140, 2445, 675, colorFromBgr(192));
    Befehl1 = new QPushButton(u"S T A R T"_s, Frame3D7);
    named(Befehl1, u"Befehl1");
    place(Befehl1, 120, 90, 2130, 435);
    Befehl1->setFont(sansFont(13.5, true));

    Frame3D9 = panel(u"Frame3D9", client, 2745, 90, 5550, 4005, face);
    Frame3D9->setPicture(QPixmap(u":/background.png"_s));
    Bezeichnung8 = new QLabel(u"Snapwell 1.0  \u00b7  \u00a9 2026 Pelloran"_s, Frame3D9);
    named(Bezeichnung8, u"Bezeichnung8");
    place(Bezeichnung8, 1200, 2820, 2925, 255);
    Bezeichnung8->setAlignment(Qt::AlignCenter);
    Bezeichnung8->setFont(sansFont(9.75, true));
    setTextColor(Bezeichnung8, kMaroon);
    Label2 = new QLabel(u"E-Mail:"_s, Frame3D9);
    named(Label2, u"Label2");
    place(Label2, 1200, 3240, 855, 255);
    Label1 = new QLabel(u"Internet:"_s, Frame3D9);
    named(Label1, u"Label1");
    place(Label1, 1200, 3480, 855, 255);
    for (QLabel* l : {Label1, Label2}) {
        l->setFont(normal);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setTextColor(l, Qt::black);
    }
    Bezeichnung5 = new QLabel(u"post@pelloran.test"_s, Frame3D9);
    named(Bezeichnung5, u"Bezeichnung5");
    place(Bezeichnung5, 2160, 3240, 1695, 255);
    Bezeichnung6 = new QLabel(u"pelloran.test/snapwell"_s, Frame3D9);
    named(Bezeichnung6, u"Bezeichnung6");
    place(Bezeichnung6, 2160, 3480, 2175, 255);
    for (QLabel* l : {Bezeichnung5, Bezeichnung6}) {
        l->setFont(normal);
        l->setCursor(Qt::PointingHandCursor);
        setTextColor(l, kNavy);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    Frame3D2 = panel(u"Frame3D2", client, 2760, 105, 5490, 3975, face);
    Frame3D2->setFrameStyle(QFrame::NoFrame);
    Text1 = new QPlainTextEdit(Frame3D2);
    named(Text1, u"Text1");
    place(Text1, 0, 0, 5490, 3960);
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
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

    Frame3D1 = panel(u"Frame3D1", client, 2775, 90, 5520, 3945, face);
    Frame3D1->setFrameStyle(QFrame::NoFrame);
    Anzeige1 = new ImageBox(Frame3D1);
    named(Anzeige1, u"Anzeige1");
    place(Anzeige1, 0, 15, 5475, 3945);
    Frame3D1->hide();

    Frame3D8 = panel(u"Frame3D8", client, 2760, 4140, 5535, 675, Qt::black);
    Befehl4 = new QPushButton(u"Textdaten"_s, Frame3D8);
    named(Befehl4, u"Befehl4");
    place(Befehl4, 120, 90, 2550, 435);
    Befehl3 = new QPushButton(u"Bilddaten"_s, Frame3D8);
    named(Befehl3, u"Befehl3");
    place(Befehl3, 2805, 90, 2550, 435);
    Befehl4->setFont(sansFont(9.75, true));
    Befehl3->setFont(sansFont(9.75, true));

    hinweis = new QLabel(client);
    named(hinweis, u"hinweis");
    place(hinweis, 120, 4920, 8175, 255);
    hinweis->setAlignment(Qt::AlignCenter);
    hinweis->setTextFormat(Qt::PlainText);
    setTextColor(hinweis, Qt::black);
    // Long messages (a file name in a deep path) must not widen the window.
    hinweis->setMinimumWidth(0);

    Command1 = new QPushButton(client);
    named(Command1, u"Command1");
    place(Command1, 6105, 6600, 495, 255);

    struct Zone {
        QLabel** label;
        const char16_t* name;
        int l, t, w, h;
    };
    const Zone zones[] = {
        {&Label3, u"Label3", 8310, 0, 330, 1020},    {&Label4, u"Label4", 8310, 1035, 330, 1065},
        {&Label5, u"Label5", 8310, 2115, 330, 1050}, {&Label6, u"Label6", 8310, 3180, 330, 990},
        {&Label7, u"Label7", 8310, 4185, 330, 990},  {&Label8, u"Label8", 7140, 5190, 1455, 360},
        {&Label9, u"Label9", 5625, 5175, 1455, 360}, {&Label10, u"Label10", 4110, 5175, 1455, 240}};
    for (const Zone& z : zones) {
        auto* label = new QLabel(client);
        named(label, z.name);
        place(label, z.l, z.t, z.w, z.h);
        label->setAutoFillBackground(true);
        setBaseColor(label, kGrey);
        *z.label = label;
        onClick(label, [this, label] { ColourZone_Click(label); });
    }

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
    onClick(Bezeichnung5, [this] { Bezeichnung5_Click(); });
    onClick(Bezeichnung6, [this] { Bezeichnung6_Click(); });
    onClick(client, [this] { Form_Click(); });

    // Hint line: each control with a hint of its own, and the surfaces that clear it.
    const auto hint = [this](const QString& text) { return [this, text] { setHint(text); }; };
    onHover(Befehl1, [this] { Befehl1_MouseMove(); });
    onHover(Befehl3, hint(u"Gespeicherte Bilder betrachten, löschen, kopieren..."_s));
    onHover(Befehl4, hint(u"Gespeicherte Textdaten betrachten, bearbeiten, kopieren, löschen..."_s));
    onHover(Command2, [this] { Command2_MouseMove(); });
    onHover(Check1, hint(u"gesammelte Textdaten werden durch eine frei definierbare Linie getrennt"_s));
    onHover(Option3D1, hint(u"Textdaten werden in einer einzigen Datei (CLIPBRD.DAT) gesammelt"_s));
    onHover(
        Option3D2,
        hint(u"Textdaten werden in einzelnen, automatisch nummerierten Textdateien (.TXT) gespeichert"_s));
    onHover(Option3D3, hint(u"Macht nach einem Klick auf  [ S T A R T ]  Platz auf dem Desktop"_s));
    onHover(Option3D8, hint(u"Akustische Bestätigung für empfangene Daten aus der Zwischenablage"_s));
    onHover(Bezeichnung5, [this] { Bezeichnung5_MouseMove(); });
    onHover(Bezeichnung6, [this] { Bezeichnung6_MouseMove(); });
    onHover(client, [this] { Form_MouseMove(); });
    for (Panel* p : {Frame3D3, Frame3D4, Frame3D5, Frame3D6, Frame3D7, Frame3D8}) {
        onHover(p, hint(QString()));
    }
    onHover(Frame3D9, [this] { Frame3D9_MouseMove(); });

    setFixedSize(sizeHint());
}

void Form1::onHover(QWidget* widget, std::function<void()> handler) {
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    m_hover.insert(widget, std::move(handler));
}

void Form1::onClick(QWidget* widget, std::function<void()> handler) {
    widget->installEventFilter(this);
    m_click.insert(widget, std::move(handler));
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        auto* w = static_cast<QWidget*>(watched);
        const auto* me = static_cast<QMouseEvent*>(event);
        // A move passed up from a child belongs to the child: the surfaces that clear the
        // hint only do so when the mouse is over their own bare area.
        if (m_hover.contains(watched) && !w->childAt(me->position().toPoint())) {
            // A disabled control takes no mouse: the movement belongs to its container.
            QObject* target = w->isEnabled() || !w->parentWidget() ? watched : w->parentWidget();
            if (m_hover.contains(target)) {
                m_hover.value(target)();
            }
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        auto* w = static_cast<QWidget*>(watched);
        const auto* me = static_cast<QMouseEvent*>(event);
        if (m_click.contains(watched) && me->button() == Qt::LeftButton &&
            w->rect().contains(me->position().toPoint()) && !w->childAt(me->position().toPoint())) {
            m_click.value(watched)();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::Form1_Form_Load() {
    CenterForm(*this);
    RightAlignMenuItem(*this, 2, u"\\/"_s);
    showCounters();
}

void Form1::setFileListPath(const QString& path) {
    Datei1.setPath(path);
    Datei2.setPath(path);
    Datei3.setPath(path);
}

void Form1::refreshFileLists() {
    Datei1.refresh();
    Datei2.refresh();
    Datei3.refresh();
}

void Form1::showCounters() {
    const bool textData = QFileInfo(m_state.SavePath + u"clipbrd.dat"_s).isFile() ||
                          QFileInfo(m_state.SavePath + u"backup.dat"_s).isFile();
    showCounts(Datei1.listCount(), Datei3.listCount() + Datei2.listCount(), textData);
}

namespace {
// Only what changed is touched: the counters step runs on every tick of an empty clipboard.
void setIfChanged(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) {
        edit->setText(text);
    }
}
} // namespace

void Form1::showCounts(int texts, int pictures, bool textData) {
    setIfChanged(Text2, QString::number(texts));
    setIfChanged(Text4, QString::number(pictures));
    Label11->setText(textData ? u"Textdaten vorhanden"_s : u"keine Textdaten vorhanden"_s);
}

bool Form1::collectOption() const {
    return Option3D1->isChecked();
}

bool Form1::singleFileOption() const {
    return Option3D2->isChecked();
}

bool Form1::separatorOption() const {
    return Check1->isChecked();
}

bool Form1::soundOption() const {
    return Option3D8->isChecked();
}

bool Form1::monitoringActive() const {
    return Zeit1->isActive();
}

void Form1::blink(const QString& caption, quint32 bgr) {
    setWindowTitle(caption);
    setIndicatorColor(bgr);
}

void Form1::showArea(Area area) {
    Frame3D9->hide();
    Frame3D2->setVisible(area == Area::Text);
    Frame3D1->setVisible(area == Area::Picture);
}

void Form1::showText(const QString& text) {
    Text1->setPlainText(text);
}

void Form1::showPicture(const QImage& image) {
    Anzeige1->setImage(image);
}

void Form1::setWindowShown(bool shown) {
    setVisible(shown);
}

void Form1::setSnapshotTimer(bool running) {
    if (running) {
        Timer1->start();
    } else {
        Timer1->stop();
    }
}

void Form1::setHint(const QString& text) {
    hinweis->setText(text);
}

void Form1::setIndicatorColor(quint32 bgr) {
    Frame3D7->setBackground(colorFromBgr(bgr));
}

bool Form1::monitoring() const {
    return Befehl1->text() == u"S T O P"_s;
}

void Form1::focusSink() {
    Command1->setFocus(Qt::OtherFocusReason);
}

void Form1::Befehl1_Click() {
    m_state.BlinkPhase = 0;
    m_state.CapturedText.clear();
    m_cycle->clearClipboard();
    if (Befehl1->text() == u"S T O P"_s) {
        Zeit1->stop();
        Command2->setEnabled(false);
        Frame3D9->show();
        Frame3D2->hide();
        Frame3D1->hide();
        Befehl1->setText(u"S T A R T"_s);
        Option3D3->setEnabled(true);
        setWindowTitle(m_state.AppTitle);
        setIndicatorColor(192);
        m_state.ScreenshotPending = 0;
    } else if (Befehl1->text() == u"S T A R T"_s) {
        setWindowTitle(QString());
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
            setHint(u"Hinweis: Dieser Desktop erlaubt keine Überwachung im Hintergrund - Kopiertes wird nur "
                    u"sicher erfasst, solange dieses Fenster den Fokus hat"_s);
        }
    }
    focusSink();
}

void Form1::Befehl1_MouseMove() {
    if (Befehl1->text() == u"S T O P"_s) {
        setHint(u"Überwachen der Zwischenablage beenden"_s);
    } else if (Befehl1->text() == u"S T A R T"_s) {
        setHint(u"Zwischenablage überwachen (Text- und Bilddaten werden gesammelt)"_s);
    }
}

void Form1::Zeit1_Timer() {
    m_cycle->Zeit1_Timer();
}

void Form1::Command2_Click() {
    m_cycle->Command2_Click();
}

void Form1::Timer1_Timer() {
    m_cycle->Timer1_Timer();
}

void Form1::Command2_MouseMove() {
    setHint(u"Schnappschuss des gesamtem Bildschirminhaltes erstellen"_s);
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

void Form1::Bezeichnung5_Click() {
    focusSink();
}

void Form1::Bezeichnung6_Click() {
    m_platform.desktop->shellOpen(webAddress());
    focusSink();
}

void Form1::Bezeichnung5_MouseMove() {
    setTextColor(Bezeichnung5, kBrightBlue);
    setTextColor(Bezeichnung6, kNavy);
    setHint(u"eMail an Pelloran schreiben"_s);
}

void Form1::Bezeichnung6_MouseMove() {
    setTextColor(Bezeichnung6, kBrightBlue);
    setTextColor(Bezeichnung5, kNavy);
    setHint(u"PELLORAN Freeware-Downloads im Internet besuchen"_s);
}

void Form1::Frame3D9_MouseMove() {
    setTextColor(Bezeichnung5, kNavy);
    setTextColor(Bezeichnung6, kNavy);
    setHint(QString());
}

void Form1::Form_MouseMove() {
    setHint(QString());
}

void Form1::Form_Click() {
    m_state.BlinkColor1 = 255;
    m_state.BlinkColor2 = 0;
}

void Form1::ColourZone_Click(QLabel* zone) {
    struct Pair {
        QLabel* label;
        quint32 c1, c2;
    };
    const Pair pairs[] = {{Label3, 65535, 0},        {Label4, 255, 0},
                          {Label5, 16711680, 0},     {Label6, 65280, 0},
                          {Label7, 255, 65535},      {Label8, 16777215, 192},
                          {Label9, 16711680, 65535}, {Label10, 16711680, 16777215}};
    for (const Pair& p : pairs) {
        if (p.label == zone) {
            m_state.BlinkColor1 = p.c1;
            m_state.BlinkColor2 = p.c2;
        }
    }
}

void Form1::mnuMini_Click() {
    showMinimized();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!m_unloaded) {
        m_unloaded = true;
        Form1_Form_Unload(m_state, *this);
        event->accept();
        emit unloaded();
        return;
    }
    event->accept();
}

// Form1: what the mouse does over the window: the hint line, the contact labels and the
// colour zones of the activity indicator.
#include "app/appstate.h"
#include "platform/platform.h"
#include "ui/main/form1.h"
#include "ui/main/widgets.h"
#include "ui/uistyle.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

QString Form1::webAddress() {
    return u"https://pelloran.test/snapwell"_s;
}

void Form1::buildMouseRoutes(QWidget* client) {
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
        auto* label = control<QLabel>(client, z.name, z.l, z.t, z.w, z.h);
        label->setAutoFillBackground(true);
        setBaseColor(label, kGrey);
        *z.label = label;
        onClick(label, [this, label] { ColourZone_Click(label); });
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

void Form1::Befehl1_MouseMove() {
    if (m_monitoring) {
        setHint(u"Überwachen der Zwischenablage beenden"_s);
    } else {
        setHint(u"Zwischenablage überwachen (Text- und Bilddaten werden gesammelt)"_s);
    }
}

void Form1::Command2_MouseMove() {
    setHint(u"Schnappschuss des gesamtem Bildschirminhaltes erstellen"_s);
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

#include "ui/main/quickblink.h"

#include "platform/logging.h"
#include "ui/main/widgets.h"

#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QWindow>

QuickBlink::QuickBlink(Panel* panel, IndicatorButton* button)
    : QObject(panel), m_panel(panel), m_button(button) {
    panel->installEventFilter(this);
    button->installEventFilter(this);
}

bool QuickBlink::eventFilter(QObject*, QEvent* event) {
    // Everything but a paint may change a look: hover, focus, press, palette, size, text.
    if (!m_drawing && event->type() != QEvent::Paint) {
        forget();
    }
    return false;
}

void QuickBlink::forget() {
    for (Look& look : m_looks) {
        look.kept = false;
    }
}

bool QuickBlink::uncovered() const {
    // The copy goes straight into the window: nothing of the window may lie above the panel,
    // and no parent may cut it off.
    for (const QWidget* w = m_panel; !w->isWindow(); w = w->parentWidget()) {
        const QWidget* parent = w->parentWidget();
        if (!parent || !parent->rect().contains(w->geometry())) {
            return false;
        }
        bool above = false;
        for (const QObject* o : parent->children()) {
            if (o == w) {
                above = true;
                continue;
            }
            const auto* sibling = qobject_cast<const QWidget*>(o);
            if (above && sibling && !sibling->isWindow() && sibling->isVisible() &&
                sibling->geometry().intersects(w->geometry())) {
                return false;
            }
        }
    }
    return true;
}

bool QuickBlink::show(const QColor& color) {
    QWidget* top = m_panel->window();
    if (!top->isVisible() || top->isMinimized() || !m_panel->isVisible() ||
        !m_paint.available(top->windowHandle()) || !uncovered()) {
        return false;
    }
    // Every paint that comes later draws the colour shown now.
    m_panel->setFill(color, Panel::Repaint::No);
    m_button->setBackdrop(color, Panel::Repaint::No);
    int slot = -1;
    for (int i = 0; i < QuickPaint::kSlots; ++i) {
        if (m_looks[i].kept && m_looks[i].color == color) {
            slot = i;
        }
    }
    if (slot < 0) {
        slot = m_older;
        // Drawn by the toolkit once, exactly as a repaint would draw it.
        m_looks[slot].color = color;
        qCDebug(lcUi) << "blink: the look in" << color.name() << "is drawn anew";
        m_drawing = true;
        const QImage look = m_panel->grab().toImage();
        m_drawing = false;
        m_looks[slot].kept = m_paint.store(slot, look);
        // A new look is shown through the window this once: the window's own picture, from
        // which an uncovered part is drawn again, then holds one of the two looks of now.
        m_older = (slot + 1) % QuickPaint::kSlots;
        return false;
    }
    m_older = (slot + 1) % QuickPaint::kSlots;
    m_paint.show(slot, m_panel->mapTo(top, QPoint(0, 0)));
    return true;
}

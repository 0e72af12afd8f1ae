#pragma once

#include "platform/quickpaint.h"

#include <QColor>
#include <QObject>

class IndicatorButton;
class Panel;

// The indicator's blink without a repaint through the window: the panel's two looks, with
// its button, are kept on the display server and copied into the window in turn. A repaint
// through the toolkit at every blink cost several times what the whole program spends
// otherwise while it waits. Any other change to the panel or the button (the pointer over
// it, the focus, a new caption, another palette) is painted as usual, and the looks are
// made anew. The widgets always hold the colour shown, so every later paint agrees.
class QuickBlink final : public QObject {
public:
    QuickBlink(Panel* panel, IndicatorButton* button);

    // Shows the panel in this colour. False where that cannot be done this way (not X11, the
    // window hidden, the panel partly covered) or the look is new: then the caller repaints it.
    bool show(const QColor& color);
    // The looks kept are out of date.
    void forget();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool uncovered() const;

    Panel* m_panel;
    IndicatorButton* m_button;
    QuickPaint m_paint;
    struct Look {
        QColor color;
        bool kept = false;
    };
    Look m_looks[QuickPaint::kSlots];
    int m_older = 0;
    bool m_drawing = false;
};

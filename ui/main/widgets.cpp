#include "ui/main/widgets.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionSlider>
#include <QStylePainter>

Panel::Panel(const QColor& background, QWidget* parent) : QFrame(parent) {
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setBackground(background);
}

void Panel::setBackground(const QColor& color) {
    m_fill = QColor();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
}

void Panel::setFill(const QColor& color, Repaint repaint) {
    if (color != m_fill) {
        m_fill = color;
        setAutoFillBackground(false);
        // The fill covers every pixel: what lies behind need not be painted first.
        setAttribute(Qt::WA_OpaquePaintEvent, color.alpha() == 255);
        if (repaint == Repaint::Yes) {
            update();
        }
    }
}

QColor Panel::background() const {
    return m_fill.isValid() ? m_fill : palette().color(QPalette::Window);
}

void Panel::setPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
}

void Panel::paintEvent(QPaintEvent* event) {
    if (m_fill.isValid() || !m_picture.isNull()) {
        QPainter p(this);
        if (m_fill.isValid()) {
            p.fillRect(event->rect(), m_fill);
        }
        if (!m_picture.isNull()) {
            p.drawPixmap(contentsRect().topLeft(), m_picture);
        }
    }
    QFrame::paintEvent(event);
}

void IndicatorButton::setBackdrop(const QColor& color, Panel::Repaint repaint) {
    // Its picture covers every pixel, the panel's colour included: the panel need not be
    // painted behind it.
    setAttribute(Qt::WA_OpaquePaintEvent, color.alpha() == 255);
    if (color != m_backdrop) {
        m_backdrop = color;
        if (repaint == Panel::Repaint::Yes) {
            update();
        }
    }
}

void IndicatorButton::paintEvent(QPaintEvent*) {
    QStyleOptionButton option;
    initStyleOption(&option);
    // Everything the picture depends on, read cheaply: the blink asks for it twice a second.
    // Of the palette, the colours a style draws a button with in the current group.
    Look::Key key{quint32(option.state),
                  quint32(option.features),
                  option.text,
                  option.rect.size(),
                  option.icon.cacheKey(),
                  font().key(),
                  devicePixelRatioF(),
                  style(),
                  {}};
    QPalette pal = palette();
    if (m_backdrop.isValid()) {
        pal.setColor(QPalette::Window, m_backdrop);
    }
    int i = 0;
    for (const QPalette::ColorRole role :
         {QPalette::Window, QPalette::WindowText, QPalette::Button, QPalette::ButtonText, QPalette::Light,
          QPalette::Midlight, QPalette::Dark, QPalette::Mid, QPalette::Shadow, QPalette::Highlight,
          QPalette::Base, QPalette::Text}) {
        key.colors[i++] = pal.color(role).rgba();
    }
    int found = m_looks[0].key == key ? 0 : m_looks[1].key == key ? 1 : -1;
    if (found < 0) {
        // The look used longer ago makes room.
        found = m_older;
        Look* look = &m_looks[found];
        look->key = key;
        look->picture = QPixmap(size() * devicePixelRatioF());
        look->picture.setDevicePixelRatio(devicePixelRatioF());
        // The plain panel behind the button, for the pixels the style blends with it.
        look->picture.fill(pal.color(QPalette::Window));
        QStylePainter p(&look->picture, this);
        // What a painter on the button itself starts with.
        p.setFont(font());
        p.setPen(pal.color(foregroundRole()));
        p.setBackground(pal.brush(backgroundRole()));
        p.setLayoutDirection(layoutDirection());
        p.drawControl(QStyle::CE_PushButton, option);
    }
    m_older = 1 - found;
    QPainter(this).drawPixmap(0, 0, m_looks[found].picture);
}

ThriftyScrollBar::Look ThriftyScrollBar::look() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    Look look;
    look.state = option.state;
    look.active = option.activeSubControls;
    look.palette = option.palette.cacheKey();
    look.rect = option.rect;
    look.atMinimum = option.sliderValue == option.minimum;
    look.atMaximum = option.sliderValue == option.maximum;
    look.empty = option.minimum == option.maximum;
    look.handle = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    look.valid = true;
    return look;
}

void ThriftyScrollBar::sliderChange(SliderChange change) {
    const Look now = look();
    const Look& was = m_shown;
    const bool onlyHandle = was.valid && was.state == now.state && was.active == now.active &&
                            was.palette == now.palette && was.rect == now.rect &&
                            was.atMinimum == now.atMinimum && was.atMaximum == now.atMaximum &&
                            was.empty == now.empty && isVisible();
    if (!onlyHandle) {
        QScrollBar::sliderChange(change);
    } else if (was.handle != now.handle) {
        // The style's handle may reach a pixel beyond its rectangle (rim and shadow).
        update(was.handle.united(now.handle).adjusted(-2, -2, 2, 2));
    }
    m_shown = now;
}

void ThriftyScrollBar::paintEvent(QPaintEvent* event) {
    m_shown = look();
    QScrollBar::paintEvent(event);
}

void ImageBox::setImage(const QImage& image) {
    m_image = image;
    update();
}

void ImageBox::paintEvent(QPaintEvent*) {
    if (m_image.isNull()) {
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), m_image);
}

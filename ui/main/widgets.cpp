#include "ui/main/widgets.h"

#include <QDataStream>
#include <QIODevice>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

Panel::Panel(const QColor& background, QWidget* parent) : QFrame(parent) {
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setBackground(background);
}

void Panel::setBackground(const QColor& color) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
}

QColor Panel::background() const {
    return palette().color(QPalette::Window);
}

void Panel::setPicture(const QPixmap& picture) {
    m_picture = picture;
    update();
}

void Panel::paintEvent(QPaintEvent* event) {
    if (!m_picture.isNull()) {
        QPainter p(this);
        p.drawPixmap(contentsRect().topLeft(), m_picture);
    }
    QFrame::paintEvent(event);
}

void IndicatorButton::paintEvent(QPaintEvent*) {
    QStyleOptionButton option;
    initStyleOption(&option);
    // Everything the picture depends on.
    QByteArray key;
    {
        QDataStream out(&key, QIODevice::WriteOnly);
        out << quint32(option.state) << quint32(option.features) << option.text << option.rect
            << option.icon.cacheKey() << option.iconSize << font().key() << devicePixelRatioF() << palette()
            << style()->name();
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
        look->picture.fill(palette().color(QPalette::Window));
        QStylePainter p(&look->picture, this);
        // What a painter on the button itself starts with.
        p.setFont(font());
        p.setPen(palette().color(foregroundRole()));
        p.setBackground(palette().brush(backgroundRole()));
        p.setLayoutDirection(layoutDirection());
        p.drawControl(QStyle::CE_PushButton, option);
    }
    m_older = 1 - found;
    QPainter(this).drawPixmap(0, 0, m_looks[found].picture);
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

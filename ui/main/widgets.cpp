#include "ui/main/widgets.h"

#include <QPainter>

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

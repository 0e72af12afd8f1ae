#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

// A plain rectangular container without caption, with a background colour and optionally
// a background picture.
class Panel final : public QFrame {
    Q_OBJECT
public:
    explicit Panel(const QColor& background, QWidget* parent = nullptr);
    void setBackground(const QColor& color);
    QColor background() const;
    void setPicture(const QPixmap& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

// A push button on a plain panel whose colour blinks: the style draws a button's rim in a
// shade of the colour behind it, so the button is repainted at each blink, and the style's
// own cache of button pictures never finds the new palette again. This button keeps the
// pictures of its last two looks.
class IndicatorButton final : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Look {
        QByteArray key;
        QPixmap picture;
    };
    Look m_looks[2];
    int m_older = 0;
};

// An image box that stretches its picture to its own size.
class ImageBox final : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

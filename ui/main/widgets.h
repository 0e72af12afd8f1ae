#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>
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

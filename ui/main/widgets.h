#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>

#include <algorithm>

// A plain rectangular container without caption, with a background colour and optionally
// a background picture.
class Panel final : public QFrame {
    Q_OBJECT
public:
    explicit Panel(const QColor& background, QWidget* parent = nullptr);
    void setBackground(const QColor& color);
    // Whether a new colour is painted at once, or only taken for the paints to come (the
    // caller shows it on the screen itself).
    enum class Repaint { Yes, No };
    // The same look without a change of palette, which would travel to every child: cheap
    // enough for a blink. Children that blend with the colour are told by the caller.
    void setFill(const QColor& color, Repaint repaint = Repaint::Yes);
    QColor background() const;
    void setPicture(const QPixmap& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    QColor m_fill;
};

// A push button on a plain panel whose colour blinks: the style draws a button's rim in a
// shade of the colour behind it, so the button is repainted at each blink, and the style's
// own cache of button pictures never finds the new palette again. This button keeps the
// pictures of its last two looks.
class IndicatorButton final : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
    // The colour of the panel behind it, where the panel does not hand it down its palette.
    void setBackdrop(const QColor& color, Panel::Repaint repaint = Panel::Repaint::Yes);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Look {
        struct Key {
            quint32 state = 0, features = 0;
            QString text;
            QSize size;
            qint64 icon = 0;
            QString font;
            qreal ratio = 0;
            const QStyle* style = nullptr;
            QRgb colors[12] = {};
            bool operator==(const Key& o) const {
                return state == o.state && features == o.features && size == o.size && icon == o.icon &&
                       ratio == o.ratio && style == o.style && std::equal(colors, colors + 12, o.colors) &&
                       text == o.text && font == o.font;
            }
        };
        Key key;
        QPixmap picture;
    };
    Look m_looks[2];
    int m_older = 0;
    QColor m_backdrop;
};

// A scroll bar that repaints only the part that changed when its range or position moves
// the handle: a text box that grows by a line per piece moves the handle by a pixel or two,
// and the style draws the whole groove anew at great cost. Every pixel outside the old and
// the new handle stays as it was, so the picture is the same as after a full repaint.
class ThriftyScrollBar final : public QScrollBar {
    Q_OBJECT
public:
    using QScrollBar::QScrollBar;

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Look {
        // What the style draws outside the handle depends on.
        QStyle::State state;
        QStyle::SubControls active;
        qint64 palette = 0;
        QRect rect;
        bool atMinimum = false, atMaximum = false, empty = false;
        QRect handle;
        bool valid = false;
    };
    Look look() const;
    Look m_shown;
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

#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <utility>

class QWidget;

// Look shared by the windows: the dialog font, twips placement and the classic colours.

inline const QColor kGrey(0xC0, 0xC0, 0xC0);
inline const QColor kNavy(0x00, 0x00, 0x80);
inline const QColor kMaroon(0x80, 0x00, 0x00);
inline const QColor kBrightBlue(0x00, 0x00, 0xFF);

// 15 twips make one pixel at 96 dpi.
constexpr int tw(int twips) {
    return twips / 15;
}

// A close relative of the classic dialog font, with fallbacks found on every desktop.
QFont sansFont(qreal points, bool bold);
// Geometry given in twips, relative to the parent.
void place(QWidget* w, int left, int top, int width, int height);
void setTextColor(QWidget* w, const QColor& color);
// A filled background of the widget's own.
void setWindowColor(QWidget* w, const QColor& color);
// Background of a box and of the widget itself.
void setBaseColor(QWidget* w, const QColor& color);
// Option buttons and check boxes: navy caption, a white box with a dark border; disabled,
// caption and tick grey on a grey box, as a disabled push button greys.
void setOptionLook(QWidget* w);
// Text colour, and the background of an input box or list.
void setColors(QWidget* w, const QColor& text, const QColor& base);

// Creates a control with its objectName at a twips position: new T(args..., parent).
template <typename T, typename... Args>
T* control(QWidget* parent, const char16_t* name, int left, int top, int width, int height, Args&&... args) {
    T* w = new T(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromUtf16(name));
    place(w, left, top, width, height);
    return w;
}

#include "ui/uistyle.h"

#include <QPalette>
#include <QWidget>

using namespace Qt::StringLiterals;

QFont sansFont(qreal points, bool bold) {
    QFont f;
    f.setFamilies({u"Liberation Sans"_s, u"Arial"_s, u"DejaVu Sans"_s});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(tw(left), tw(top), tw(width), tw(height));
}

void setTextColor(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::ButtonText, color);
    pal.setColor(QPalette::Text, color);
    w->setPalette(pal);
}

void setWindowColor(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setBaseColor(QWidget* w, const QColor& color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
}

void setColors(QWidget* w, const QColor& text, const QColor& base) {
    setTextColor(w, text);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, base);
    w->setPalette(pal);
}

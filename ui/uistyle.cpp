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

void setOptionLook(QWidget* w) {
    QPalette pal = w->palette();
    const QColor grey = pal.color(QPalette::Disabled, QPalette::ButtonText);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::WindowText, kNavy);
        pal.setColor(group, QPalette::Text, kNavy); // the tick
        pal.setColor(group, QPalette::Base, Qt::white);
        // The box's border is drawn a shade darker than this window colour.
        pal.setColor(group, QPalette::Window, QColor(0x80, 0x80, 0x80));
    }
    pal.setColor(QPalette::Disabled, QPalette::WindowText, grey);
    pal.setColor(QPalette::Disabled, QPalette::Text, grey);
    pal.setColor(QPalette::Disabled, QPalette::Base, kGrey);
    pal.setColor(QPalette::Disabled, QPalette::Window, kGrey);
    w->setPalette(pal);
}

#pragma once

// Mouse and keyboard input delivered to widgets the way the window system would, through
// the application's event dispatch (so event filters see it too).

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <ostream>

inline void sendMouse(QWidget* w, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent ev(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

inline void clickOn(QWidget* w, QPoint at = {2, 2}) {
    sendMouse(w, QEvent::MouseButtonPress, at);
    sendMouse(w, QEvent::MouseButtonRelease, at);
}

inline void click(QWidget* w) {
    clickOn(w, w->rect().center());
}

inline void doubleClickOn(QWidget* w, QPoint at) {
    clickOn(w, at);
    sendMouse(w, QEvent::MouseButtonDblClick, at);
    sendMouse(w, QEvent::MouseButtonRelease, at);
}

// The pointer moves over a shown window, which hands the movement to what lies there.
inline void moveOver(QWidget* w, QPoint at = {2, 2}) {
    QCursor::setPos(w->mapToGlobal(at));
    QCoreApplication::processEvents();
}

inline void pressKey(QWidget* w, int key, const QString& text = {}, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

// Types text key by key (CR as the Return key); a key whose press was swallowed never
// reaches the widget.
inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        pressKey(w, c == u'\r' ? int(Qt::Key_Return) : int(c.toUpper().unicode()), QString(c));
    }
}

// Readable values in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

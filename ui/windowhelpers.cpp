#include "ui/windowhelpers.h"

#include <QAction>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>

void CenterForm(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect avail = screen->geometry();
    const QRect frame = window.frameGeometry();
    const int screenH = qRound(avail.height() * 0.85);
    int top = screenH / 2 - frame.height() / 2;
    int left = avail.width() / 2 - frame.width() / 2;
    top = qMax(top, 0);
    left = qMax(left, 0);
    window.move(avail.left() + left, avail.top() + top);
}

void RightAlignMenuItem(QMainWindow& window, int position, const QString& caption) {
    QMenuBar* bar = window.menuBar();
    int visible = 0;
    for (QAction* action : bar->actions()) {
        if (!action->isVisible() || action->isSeparator()) {
            continue;
        }
        if (visible++ == position) {
            // The bar's style draws separators, which puts this item and the ones after it
            // at the right end.
            bar->insertSeparator(action);
            action->setText(caption);
            return;
        }
    }
}

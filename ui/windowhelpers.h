#pragma once

#include <QString>

class QMainWindow;
class QWidget;

// Window helpers shared by every window.

// Centres the window horizontally on its screen and a little above the middle vertically.
void CenterForm(QWidget& window);

// Moves the item at the given position among the visible items of the window's menu bar,
// and every item after it, to the right end of the bar, with the given caption.
void RightAlignMenuItem(QMainWindow& window, int position, const QString& caption);

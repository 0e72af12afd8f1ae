#pragma once

class QWindow;

// Gives a window an empty caption. Qt puts the program's name into a caption left empty on
// X11; this writes the empty one over it there, and does nothing elsewhere.
void setEmptyCaption(QWindow* window);

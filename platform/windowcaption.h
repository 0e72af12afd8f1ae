#pragma once

#include <cstdint>

class QWindow;

// Gives a window an empty caption. Qt puts the program's name into a caption left empty on
// X11; this writes the empty one over it there, and does nothing elsewhere.
void setEmptyCaption(QWindow* window);

// While it lives, the program is not told of changes to its own window's properties (X11;
// nothing elsewhere). A caption that blinks twice a second would otherwise wake the program
// twice more at every blink to hear of it, for nothing. Other programs are told as always.
class QuietCaptionChange {
public:
    explicit QuietCaptionChange(QWindow* window);
    ~QuietCaptionChange();
    QuietCaptionChange(const QuietCaptionChange&) = delete;
    QuietCaptionChange& operator=(const QuietCaptionChange&) = delete;

private:
    void* m_connection = nullptr;
    std::uint32_t m_window = 0;
    std::uint32_t m_mask = 0;
};

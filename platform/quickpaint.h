#pragma once

#include <QPoint>

#include <cstdint>

class QImage;
class QWindow;

// Shows pictures kept on the display server in a part of a window at once, without a paint
// through the window's backing store. For a look that comes back again and again (the
// blink): a full repaint through the toolkit costs many times more than the copy.
// Only on X11, for windows of depth 24 at one device pixel per pixel; elsewhere nothing is
// available and the caller paints as usual.
class QuickPaint {
public:
    static constexpr int kSlots = 2;

    QuickPaint() = default;
    ~QuickPaint();
    QuickPaint(const QuickPaint&) = delete;
    QuickPaint& operator=(const QuickPaint&) = delete;

    // True when pictures can be kept for this window and shown in it.
    bool available(QWindow* window);
    // Keeps a picture in a slot (0 or 1), in place of the one before. False when it cannot
    // be kept: then that slot is empty.
    bool store(int slot, const QImage& picture);
    // Shows the picture of a slot with its top left corner at a point of the window.
    void show(int slot, QPoint at);
    // Forgets every picture kept.
    void clear();

private:
    void reset();

    struct Kept {
        std::uint32_t pixmap = 0;
        int width = 0, height = 0;
    };
    void* m_connection = nullptr;
    std::uint32_t m_window = 0;
    std::uint32_t m_gc = 0;
    std::uint32_t m_maxBytes = 0;
    bool m_usable = false;
    Kept m_kept[kSlots];
};

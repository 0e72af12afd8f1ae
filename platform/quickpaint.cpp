#include "platform/quickpaint.h"

#include "platform/logging.h"
#include "platform/toolkitx11.h"

#include <QImage>
#include <QSysInfo>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

QuickPaint::~QuickPaint() {
    reset();
}

void QuickPaint::reset() {
    auto* c = static_cast<xcb_connection_t*>(m_connection);
    if (c && c == toolkitX11Connection()) {
        clear();
        if (m_gc) {
            xcb_free_gc(c, m_gc);
        }
        xcb_flush(c);
    }
    m_connection = nullptr;
    m_window = 0;
    m_gc = 0;
    m_usable = false;
}

bool QuickPaint::available(QWindow* window) {
    xcb_connection_t* c = toolkitX11Connection();
    if (!window || !c || window->devicePixelRatio() != 1.0) {
        return false;
    }
    const auto id = xcb_window_t(window->winId());
    if (c == m_connection && id == m_window) {
        return m_usable;
    }
    // A new window (or the first): its depth and the server's pixel layout decide, asked once.
    reset();
    m_connection = c;
    m_window = id;
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    const int depth = geometry ? geometry->depth : 0;
    std::free(geometry);
    const xcb_setup_t* setup = xcb_get_setup(c);
    bool fourBytes = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == 24 && it.data->bits_per_pixel == 32 && it.data->scanline_pad == 32) {
            fourBytes = true;
        }
    }
    // Pictures are handed over as 32-bit pixels in this machine's byte order.
    const bool sameOrder = (setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) ==
                           (QSysInfo::ByteOrder == QSysInfo::LittleEndian);
    m_usable = depth == 24 && fourBytes && sameOrder;
    if (!m_usable) {
        qCInfo(lcUi) << "quick blink not available: depth" << depth << "32-bit pixels" << fourBytes
                     << "byte order" << sameOrder;
        return false;
    }
    // One request must carry a whole picture.
    m_maxBytes = xcb_get_maximum_request_length(c) * 4 - 64;
    m_gc = xcb_generate_id(c);
    // A copy from a picture kept on the server never needs exposures: none are asked for,
    // so none come back to wake the program.
    const std::uint32_t noExposures = 0;
    xcb_create_gc(c, m_gc, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    return true;
}

bool QuickPaint::store(int slot, const QImage& picture) {
    auto* c = static_cast<xcb_connection_t*>(m_connection);
    if (!m_usable || slot < 0 || slot >= kSlots || !c) {
        return false;
    }
    Kept& kept = m_kept[slot];
    if (kept.pixmap) {
        xcb_free_pixmap(c, kept.pixmap);
        kept = Kept{};
    }
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    const auto bytes = std::uint32_t(pixels.sizeInBytes());
    if (pixels.isNull() || pixels.width() > 0x7fff || pixels.height() > 0x7fff || bytes > m_maxBytes) {
        return false;
    }
    kept.pixmap = xcb_generate_id(c);
    kept.width = pixels.width();
    kept.height = pixels.height();
    xcb_create_pixmap(c, 24, kept.pixmap, m_window, std::uint16_t(kept.width), std::uint16_t(kept.height));
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, kept.pixmap, m_gc, std::uint16_t(kept.width),
                  std::uint16_t(kept.height), 0, 0, 0, 24, bytes, pixels.constBits());
    return true;
}

void QuickPaint::show(int slot, QPoint at) {
    auto* c = static_cast<xcb_connection_t*>(m_connection);
    if (!m_usable || slot < 0 || slot >= kSlots || !c || !m_kept[slot].pixmap) {
        return;
    }
    const Kept& kept = m_kept[slot];
    xcb_copy_area(c, kept.pixmap, m_window, m_gc, 0, 0, std::int16_t(at.x()), std::int16_t(at.y()),
                  std::uint16_t(kept.width), std::uint16_t(kept.height));
    xcb_flush(c);
}

void QuickPaint::clear() {
    auto* c = static_cast<xcb_connection_t*>(m_connection);
    for (Kept& kept : m_kept) {
        if (c && kept.pixmap) {
            xcb_free_pixmap(c, kept.pixmap);
        }
        kept = Kept{};
    }
}

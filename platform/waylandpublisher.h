#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// Puts content on the Wayland selection without having the focus, through data control, from
// the window's thread: the toolkit's own clipboard needs the focus and a fresh input event,
// which a hidden window taking a snapshot does not have.
class WaylandPublisher {
public:
    virtual ~WaylandPublisher() = default;
    // Null where no compositor or no data-control protocol is there.
    static std::unique_ptr<WaylandPublisher> open();
    // Offers the bytes under the type until another program takes the selection.
    virtual bool publish(const QString& mimeType, const QByteArray& bytes) = 0;
};

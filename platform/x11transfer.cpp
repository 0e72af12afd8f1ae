// The transfers of the X11 selection: the offered targets, conversions into a property of our
// own, and data in INCR pieces, each within its budget.
#include "platform/clipboard.h"
#include "platform/logging.h"
#include "platform/x11common.h"

#include <xcb/xfixes.h>

#include <utility>

using namespace Qt::StringLiterals;
using namespace x11selection;

std::uint32_t X11Selection::intern(const QByteArray& name) {
    return internAtom(m_connection, name.constData());
}

QString X11Selection::mimeFor(const QByteArray& target) {
    if (target == "UTF8_STRING") {
        return u"text/plain;charset=utf-8"_s;
    }
    if (target == "STRING" || target == "TEXT") {
        return u"text/plain"_s;
    }
    if (target.contains('/') || target == Clipboard::kSecretHint) {
        return QString::fromLatin1(target);
    }
    return {};
}

QList<std::pair<QString, qsizetype>> X11Selection::offered(const QList<QByteArray>& targets) {
    // A MIME type offered under its own name wins over the same type under an X11 name, but
    // for UTF-8 text: UTF8_STRING hands over the owner's own bytes, where some toolkits turn
    // the line ends of their "text/plain;charset=utf-8" into CR LF.
    const auto rank = [](const QByteArray& name, const QString& mime) {
        return name == "UTF8_STRING" ? 0 : mime == QLatin1String(name) ? 1 : 2;
    };
    QList<std::pair<QString, qsizetype>> chosen;
    QHash<QString, qsizetype> at;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const QString mime = mimeFor(targets.at(i));
        if (mime.isEmpty()) {
            continue;
        }
        const auto it = at.constFind(mime);
        if (it == at.cend()) {
            at.insert(mime, chosen.size());
            chosen.append({mime, i});
        } else if (rank(targets.at(i), mime) < rank(targets.at(chosen.at(*it).second), mime)) {
            chosen[*it].second = i;
        }
    }
    return chosen;
}

std::optional<QStringList> X11Selection::formats(Budget budget) {
    m_lookTime = m_ownerTime;
    m_targets.clear();
    const Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, m_atoms->clipboard), nullptr));
    if (!owner || owner->owner == XCB_NONE) {
        return QStringList();
    }
    const Data answer = convert(m_atoms->targets, 1 << 20, budget);
    if (answer.status == Data::Status::TimedOut || answer.status == Data::Status::Cancelled ||
        answer.status == Data::Status::Invalid) {
        return std::nullopt;
    }
    QList<xcb_atom_t> targets(answer.bytes.size() / 4);
    std::memcpy(targets.data(), answer.bytes.constData(), targets.size() * 4);
    // Names not seen before are asked for all at once: one round trip, not one per name.
    QHash<xcb_atom_t, xcb_get_atom_name_cookie_t> asked;
    for (const xcb_atom_t target : std::as_const(targets)) {
        if (!m_names.contains(target) && !asked.contains(target)) {
            asked.insert(target, xcb_get_atom_name(m_connection, target));
        }
    }
    for (auto i = asked.cbegin(); i != asked.cend(); ++i) {
        const Reply<xcb_get_atom_name_reply_t> name(
            xcb_get_atom_name_reply(m_connection, i.value(), nullptr));
        m_names.insert(i.key(), name ? QByteArray(xcb_get_atom_name_name(name.get()),
                                                  xcb_get_atom_name_name_length(name.get()))
                                     : QByteArray());
    }
    QList<QByteArray> names;
    for (const xcb_atom_t target : std::as_const(targets)) {
        names.append(m_names.value(target));
    }
    QStringList mimes;
    for (const auto& [mime, index] : offered(names)) {
        m_targets.insert(mime, targets.at(index));
        mimes.append(mime);
    }
    return mimes;
}

SelectionBackend::Data X11Selection::read(const QString& mimeType, qsizetype maxBytes, Budget budget) {
    // A content that replaced the one looked at is not mixed into its look.
    if (m_ownerTime != m_lookTime) {
        qCInfo(lcReader) << mimeType << "not read: the clipboard changed hands since its types were asked";
        m_abandoned = true;
        return {Data::Status::Cancelled, {}};
    }
    const xcb_atom_t target = m_targets.value(mimeType, 0);
    Data data = convert(target ? target : intern(mimeType.toLatin1()), maxBytes, budget);
    // Text of the type STRING is Latin-1; the other text types are read as UTF-8.
    if (data.status == Data::Status::Ok && m_replyType == XCB_ATOM_STRING) {
        data.bytes = QString::fromLatin1(data.bytes).toUtf8();
    }
    return data;
}

const QByteArray& X11Selection::nameOf(std::uint32_t atom) {
    if (!m_names.contains(atom)) {
        const Reply<xcb_get_atom_name_reply_t> name(
            xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
        m_names.insert(atom, name ? QByteArray(xcb_get_atom_name_name(name.get()),
                                               xcb_get_atom_name_name_length(name.get()))
                                  : QByteArray());
    }
    return m_names[atom];
}

bool X11Selection::fits(std::uint32_t target, std::uint32_t type, int format) {
    if (target == m_atoms->targets) {
        return format == 32 && (type == XCB_ATOM_ATOM || type == m_atoms->targets);
    }
    if (format != 8) {
        return false;
    }
    if (type == target) {
        return true;
    }
    // A text may come in any of the text types, whatever text type was asked for.
    const auto isText = [this](std::uint32_t atom) {
        return atom == m_atoms->utf8 || atom == XCB_ATOM_STRING || atom == m_atoms->text ||
               nameOf(atom).startsWith("text/plain");
    };
    return isText(target) && type != m_atoms->text && isText(type);
}

SelectionBackend::Data X11Selection::convert(std::uint32_t target, qsizetype maxBytes, Budget budget) {
    const Clock::time_point deadline = Clock::now() + budget;
    const xcb_atom_t property = m_atoms->properties[m_request++ % kProperties];
    if (property == m_drain) {
        m_drain = 0;
    }
    xcb_delete_property(m_connection, m_window, property);
    xcb_convert_selection(m_connection, m_window, m_atoms->clipboard, target, property, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
    bool changed = false;
    for (;;) {
        Data::Status why = Data::Status::TimedOut;
        const Reply<xcb_generic_event_t> event(static_cast<xcb_generic_event_t*>(
            nextEvent(changed ? std::min(deadline, m_graceEnd) : deadline, why)));
        if (!event) {
            why = changed ? Data::Status::Cancelled : why;
            qCInfo(lcReader) << (why == Data::Status::Cancelled ? "abandoned (clipboard changed or cleared):"
                                                                : "no answer within the budget:")
                             << nameOf(target);
            m_abandoned = m_abandoned || why == Data::Status::Cancelled;
            return {why, {}};
        }
        if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY) {
            changed = noteOwnerChange(event.get()) || changed;
            continue;
        }
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event.get());
        if (notify->requestor != m_window || notify->selection != m_atoms->clipboard ||
            notify->target != target) {
            continue;
        }
        if (notify->property == XCB_NONE) {
            qCInfo(lcReader) << "the owner refused" << nameOf(target);
            return {Data::Status::Refused, {}};
        }
        if (notify->property != property) {
            continue; // the late answer to an earlier request
        }
        break;
    }
    const Reply<xcb_get_property_reply_t> head(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
        nullptr));
    if (!head) {
        qCInfo(lcReader) << "the answer to" << nameOf(target) << "is gone";
        return {Data::Status::Refused, {}};
    }
    if (head->type == m_atoms->incr) {
        return readIncr(target, property, maxBytes, budget);
    }
    if (!fits(target, head->type, head->format)) {
        qCInfo(lcReader) << "answer of type" << nameOf(head->type) << "format" << head->format << "to"
                         << nameOf(target) << "not taken";
        xcb_delete_property(m_connection, m_window, property);
        xcb_flush(m_connection);
        return {Data::Status::Invalid, {}};
    }
    m_replyType = head->type;
    if (qint64(head->bytes_after) > maxBytes) {
        qCInfo(lcReader) << nameOf(target) << "of" << head->bytes_after << "bytes is above the cap";
        xcb_delete_property(m_connection, m_window, property);
        xcb_flush(m_connection);
        return {Data::Status::TooLarge, {}};
    }
    const Reply<xcb_get_property_reply_t> all(
        xcb_get_property_reply(m_connection,
                               xcb_get_property(m_connection, 1, m_window, property,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, (head->bytes_after + 3) / 4),
                               nullptr));
    if (!all) {
        qCInfo(lcReader) << "the answer to" << nameOf(target) << "is gone";
        return {Data::Status::Refused, {}};
    }
    return {Data::Status::Ok, QByteArray(static_cast<const char*>(xcb_get_property_value(all.get())),
                                         xcb_get_property_value_length(all.get()))};
}

// The owner announces a lower bound of the size, then hands the data over in pieces: each
// piece is put into the property, and deleting it asks for the next; an empty piece ends it.
// Each piece must come within the budget, and the whole transfer ends within the budget plus
// a second for every 16 MB received: a large transfer that keeps moving is not cut short, one
// that trickles is.
SelectionBackend::Data X11Selection::readIncr(std::uint32_t target, std::uint32_t property,
                                              qsizetype maxBytes, Budget budget) {
    const Clock::time_point start = Clock::now();
    constexpr qsizetype kBytesPerSecond = qsizetype(16) * 1024 * 1024;
    const Reply<xcb_get_property_reply_t> announced(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 1, m_window, property, m_atoms->incr, 0, 1), nullptr));
    xcb_flush(m_connection);
    if (announced && xcb_get_property_value_length(announced.get()) >= 4) {
        std::uint32_t size = 0;
        std::memcpy(&size, xcb_get_property_value(announced.get()), 4);
        if (qint64(size) > maxBytes) {
            qCInfo(lcReader) << nameOf(target) << "announces" << size << "bytes, above the cap";
            return {Data::Status::TooLarge, {}};
        }
    }
    QByteArray bytes;
    Clock::time_point idle = start + budget;
    bool changed = false;
    for (;;) {
        const Clock::time_point total =
            start + budget + std::chrono::milliseconds(1000 * bytes.size() / kBytesPerSecond);
        Data::Status why = Data::Status::TimedOut;
        const Clock::time_point until = std::min(idle, total);
        const Reply<xcb_generic_event_t> event(
            static_cast<xcb_generic_event_t*>(nextEvent(changed ? std::min(until, m_graceEnd) : until, why)));
        if (!event) {
            why = changed ? Data::Status::Cancelled : why;
            qCInfo(lcReader) << (why == Data::Status::Cancelled ? "abandoned (clipboard changed or cleared):"
                                                                : "transfer out of time:")
                             << nameOf(target) << "after" << bytes.size() << "bytes";
            m_abandoned = m_abandoned || why == Data::Status::Cancelled;
            abandon(property);
            return {why, {}};
        }
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) {
            changed = noteOwnerChange(event.get()) || changed;
            continue;
        }
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
        if (notify->window != m_window || notify->atom != property ||
            notify->state != XCB_PROPERTY_NEW_VALUE) {
            noteOwnerChange(event.get());
            continue;
        }
        const Reply<xcb_get_property_reply_t> piece(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 1, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff),
            nullptr));
        xcb_flush(m_connection);
        const int length = piece ? xcb_get_property_value_length(piece.get()) : 0;
        if (length == 0) {
            return {Data::Status::Ok, bytes};
        }
        if (!fits(target, piece->type, piece->format)) {
            qCInfo(lcReader) << "piece of type" << nameOf(piece->type) << "format" << piece->format << "to"
                             << nameOf(target) << "not taken";
            abandon(property);
            return {Data::Status::Invalid, {}};
        }
        m_replyType = piece->type;
        if (bytes.size() + length > maxBytes) {
            qCInfo(lcReader) << nameOf(target) << "passed the cap of" << maxBytes << "bytes";
            abandon(property);
            return {Data::Status::TooLarge, {}};
        }
        bytes.append(static_cast<const char*>(xcb_get_property_value(piece.get())), length);
        idle = Clock::now() + budget;
    }
}

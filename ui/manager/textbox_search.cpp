// TextBox: finding a text, piece by piece between events, so that the window stays
// answering in a text of any size. The pieces are looked through without the screen breaks.
#include "ui/manager/textbox.h"

namespace {
// Bytes looked through per step: a few milliseconds each.
constexpr qsizetype kSearchPiece = qsizetype(2) << 20;

qsizetype utf8Length(QStringView text) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            n += 4;
            ++i;
        } else {
            n += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        }
    }
    return n;
}
} // namespace

qsizetype TextBox::boxPosition(qsizetype from, qsizetype clean, const std::vector<qsizetype>& breaks) {
    qsizetype at = from + clean;
    for (const qsizetype b : breaks) {
        if (b > at) {
            break;
        }
        ++at;
    }
    return at;
}

void TextBox::find(const QString& what, bool matchCase, bool forward) {
    m_search.reset();
    if (what.isEmpty()) {
        return;
    }
    const qsizetype length = SendScintilla(SCI_GETLENGTH);
    const qsizetype origin = SendScintilla(forward ? SCI_GETSELECTIONEND : SCI_GETSELECTIONSTART);
    m_search =
        std::make_unique<Search>(Search{what, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive, forward,
                                        origin, origin, forward ? length : 0, false, ++m_searches});
    searchStep();
}

void TextBox::searchStep() {
    if (!m_search) {
        return;
    }
    Search& s = *m_search;
    const qsizetype length = SendScintilla(SCI_GETLENGTH);
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    const auto isStart = [&](qsizetype at) {
        return at <= 0 || at >= length || (static_cast<unsigned char>(bytes[at]) & 0xC0) != 0x80;
    };
    // Pieces overlap by the longest the text can take in UTF-8, so no match falls between two.
    const qsizetype overlap = s.what.size() * 3;
    qsizetype from = s.forward ? s.next : std::max(s.limit, s.next - kSearchPiece);
    qsizetype to = s.forward ? std::min(s.limit, s.next + kSearchPiece) : s.next;
    while (!isStart(from)) {
        --from;
    }
    while (!isStart(to)) {
        ++to;
    }
    const std::vector<qsizetype> breaks = m_breaks.in(from, to);
    const QString piece = QString::fromUtf8(m_breaks.without(from, to));
    const qsizetype at = s.forward ? piece.indexOf(s.what, 0, s.cs) : piece.lastIndexOf(s.what, -1, s.cs);
    if (at >= 0) {
        const qsizetype start = utf8Length(QStringView(piece).first(at));
        const qsizetype end = start + utf8Length(QStringView(piece).sliced(at, s.what.size()));
        const Found found = s.wrapped ? Found::AfterWrap : Found::Match;
        m_search.reset();
        SendScintilla(SCI_SETSEL, ulong(boxPosition(from, start, breaks)),
                      long(boxPosition(from, end - 1, breaks) + 1));
        emit searched(found);
        return;
    }
    const bool passDone = s.forward ? to >= s.limit : from <= s.limit;
    if (passDone) {
        if (s.wrapped) {
            m_search.reset();
            emit searched(Found::None);
            return;
        }
        // Round the end: the rest of the text up to where the search began.
        s.wrapped = true;
        s.next = s.forward ? 0 : length;
        s.limit =
            s.forward ? std::min(length, s.origin + overlap) : std::max<qsizetype>(0, s.origin - overlap);
    } else {
        s.next = s.forward ? std::max(from + 1, to - overlap) : std::min(to - 1, from + overlap);
    }
    // The next piece once the events that came meanwhile are handled; a newer search has a
    // record of its own.
    QMetaObject::invokeMethod(
        this,
        [this, id = s.id] {
            if (m_search && m_search->id == id) {
                searchStep();
            }
        },
        Qt::QueuedConnection);
}

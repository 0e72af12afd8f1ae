#include "ui/manager/screenbreaks.h"

#include <Qsci/qsciscintillabase.h>

#include <utility>

namespace {
// The editor's mark for breaks on screen.
constexpr int kScreenBreak = 20;
using Sci = QsciScintillaBase;
} // namespace

ScreenBreaks::ScreenBreaks(QsciScintillaBase& editor) : m_editor(editor) {
    m_editor.SendScintilla(Sci::SCI_INDICSETSTYLE, ulong(kScreenBreak), long(Sci::INDIC_HIDDEN));
}

std::vector<qsizetype> ScreenBreaks::in(qsizetype from, qsizetype to) const {
    std::vector<qsizetype> found;
    if (!m_any) {
        return found;
    }
    unmarkInherited();
    from = std::max<qsizetype>(from, 0);
    for (qsizetype position = from; position < to;) {
        const qsizetype end =
            m_editor.SendScintilla(Sci::SCI_INDICATOREND, ulong(kScreenBreak), long(position));
        if (m_editor.SendScintilla(Sci::SCI_INDICATORVALUEAT, ulong(kScreenBreak), long(position)) != 0) {
            for (qsizetype i = position; i < std::min(end, to); ++i) {
                found.push_back(i);
            }
        }
        if (end <= position) {
            break;
        }
        position = end;
    }
    return found;
}

bool ScreenBreaks::at(qsizetype position) const {
    unmarkInherited();
    // Past the end the editor answers with the last character's mark.
    return m_any && position >= 0 && position < m_editor.SendScintilla(Sci::SCI_GETLENGTH) &&
           m_editor.SendScintilla(Sci::SCI_INDICATORVALUEAT, ulong(kScreenBreak), long(position)) != 0;
}

QByteArray ScreenBreaks::without(qsizetype from, qsizetype to) const {
    const auto* bytes =
        static_cast<const char*>(m_editor.SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));
    QByteArray out;
    out.reserve(to - from);
    qsizetype start = from;
    for (const qsizetype at : in(from, to)) {
        out.append(bytes + start, at - start);
        start = at + 1;
    }
    out.append(bytes + start, to - start);
    return out;
}

qsizetype ScreenBreaks::insert(qsizetype at, QByteArrayView bytes, qsizetype replacing) {
    const qsizetype line = m_editor.SendScintilla(Sci::SCI_LINEFROMPOSITION, ulong(at));
    ScreenBreaker breaker(0, at - qsizetype(m_editor.SendScintilla(Sci::SCI_POSITIONFROMLINE, ulong(line))));
    QByteArray broken;
    broken.reserve(bytes.size() + bytes.size() / kScreenLine + 1);
    breaker.feed(bytes, [&broken](QByteArrayView piece) {
        broken.append(piece);
        return true;
    });
    if (replacing > 0 && breaker.breaks.empty()) {
        return 0;
    }
    // With its length, so that a NUL in the text does not end it.
    m_editor.SendScintilla(Sci::SCI_SETTARGETRANGE, ulong(at), long(at + replacing));
    m_editor.SendScintilla(Sci::SCI_REPLACETARGET, ulong(broken.size()), broken.constData());
    if (!breaker.breaks.empty()) {
        mark(at, breaker.breaks);
        // A redo puts the text back without marks: this action of ours, after the insertion
        // in the same step, marks them again.
        record({at, std::move(breaker.breaks), false});
    }
    return broken.size() - replacing;
}

void ScreenBreaks::markLoaded(const std::vector<qsizetype>& at) {
    mark(0, at);
}

void ScreenBreaks::forget() {
    m_any = false;
    m_records.clear();
    m_inherited.clear();
}

void ScreenBreaks::unmarkInherited() const {
    if (m_inherited.empty()) {
        return;
    }
    m_editor.SendScintilla(Sci::SCI_SETINDICATORCURRENT, ulong(kScreenBreak));
    for (const auto& [position, length] : std::exchange(m_inherited, {})) {
        m_editor.SendScintilla(Sci::SCI_INDICATORCLEARRANGE, ulong(position), long(length));
    }
}

void ScreenBreaks::mark(qsizetype position, const std::vector<qsizetype>& offsets) {
    if (offsets.empty()) {
        return;
    }
    unmarkInherited();
    m_editor.SendScintilla(Sci::SCI_SETINDICATORCURRENT, ulong(kScreenBreak));
    for (const qsizetype offset : offsets) {
        m_editor.SendScintilla(Sci::SCI_INDICATORFILLRANGE, ulong(position + offset), long(1));
    }
    m_any = true;
}

void ScreenBreaks::record(Record r) {
    if (m_editor.SendScintilla(Sci::SCI_GETUNDOCOLLECTION) == 0) {
        return;
    }
    m_records.push_back(std::move(r));
    // Joined to the step of the change it belongs to: an insertion's note also outside a group
    // of the editor's; a deletion that takes breaks always runs in one (a selection deleted or
    // replaced, or a group of ours), since Backspace and Delete go over the breaks.
    m_editor.SendScintilla(Sci::SCI_ADDUNDOACTION, ulong(m_records.size() - 1), long(Sci::UNDO_MAY_COALESCE));
}

void ScreenBreaks::notified(int position, int type, int length, int token) {
    // The change before this one is done: what it put in has its place.
    unmarkInherited();
    if ((type & Sci::SC_MOD_BEFOREINSERT) && at(position - 1) && at(position)) {
        m_inherited.emplace_back(position, length);
        return;
    }
    if (type & Sci::SC_MOD_CONTAINER) {
        if (token < 0 || size_t(token) >= m_records.size()) {
            return;
        }
        const Record& r = m_records[size_t(token)];
        // The text is in again when the action comes: an undo runs a step backwards, so the
        // action noted before a deletion comes after the text is restored; a redo runs it
        // forwards, so the action noted after an insertion comes after the text.
        if ((r.onUndo && (type & Sci::SC_PERFORMED_UNDO)) || (!r.onUndo && (type & Sci::SC_PERFORMED_REDO))) {
            mark(r.position, r.offsets);
        }
        return;
    }
    // What an undo or redo deletes comes back through the action noted when it was first put in.
    if (!(type & Sci::SC_MOD_BEFOREDELETE) || (type & (Sci::SC_PERFORMED_UNDO | Sci::SC_PERFORMED_REDO))) {
        return;
    }
    std::vector<qsizetype> taken = in(position, position + length);
    if (taken.empty()) {
        return;
    }
    for (qsizetype& at : taken) {
        at -= position;
    }
    // Noted before the deletion, so that an undo of the step comes to it after the text.
    record({position, std::move(taken), true});
}

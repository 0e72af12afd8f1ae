#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

class QsciScintillaBase;

// Lines longer than this are broken on screen: the editor measures a line whole before it
// draws any of it, about a millisecond per thousand bytes, so a screenful of such lines stays
// within a few dozen milliseconds however long the line in the file is. The editor's own
// wrapping measures the whole line as well, at every key typed in it.
constexpr qsizetype kScreenLine = 500;
// A break goes after a blank within this many bytes before the limit, where there is one.
constexpr qsizetype kBlankReach = 100;

// Passes bytes on with a break (an LF) inserted into every line longer than kScreenLine, and
// notes where each such break lies in the text passed on. Never inside a UTF-8 sequence.
class ScreenBreaker {
public:
    ScreenBreaker(qsizetype offset, qsizetype column) : m_offset(offset), m_column(column) {}

    template <typename Sink> bool feed(QByteArrayView in, Sink&& sink) {
        const char* p = in.data();
        const qsizetype n = in.size();
        qsizetype start = 0;
        qsizetype blank = -1;
        for (qsizetype i = 0; i < n; ++i) {
            const char c = p[i];
            if (c == '\r' || c == '\n') {
                m_column = 0;
                blank = -1;
                continue;
            }
            if (m_column >= kScreenLine && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
                const qsizetype at = blank >= 0 && i - blank <= kBlankReach ? blank + 1 : i;
                if (!sink(QByteArrayView(p + start, at - start)) || !sink(QByteArrayView("\n", 1))) {
                    return false;
                }
                m_offset += at - start;
                breaks.push_back(m_offset);
                ++m_offset;
                start = at;
                m_column = i - at;
                blank = -1;
            }
            if (c == ' ' || c == '\t') {
                blank = i;
            }
            ++m_column;
        }
        m_offset += n - start;
        return start == n || sink(QByteArrayView(p + start, n - start));
    }

    std::vector<qsizetype> breaks;

private:
    qsizetype m_offset;
    qsizetype m_column;
};

// The breaks of an editor's text that are on screen only: LFs with a mark of their own, left
// out wherever the text leaves the box. The editor keeps marks out of its undo history, so
// every change of them goes into that history as an action of our own, in the same step as
// the change of text: an undo or redo to any depth brings the breaks back with their text,
// never as line ends of the text.
class ScreenBreaks {
public:
    explicit ScreenBreaks(QsciScintillaBase& editor);

    bool any() const { return m_any; }
    bool at(qsizetype position) const;
    // Breaks in [from, to), as positions of the box.
    std::vector<qsizetype> in(qsizetype from, qsizetype to) const;
    // The bytes of [from, to) without the breaks.
    QByteArray without(qsizetype from, qsizetype to) const;
    // Puts text in at a place, with its over-long lines broken; with replacing, the bytes
    // already lie there whole and are replaced only if they need a break. Returns the bytes
    // added.
    qsizetype insert(qsizetype at, QByteArrayView bytes, qsizetype replacing = 0);
    // Marks breaks of a text shown afresh, whose undo history starts empty.
    void markLoaded(const std::vector<qsizetype>& at);
    // The text is replaced whole and its undo history emptied: no break and no record is left.
    void forget();
    // For the editor's change notifications: a deletion notes the breaks it takes, an action
    // of ours brings them back.
    void notified(int position, int type, int length, int token);

private:
    void mark(qsizetype position, const std::vector<qsizetype>& offsets);
    // One change of breaks in the undo history: where, and whether an undo (breaks taken by a
    // deletion) or a redo (breaks of an insertion) brings them back.
    struct Record {
        qsizetype position;
        std::vector<qsizetype> offsets;
        bool onUndo;
    };
    void record(Record r);

    // Text put in between two breaks takes on their mark, as the editor extends a mark over
    // what goes in inside it; such stretches lose it again before the marks are next used.
    void unmarkInherited() const;
    mutable std::vector<std::pair<qsizetype, qsizetype>> m_inherited;

    QsciScintillaBase& m_editor;
    bool m_any = false;
    std::vector<Record> m_records;
};

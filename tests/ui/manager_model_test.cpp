// The manager's text box against a plain model of the bytes: random edits on a text with long
// lines (broken on screen only), checked after every step. The seed is printed with every
// failure; SNAPWELL_MODEL_SEED repeats a run, SNAPWELL_MODEL_STEPS makes it longer.
#include "tests/ui/managerfixture.h"

#include <QClipboard>
#include <QMimeData>

#include <random>

namespace {

using Sci = QsciScintillaBase;

// Equal bytes, or where they part.
::testing::AssertionResult same(const QByteArray& got, const QByteArray& want) {
    if (got == want) {
        return ::testing::AssertionSuccess();
    }
    qsizetype i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) {
        ++i;
    }
    const auto around = [i](const QByteArray& b) {
        return b.mid(std::max<qsizetype>(0, i - 20), 40).toPercentEncoding(" ");
    };
    return ::testing::AssertionFailure()
           << "sizes " << got.size() << " and " << want.size() << ", apart from byte " << i << ": got "
           << around(got).constData() << ", want " << around(want).constData();
}

class ModelTest : public ManagerFixture {
protected:
    long send(unsigned msg, unsigned long w = 0, long l = 0) { return m_box->SendScintilla(msg, w, l); }
    long length() { return send(Sci::SCI_GETLENGTH); }
    // A position of the box on a character's start, a CR LF counting as one character.
    long snapped(long p) {
        if (p >= length()) {
            return length();
        }
        return send(Sci::SCI_POSITIONBEFORE, ulong(send(Sci::SCI_POSITIONAFTER, ulong(p))));
    }
    // What the box hands out for a stretch of it, by the clipboard.
    QByteArray copied(long from, long to) {
        if (from == to) {
            return {};
        }
        send(Sci::SCI_SETSEL, ulong(from), to);
        m_box->copy();
        return QApplication::clipboard()->text().toUtf8();
    }
    // A position of the box in the text of the model.
    qsizetype clean(long p) { return copied(0, p).size(); }
    long randomPosition() {
        std::uniform_int_distribution<int> coin(0, 1);
        if (coin(m_rng)) { // at a row's end, where breaks lie
            const long rows = send(Sci::SCI_GETLINECOUNT);
            const long row = std::uniform_int_distribution<long>(0, rows - 1)(m_rng);
            return snapped(send(Sci::SCI_GETLINEENDPOSITION, ulong(row)) + coin(m_rng));
        }
        return snapped(std::uniform_int_distribution<long>(0, length())(m_rng));
    }
    // A selection from a to b (empty when equal), and its stretch of the model.
    std::pair<qsizetype, qsizetype> select(long a, long b) {
        const std::pair range(clean(std::min(a, b)), clean(std::max(a, b)));
        send(Sci::SCI_SETSEL, ulong(a), b);
        return range;
    }
    // A changing step of the model; undo and redo move through these states.
    void changed(QByteArray now) {
        // A key that changes nothing (Delete at the end) leaves the editor's history alone.
        if (now == model()) {
            return;
        }
        m_states.resize(m_at + 1);
        m_states.push_back(std::move(now));
        ++m_at;
    }
    QByteArray& model() { return m_states[m_at]; }
    // Undo and redo take back or redo some steps (the editor joins typing): the box must
    // hold one of the states passed through, never anything else. The nearest in the
    // direction of the move is taken first; an edit that replaced text by the same text is a
    // step of the editor's but none of the model's.
    ::testing::AssertionResult moved(int direction) {
        const QByteArray now = m_box->bytes();
        for (const int way : {direction, -direction}) {
            for (qsizetype i = qsizetype(m_at); i >= 0 && i < qsizetype(m_states.size()); i += way) {
                if (m_states[size_t(i)] == now) {
                    m_at = size_t(i);
                    return ::testing::AssertionSuccess();
                }
            }
        }
        const size_t next = std::min(m_states.size() - 1, size_t(qsizetype(m_at) + direction));
        return ::testing::AssertionFailure()
               << "no state passed through matches; the next one: " << same(now, m_states[next]).message();
    }

    TextBox* m_box = nullptr;
    // What the last copy or cut of the user took.
    QByteArray m_copied;
    std::mt19937_64 m_rng;
    std::vector<QByteArray> m_states;
    size_t m_at = 0;
};

// Paste turns every line end into CR LF.
QByteArray crlf(QByteArray text) {
    return text.replace("\r\n", "\n").replace('\r', '\n').replace("\n", "\r\n");
}

QByteArray longLine(std::mt19937_64& rng, int size, bool blanks) {
    static const char* const words[] = {"Wort", "Zeile", "\xc3\xa4rger", "\xe2\x82\xac", "x", "lang"};
    QByteArray out;
    while (out.size() < size) {
        out += words[std::uniform_int_distribution<int>(0, 5)(rng)];
        if (blanks) {
            out += ' ';
        }
    }
    return out;
}

TEST_F(ModelTest, EveryEditUndoRedoCopyAndFindSeesOnlyTheBytesOfThePlainText) {
    const quint64 seed = qEnvironmentVariableIsSet("SNAPWELL_MODEL_SEED")
                             ? qEnvironmentVariable("SNAPWELL_MODEL_SEED").toULongLong()
                             : std::random_device()();
    const int steps = qEnvironmentVariableIntValue("SNAPWELL_MODEL_STEPS") > 0
                          ? qEnvironmentVariableIntValue("SNAPWELL_MODEL_STEPS")
                          : 3000;
    m_rng.seed(seed);
    QByteArray text;
    for (int i = 0; i < 6; ++i) {
        text += "kurz " + QByteArray::number(i) + "\r\n" + longLine(m_rng, 900 + 700 * i, i % 2 == 0) +
                "\r\nmit\nLF\r\n\r\n";
    }
    put(u"clipbrd.dat"_s, text);
    Form5& f = open();
    m_box = f.Text3;
    m_states = {m_box->bytes()};
    ASSERT_EQ(model(), text);
    ASSERT_GT(send(Sci::SCI_GETLINECOUNT), 40) << "long lines are broken on screen";

    const auto pick = [this](int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); };
    const QString typed[] = {u"a"_s, u"Hallo Welt"_s, u"\r"_s, u" "_s, u"\u00e4\u20ac"_s};
    std::string op;
    for (int step = 0; step < steps; ++step) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed << ", step " << step);
        switch (pick(12)) {
        case 0:
        case 1: { // typing, over a selection now and then
            const long a = randomPosition();
            const auto [from, to] = select(a, pick(4) == 0 ? randomPosition() : a);
            const QString what = typed[pick(5)];
            op = "type " + what.toStdString();
            // Key by key: the editor may join the keys in its history, or not.
            qsizetype at = from;
            for (qsizetype i = 0; i < what.size(); ++i) {
                typeText(m_box, what.mid(i, 1));
                const QByteArray in = crlf(what.mid(i, 1).toUtf8());
                changed(QByteArray(model()).replace(at, i == 0 ? to - from : 0, in));
                at += in.size();
            }
            break;
        }
        case 2:
        case 3: { // Backspace or Delete at a caret, next to breaks most often: one character of
                  // the text goes, a CR LF counting as one
            const bool back = pick(2);
            const long p = randomPosition();
            const qsizetype c = select(p, p).first;
            op = back ? "backspace" : "delete";
            pressKey(m_box, back ? Qt::Key_Backspace : Qt::Key_Delete);
            const QByteArray& m = model();
            qsizetype end = c + (back ? -1 : 1) * (m.mid(back ? c - 2 : c, 2) == "\r\n" ? 2 : 1);
            while (end > 0 && end < m.size() && (static_cast<unsigned char>(m[end]) & 0xC0) == 0x80) {
                end += back ? -1 : 1;
            }
            end = std::clamp<qsizetype>(end, 0, m.size());
            changed(QByteArray(m).remove(std::min(c, end), std::abs(end - c)));
            break;
        }
        case 4:
        case 11: { // a selection copied, cut or deleted
            const long a = randomPosition();
            const long b = randomPosition();
            if (a == b) {
                break;
            }
            const auto [from, to] = select(a, b);
            const int kind = pick(3);
            op = kind == 0 ? "copy" : kind == 1 ? "cut" : "delete selection";
            pressKey(m_box,
                     kind == 2   ? Qt::Key_Delete
                     : kind == 1 ? Qt::Key_X
                                 : Qt::Key_C,
                     {}, kind == 2 ? Qt::NoModifier : Qt::ControlModifier);
            if (kind < 2) {
                m_copied = model().mid(from, to - from);
                ASSERT_TRUE(same(QApplication::clipboard()->text().toUtf8(), m_copied)) << op;
            }
            if (kind > 0) {
                changed(QByteArray(model()).remove(from, to - from));
            }
            break;
        }
        case 5: { // paste: what was copied, or a long line from elsewhere
            // The text stays small enough for thousands of steps.
            QByteArray in = model().size() < 40000 ? m_copied : QByteArray("kurz");
            if ((pick(2) && model().size() < 40000) || in.isEmpty()) {
                in = longLine(m_rng, 50 + pick(1500), pick(2)) + (pick(2) ? "\n" : "");
            }
            const long a = randomPosition();
            const auto [from, to] = select(a, pick(3) == 0 ? randomPosition() : a);
            // Set after the selection, whose positions the clipboard helped to find.
            QApplication::clipboard()->setText(QString::fromUtf8(in));
            op = "paste";
            pressKey(m_box, Qt::Key_V, {}, Qt::ControlModifier);
            changed(QByteArray(model()).replace(from, to - from, crlf(in)));
            break;
        }
        case 6:
        case 7:
        case 8: { // undo, or redo by either key, now and then several times
            const int direction = pick(3) == 0 ? 1 : -1;
            op = direction < 0 ? "undo" : "redo";
            for (int n = pick(3) == 0 ? 1 + pick(40) : 1; n > 0; --n) {
                const bool y = direction > 0 && pick(2);
                pressKey(m_box, y ? Qt::Key_Y : Qt::Key_Z, {},
                         direction < 0 || y ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
                ASSERT_TRUE(moved(direction)) << op;
            }
            break;
        }
        case 9: { // Ctrl+drag over rows: a plain selection, copied without breaks
            op = "ctrl+drag copy";
            const long a = randomPosition();
            const long b = snapped(std::min(length(), a + 600 + pick(900)));
            send(Sci::SCI_GOTOPOS, ulong(a));
            send(Sci::SCI_SCROLLCARET);
            const auto point = [this](long p) {
                return QPoint(int(send(Sci::SCI_POINTXFROMPOSITION, 0, p)),
                              int(send(Sci::SCI_POINTYFROMPOSITION, 0, p)) + 3);
            };
            QWidget* view = m_box->viewport();
            const QPoint from = point(a);
            const QPoint to = point(b);
            for (const auto& [type, at, held] : {std::tuple(QEvent::MouseButtonPress, from, Qt::LeftButton),
                                                 std::tuple(QEvent::MouseMove, to, Qt::LeftButton),
                                                 std::tuple(QEvent::MouseButtonRelease, to, Qt::NoButton)}) {
                QMouseEvent e(type, at, view->mapToGlobal(at), Qt::LeftButton, held, Qt::ControlModifier);
                QApplication::sendEvent(view, &e);
            }
            ASSERT_EQ(send(Sci::SCI_SELECTIONISRECTANGLE), 0) << op;
            const long s = send(Sci::SCI_GETSELECTIONSTART);
            const long e = send(Sci::SCI_GETSELECTIONEND);
            if (s == e) {
                break;
            }
            const qsizetype cs = clean(s);
            ASSERT_TRUE(same(copied(s, e), model().mid(cs, clean(e) - cs))) << op;
            break;
        }
        case 10: { // find a piece of the text from a caret on
            const qsizetype start = pick(int(model().size()));
            const QByteArray what = model().mid(start, 3 + pick(10));
            const long p = randomPosition();
            const qsizetype origin = select(p, p).first;
            if (what.contains('\r') || what.contains('\n') || !QUtf8StringView(what).isValidUtf8()) {
                break;
            }
            op = "find " + what.toStdString();
            m_box->find(QString::fromUtf8(what), true, true);
            while (m_box->searching()) {
                QCoreApplication::processEvents();
            }
            qsizetype expected = model().indexOf(what, origin);
            expected = expected >= 0 ? expected : model().indexOf(what);
            const long s = send(Sci::SCI_GETSELECTIONSTART);
            const long e = send(Sci::SCI_GETSELECTIONEND);
            ASSERT_EQ(clean(s), expected) << op;
            ASSERT_EQ(copied(s, e), what) << op;
            break;
        }
        }
        ASSERT_TRUE(same(m_box->bytes(), model())) << "after " << op;
    }
    // What "Speichern" writes is the model's text, closed by a line end.
    finish(f, &Form5::Befehl2_Click);
    EXPECT_TRUE(same(file(u"clipbrd.dat"_s), model().endsWith("\r\n") ? model() : model() + "\r\n"))
        << "seed " << seed;
}

} // namespace

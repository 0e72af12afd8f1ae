// Text storage of the capture cycle: the collection file and the numbered single files.
#include "app/appstate.h"
#include "capture/capturecycle.h"
#include "capture/captureview.h"
#include "capture/sound.h"
#include "platform/logging.h"

using namespace Qt::StringLiterals;

CaptureCycle::Next CaptureCycle::textBranch(bool tick) {
    const Clipboard::TextResult& clip = clipText();
    if (clip.tooLarge) {
        notice(u"Der Text in der Zwischenablage ist zu groß (über %1 MB) und wurde nicht gespeichert!"_s.arg(
            m_maxTextBytes / (1024 * 1024)));
        return Next::EndTick;
    }
    if (clip.binary) {
        // Not text, whatever it was offered as: left to the user, who may paste it where it
        // belongs. A picture offered beside it was taken by the picture branch already.
        notice(u"Binärdaten statt Text - nicht gespeichert"_s,
               u"binary data offered as %1, left on the clipboard"_s.arg(clip.type));
        return Next::Counters;
    }
    const QString& text = clip.text;
    // Only the tick shows the clipboard text: after a store the collected text stays in the
    // box until then.
    if (tick && m_text1Count != m_count) {
        showText(text, false);
        m_text1Count = m_count;
    }
    // Same data, same size: no need to compare megabytes character by character.
    const bool same =
        (text.constData() == m_lastClipText.constData() && text.size() == m_lastClipText.size()) ||
        text == m_lastClipText;
    if (same) {
        // The same text read anew (copied again): keep this copy, so that the ticks while it
        // stays compare by identity instead of character by character.
        m_lastClipText = text;
        return Next::EndTick;
    }
    const bool collect = m_view.collectOption();
    if (!collect && !m_view.singleFileOption()) {
        return Next::ClearClipboard;
    }
    // Both modes read the text once more; an unchanged clipboard gives the same text.
    const QString work = clipText().text;
    if (work.isEmpty()) {
        return Next::Counters;
    }
    // Taken: it is not taken again, whether its write succeeds at once or later.
    m_lastClipText = work;
    m_view.showArea(CaptureView::Area::Text);
    Piece piece;
    piece.kind = collect ? Piece::Kind::Collection : Piece::Kind::SingleText;
    piece.dir = m_state.SavePath;
    piece.text = work;
    if (collect) {
        piece.ending = m_view.separatorOption() ? m_state.TrennBlock : u"\r\n"_s;
    }
    piece.clipCount = m_count;
    piece.session = m_session;
    qCDebug(lcCapture) << "text taken:" << work.size() << "characters,"
                       << (collect ? "collected" : "single file");
    m_store.enqueue(std::move(piece));
    return Next::EndTick;
}

void CaptureCycle::textWritten(const Piece& piece, const WriteResult& result) {
    const bool collect = piece.kind == Piece::Kind::Collection;
    if (!result.ok) {
        // Not stored: no confirmation; the piece stays first in the queue and is tried again
        // at the next tick.
        const QString why = m_view.describe(result.error);
        m_view.setHint(collect
                           ? u"FEHLER: Text konnte nicht in CLIPBRD.DAT gespeichert werden (%1)"_s.arg(why)
                           : u"FEHLER: Text konnte nicht als Datei %1 gespeichert werden (%2)"_s.arg(
                                 result.name.toUpper(), why));
        return;
    }
    // A piece of an earlier session is on the disk, but the text box and the collected text
    // belong to the session now running.
    const bool thisSession = piece.session == m_session;
    if (collect) {
        if (thisSession) {
            collected(piece.text + piece.ending);
        }
        m_view.setHint(u"In Datei CLIPBRD.DAT wurde Text hinzugefügt!"_s + storedWhere(piece, result));
    } else {
        if (thisSession) {
            showText(piece.text, false);
            // The box shows the clipboard text as the next tick would: it need not show it again.
            m_text1Count = piece.clipCount == m_count ? m_count : ~quint64(0);
        }
        m_view.setHint(u"Text gespeichert in der Datei: "_s + result.name.toUpper() +
                       storedWhere(piece, result));
    }
    // The counters follow through the store's filesChanged().
    m_noticeCount = ~quint64(0);
    PlayCaptureSignal(m_view.soundOption(), m_sound);
}

void CaptureCycle::collected(const QString& added) {
    // The collected text keeps no more than the box can show.
    m_state.CapturedText += added;
    const bool trimmed = m_state.CapturedText.size() > kMaxShown;
    if (trimmed) {
        m_state.CapturedText.remove(0, m_state.CapturedText.size() - kMaxShown);
    }
    // Laying out the whole collected text again for every piece costs more than the rest of
    // the piece: while the box still shows the collected text, only the new piece is added.
    if (m_text1Collected == m_session && added.size() < kMaxShown) {
        m_view.appendText(shownText(added, false), kMaxShown);
    } else {
        showText(m_state.CapturedText, true);
    }
    m_text1Collected = m_session;
    m_text1Count = ~quint64(0);
}

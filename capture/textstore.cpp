// Text storage of the capture cycle: the collection file and the numbered single files.
#include "app/appstate.h"
#include "capture/capturecycle.h"
#include "capture/numbering.h"
#include "capture/safefile.h"
#include "capture/sound.h"
#include "ui/main/form1.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

CaptureCycle::Next CaptureCycle::storeCollection(const QString& work) {
    showTextPanel();
    const bool separator = m_form1.Check1->isChecked();
    const QString ending = separator ? m_state.TrennBlock : u"\r\n"_s;
    // The written line is the text, then its ending, then the line end of the write.
    const QByteArray record = (work + ending + u"\r\n"_s).toUtf8();
    QString error;
    if (!SafeFile::appendRecord(m_state.SavePath + u"clipbrd.dat"_s, record, &error)) {
        // Not stored: no confirmation, and the piece is tried again at the next tick.
        m_form1.setHint(u"FEHLER: Text konnte nicht in CLIPBRD.DAT gespeichert werden (%1)"_s.arg(error));
        return Next::EndTick;
    }
    m_state.LastClipText = work;
    m_state.CapturedText += work + ending;
    showInText1(m_state.CapturedText, true);
    m_form1.setHint(u"In Datei CLIPBRD.DAT wurde Text hinzugefügt!"_s);
    PlayCaptureSignal(m_form1);
    return Next::EndTick;
}

CaptureCycle::Next CaptureCycle::storeSingleFile(const QString& work) {
    showTextPanel();
    // Written whole under a temporary name first, so a crash never leaves half a piece.
    SafeFile::NewFile file(m_state.SavePath);
    const QByteArray bytes = (work + u"\r\n"_s).toUtf8();
    QString name;
    if (file.isOpen() && file.write(bytes)) {
        name = placeNumberedFile(m_form1.Datei1.listCount(), QString(), u".txt"_s, file);
    }
    const bool ok = !name.isEmpty();
    const QString error = file.error();
    if (!ok) {
        const QString shown = name.isEmpty() ? numberText(m_form1.Datei1.listCount()) + u".txt"_s : name;
        m_form1.setHint(
            u"FEHLER: Text konnte nicht als Datei %1 gespeichert werden (%2)"_s.arg(shown.toUpper(), error));
        m_form1.Datei1.refresh();
        return Next::EndTick;
    }
    m_state.LastClipText = work;
    showInText1(work);
    m_form1.setHint(u"Text gespeichert in der Datei: "_s + name.toUpper());
    m_form1.Datei1.refresh();
    PlayCaptureSignal(m_form1);
    return Next::EndTick;
}

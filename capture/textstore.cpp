// Text storage of the capture cycle: the collection file and the numbered single files.
#include "app/appstate.h"
#include "capture/capturecycle.h"
#include "capture/numbering.h"
#include "capture/sound.h"
#include "ui/main/form1.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

namespace {

// Appends one record and makes sure it reached the disk whole; a failed append is cut off
// again, so the earlier records stay as they were.
bool appendRecord(const QString& path, const QByteArray& record, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = file.errorString();
        return false;
    }
    const qint64 before = file.size();
    const bool ok = file.write(record) == record.size() && file.flush();
    if (!ok) {
        *error = file.errorString();
        file.resize(before);
        return false;
    }
    file.close();
    return file.error() == QFileDevice::NoError;
}

} // namespace

CaptureCycle::Next CaptureCycle::storeCollection(const QString& work) {
    showTextPanel();
    const bool separator = m_form1.Check1->isChecked();
    const QString ending = separator ? m_state.TrennBlock : u"\r\n"_s;
    // The written line is the text, then its ending, then the line end of the write.
    const QByteArray record = (work + ending + u"\r\n"_s).toUtf8();
    QString error;
    if (!appendRecord(m_state.SavePath + u"clipbrd.dat"_s, record, &error)) {
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
    QFile file;
    const QString name =
        claimNumberedFile(m_state.SavePath, m_form1.Datei1.listCount(), QString(), u".txt"_s, file);
    bool ok = !name.isEmpty();
    QString error = ok ? QString() : file.errorString();
    if (ok) {
        const QByteArray bytes = (work + u"\r\n"_s).toUtf8();
        ok = file.write(bytes) == bytes.size() && file.flush();
        if (!ok) {
            error = file.errorString();
        }
        file.close();
        ok = ok && file.error() == QFileDevice::NoError;
        if (!ok) {
            // A half-written file would pass for a stored piece.
            file.remove();
        }
    }
    if (!ok) {
        m_form1.setHint(u"FEHLER: Text konnte nicht als Datei gespeichert werden (%1)"_s.arg(error));
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

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

// Unbuffered writes can come back short; the next write then fails with its cause.
bool writeAll(QFile& file, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

// Why a file could not be written, in the words of the hint line.
QString reason(const QFileDevice& file, const QString& dir, const QString& notOpened) {
    if (!QFileInfo(dir).isDir()) {
        return u"Verzeichnis fehlt"_s;
    }
    switch (file.error()) {
    case QFileDevice::OpenError:
        return notOpened;
    case QFileDevice::ResourceError:
        return u"Datenträger voll"_s;
    default:
        return u"Schreibfehler"_s;
    }
}

// Appends one record and makes sure it reached the disk whole; a failed append is cut off
// again, so the earlier records stay as they were.
bool appendRecord(const QString& path, const QByteArray& record, QString* error) {
    QFile file(path);
    // Unbuffered, so that a failing write fails here, while what got through of it can still
    // be cut off, and not in a later flush of the buffer.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = reason(file, QFileInfo(path).path(), u"Datei kann nicht geöffnet werden"_s);
        return false;
    }
    const qint64 before = file.size();
    if (!writeAll(file, record)) {
        *error = reason(file, QFileInfo(path).path(), QString());
        if (!file.isSequential()) {
            file.resize(before);
        }
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        *error = reason(file, QFileInfo(path).path(), QString());
        return false;
    }
    return true;
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
    QString error;
    if (ok) {
        ok = writeAll(file, (work + u"\r\n"_s).toUtf8());
        if (ok) {
            file.close();
            ok = file.error() == QFileDevice::NoError;
        }
        if (!ok) {
            error = reason(file, m_state.SavePath, QString());
            // A half-written file would pass for a stored piece.
            file.remove();
        }
    } else {
        error = reason(file, m_state.SavePath, u"Datei kann nicht angelegt werden"_s);
    }
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

#include "storage/textfiles.h"

#include "storage/collectionfiles.h"
#include "storage/inifile.h"
#include "storage/plainfile.h"
#include "storage/savetextfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

QString decodeFileText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    // Line by line: a Windows-1252 file may have had UTF-8 captures appended to it since.
    text.clear();
    text.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype stop = bytes.indexOf('\n', start);
        stop = stop < 0 ? bytes.size() : stop + 1;
        text += decodeText(QByteArray::fromRawData(bytes.constData() + start, stop - start));
        start = stop;
    }
    return text;
}

QString applyLineRules(QStringView text, QStringView lineEnd, QChar loneLf) {
    const qsizetype n = text.size();
    if (n == 0) {
        return {};
    }
    const QChar* in = text.data();
    // Counted first, so that a text of many megabytes is built in one allocation.
    qsizetype ends = 0;
    qsizetype pairs = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (in[i] == u'\r') {
            ++ends;
            if (i + 1 < n && in[i + 1] == u'\n') {
                ++pairs;
                ++i;
            }
        }
    }
    const bool lastLineOpen = !(in[n - 1] == u'\r' || (n >= 2 && in[n - 2] == u'\r' && in[n - 1] == u'\n'));
    const qsizetype lines = ends + (lastLineOpen ? 1 : 0);
    QString out(n - ends - pairs + lines * lineEnd.size(), Qt::Uninitialized);
    QChar* o = out.data();
    const auto putEnd = [&] {
        for (QChar c : lineEnd) {
            *o++ = c;
        }
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = in[i];
        if (c == u'\r') {
            putEnd();
            if (i + 1 < n && in[i + 1] == u'\n') {
                ++i;
            }
        } else if (c == u'\n') {
            *o++ = loneLf;
        } else {
            *o++ = c;
        }
    }
    if (lastLineOpen) {
        putEnd();
    }
    return out;
}

DiskState DiskState::of(const QByteArray& bytes) {
    DiskState s;
    s.known = true;
    s.exists = true;
    s.size = bytes.size();
    s.hash = qHash(QByteArrayView(bytes));
    return s;
}

DiskState DiskState::absent() {
    DiskState s;
    s.known = true;
    return s;
}

ReadResult readTextFile(const QString& path, bool decode) {
    ReadResult r;
    if (!isTextFile(path)) {
        r.error = StoreError::of(StoreError::Kind::NoFile, path);
        return r;
    }
    // Never waits for a writer, should a pipe take the file's place.
    std::optional<QByteArray> bytes = SafeFile::readPlain(path, &r.error);
    if (!bytes) {
        return r;
    }
    r.disk = DiskState::of(*bytes);
    if (decode) {
        r.text = decodeFileText(*bytes);
    } else {
        r.bytes = std::move(*bytes);
    }
    r.ok = true;
    return r;
}

DiskCheck checkDisk(const QString& path, const DiskState& shown) {
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() == 0)) {
        return {};
    }
    const std::optional<QByteArray> read = SafeFile::readPlain(path);
    if (!read) {
        return {DiskChange::Replaced, {}, {}};
    }
    const QByteArray& bytes = *read;
    const DiskState now = DiskState::of(bytes);
    if (!shown.known) {
        // Nothing was shown in this window: whatever the file holds is not in the box.
        return {DiskChange::Replaced, {}, now};
    }
    // Captures only ever append: the shown bytes must still stand at the start.
    const qsizetype kept = shown.exists ? shown.size : 0;
    if (bytes.size() < kept || (kept > 0 && qHash(QByteArrayView(bytes).first(kept)) != shown.hash)) {
        return {DiskChange::Replaced, {}, now};
    }
    if (bytes.size() == kept) {
        return {DiskChange::None, {}, now};
    }
    return {DiskChange::Appended, applyLineRules(decodeFileText(bytes.mid(kept))), now};
}

SaveStep saveStep(const QString& path, const QByteArray& text, const DiskState& shown, bool check) {
    SaveStep step;
    if (check) {
        step.check = checkDisk(path, shown);
        if (step.check.change != DiskChange::None) {
            return step;
        }
    }
    QByteArray written;
    step.written = SaveTextFile(path, text, &written);
    if (step.written) {
        step.now = DiskState::of(written);
    }
    return step;
}

bool isTextFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool acceptableBaseName(const QString& name) {
    // A leading full stop covers "." and ".." and would also hide the file from the list.
    return !name.isEmpty() && !name.startsWith(u'.') && !name.contains(u'/') && !name.contains(QChar(0));
}

namespace {

bool occupied(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

bool renameTextFile(const QString& dir, const QString& from, const QString& to) {
    const QString source = dir + from;
    const QString target = dir + to;
    if (!isTextFile(source) || occupied(target)) {
        return false;
    }
    // QFile refuses an existing target itself as well, atomically where the system can.
    return QFile::rename(source, target);
}

bool moveToBackup(const QString& dir, const QString& name) {
    return renameTextFile(dir, name, kBackupFileName);
}

QString copyTarget(const QString& dir, const QString& name) {
    return dir.endsWith(u'/') ? dir + name : dir + u'/' + name;
}

CopyResult copyFileTo(const QString& source, const QString& dir, const QString& name) {
    const QString target = copyTarget(dir, name);
    if (occupied(target)) {
        return CopyResult::Exists;
    }
    if (!isTextFile(source) || !QFileInfo(dir).isDir()) {
        return CopyResult::Failed;
    }
    return QFile::copy(source, target) ? CopyResult::Copied : CopyResult::Failed;
}

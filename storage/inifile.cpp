#include "storage/inifile.h"

#include "storage/wholefile.h"

#include <QFile>
#include <QList>
#include <QStringDecoder>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kMaxValue = 2047;

// One line of the file as it stands on disk: its bytes and its own line end.
struct RawLine {
    QByteArray bytes;
    QByteArray end;
    QString text() const { return decodeText(bytes); }
};

// A line ends at LF, CR LF or a lone CR.
QList<RawLine> splitLines(const QByteArray& content) {
    QList<RawLine> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (content[i] == '\n' || content[i] == '\r') {
            const qsizetype stop = i;
            if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') {
                ++i;
            }
            lines.append({content.mid(start, stop - start), content.mid(stop, i + 1 - stop)});
            start = i + 1;
        }
    }
    if (start < content.size()) {
        lines.append({content.mid(start), QByteArray()});
    }
    return lines;
}

// Section name of a "[name]" line, or a null string for any other line.
QString sectionOf(const QString& line) {
    const QString t = trimBlanks(line);
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close > 0) {
            return trimBlanks(t.mid(1, close - 1));
        }
    }
    return {};
}

bool keyMatches(const QString& line, const QString& key, QString* value) {
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) {
        return false;
    }
    if (trimBlanks(line.left(eq)).compare(trimBlanks(key), Qt::CaseInsensitive) != 0) {
        return false;
    }
    if (value) {
        *value = line.mid(eq + 1);
    }
    return true;
}

QString unquote(QString value) {
    value = trimBlanks(value);
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first) {
            value = value.mid(1, value.size() - 2);
        }
    }
    return value.left(kMaxValue);
}

QList<RawLine> readLines(const QString& file) {
    // A pipe in the profile's place must not hold up the start.
    return splitLines(SafeFile::readPlain(file).value_or(QByteArray()));
}

} // namespace

QString trimBlanks(const QString& s) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && blank(s[begin])) {
        ++begin;
    }
    while (end > begin && blank(s[end - 1])) {
        --end;
    }
    return s.mid(begin, end - begin);
}

QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    // Windows-1252 is not among the decoders Qt always has; Latin-1 agrees with it but for
    // 0x80-0x9F, which the table below fills in. The five bytes the code page leaves
    // unassigned become the C1 controls of the same number, so no byte is lost.
    static const char16_t cp1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        *d++ = (u >= 0x80 && u < 0xA0) ? QChar(cp1252[u - 0x80]) : QChar(char16_t(u));
    }
    return out;
}

QString ReadIniString(const QString& section, const QString& key, const QString& file,
                      const QString& defaultValue) {
    bool inSection = false;
    for (const RawLine& raw : readLines(file)) {
        const QString line = raw.text();
        const QString s = sectionOf(line);
        if (!s.isNull()) {
            inSection = s.compare(trimBlanks(section), Qt::CaseInsensitive) == 0;
            continue;
        }
        QString value;
        if (inSection && keyMatches(line, key, &value)) {
            value = unquote(value);
            return value.isEmpty() ? defaultValue : value;
        }
    }
    return defaultValue;
}

bool WriteIniString(const QString& section, const QString& key, const QString& value, const QString& file) {
    if (file.isEmpty() || section.isEmpty() || key.isEmpty()) {
        return false;
    }
    QList<RawLine> lines = readLines(file);
    const QByteArray crlf = "\r\n";

    qsizetype sectionLine = -1;
    qsizetype lastContent = -1; // last non-blank line of the section
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        const QString line = lines[i].text();
        const QString s = sectionOf(line);
        if (!s.isNull()) {
            if (sectionLine >= 0) {
                break; // the next section begins
            }
            if (s.compare(trimBlanks(section), Qt::CaseInsensitive) == 0) {
                sectionLine = lastContent = i;
            }
            continue;
        }
        if (sectionLine < 0) {
            continue;
        }
        QString old;
        if (keyMatches(line, key, &old)) {
            if (trimBlanks(old) == trimBlanks(value)) {
                return true; // nothing to change: the file is left as it is
            }
            // Rewritten in place, keeping the key's spelling in the file.
            const QByteArray spelling = lines[i].bytes.left(lines[i].bytes.indexOf('='));
            lines[i].bytes = spelling + '=' + value.toUtf8();
            if (lines[i].end.isEmpty()) {
                lines[i].end = crlf;
            }
            done = true;
        } else if (!trimBlanks(line).isEmpty()) {
            lastContent = i;
        }
    }
    if (!done) {
        // The line before an added one must end, or the two would run together.
        const auto terminate = [&](qsizetype i) {
            if (i >= 0 && lines[i].end.isEmpty()) {
                lines[i].end = crlf;
            }
        };
        const RawLine entry{(key + u'=' + value).toUtf8(), crlf};
        if (sectionLine < 0) {
            terminate(lines.size() - 1);
            lines.append({(u'[' + section + u']').toUtf8(), crlf});
            lines.append(entry);
        } else {
            terminate(lastContent);
            lines.insert(lastContent + 1, entry);
        }
    }

    QByteArray bytes;
    for (const RawLine& line : lines) {
        bytes += line.bytes;
        bytes += line.end;
    }
    return SafeFile::writeWhole(file, bytes);
}

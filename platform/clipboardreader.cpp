#include "platform/clipboardreader.h"

#include "platform/logging.h"
#include "platform/racecheck.h"
#include "platform/systemclipboard.h"

#include <QSocketNotifier>
#include <QStringDecoder>
#include <QThread>
#include <QTimer>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The text form to read: UTF8_STRING (the owner's own bytes), then UTF-8 by name, then plain
// text of no named encoding.
QString textForm(const QStringList& formats) {
    QString best;
    int bestRank = 3;
    for (const QString& f : formats) {
        const QString lower = f.toLower().remove(u' ');
        const int rank = f == "UTF8_STRING"_L1                                            ? 0
                         : lower == "text/plain;charset=utf-8"_L1                         ? 1
                         : lower == "text/plain"_L1 || lower.startsWith("text/plain;"_L1) ? 2
                                                                                          : 3;
        if (rank < bestRank) {
            best = f;
            bestRank = rank;
        }
    }
    return best;
}

} // namespace

ClipboardReader::ClipboardReader(std::unique_ptr<SelectionBackend> backend, Publish publish,
                                 std::unique_ptr<SelectionBackend> other)
    : m_backend(std::move(backend)), m_publish(std::move(publish)), m_other(std::move(other)) {}

ClipboardReader::~ClipboardReader() {
    raceAcquire(this);
}

void ClipboardReader::start() {
    m_notifier = new QSocketNotifier(m_backend->eventFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ClipboardReader::onEvents);
    if (const auto interval = m_backend->wakeInterval(); interval.count() > 0) {
        m_stir = new QTimer(this);
        m_stir->setInterval(interval);
        connect(m_stir, &QTimer::timeout, this, [this] { m_backend->wake(); });
    }
    setWatching(m_watching);
    onEvents();
}

void ClipboardReader::setWatching(bool on) {
    m_watching = on;
    if (!m_stir) {
        return;
    }
    if (on) {
        m_stir->start();
    } else {
        m_stir->stop();
    }
}

void ClipboardReader::requestClear() {
    ++m_clearsAsked;
    m_backend->interrupt();
}

void ClipboardReader::clearIfAsked() {
    const quint64 asked = m_clearsAsked.load();
    if (asked != m_clearsDone) {
        m_backend->interrupted();
        m_backend->clearNow();
        if (m_other) {
            m_other->clearNow();
        }
        m_clearsDone = asked;
        qCDebug(lcReader) << "cleared on request";
    }
}

void ClipboardReader::onEvents() {
    // Changes that arrive while a look is under way wait in the connection's queue, where
    // the notifier does not see them: ask again after every look.
    // Decoding megabytes of text waits until no change is pending: the next owner's content
    // is taken before the owner after it replaces it.
    std::vector<std::shared_ptr<ClipboardSnapshot>> taken;
    while (!QThread::currentThread()->isInterruptionRequested()) {
        clearIfAsked();
        const int changes = m_backend->dispatch() + std::exchange(m_pendingChanges, 0);
        if (changes == 0 && !std::exchange(m_lookAgain, false)) {
            break;
        }
        const quint64 clears = m_clearsDone;
        m_backend->resetAbandoned();
        auto snapshot = std::make_shared<ClipboardSnapshot>(look(*m_backend, m_secrets, kBudget));
        if (m_backend->abandoned() || m_clearsAsked.load() != clears) {
            // Of a content that is gone: what is there now is looked at instead.
            m_backend->interrupted();
            m_pendingChanges = changes;
            m_lookAgain = true;
            qCDebug(lcReader) << "look abandoned, looking again";
            continue;
        }
        snapshot->serial = ++m_serial;
        snapshot->changes = changes;
        snapshot->clears = clears;
        taken.push_back(std::move(snapshot));
    }
    for (auto& snapshot : taken) {
        finish(*snapshot);
        m_publish(std::move(snapshot));
    }
}

void ClipboardReader::clear(quint64 serial) {
    // A newer look means a new owner: what the window asked to clear is gone already.
    if (serial == m_serial) {
        m_backend->clear();
    }
    onEvents();
}

ClipboardSnapshot ClipboardReader::take(SelectionBackend& backend, SecretFilter& secrets,
                                        SelectionBackend::Budget budget, qsizetype maxTextBytes) {
    ClipboardSnapshot s = look(backend, secrets, budget, maxTextBytes);
    finish(s);
    return s;
}

std::optional<QString> ClipboardReader::decodeText(const QByteArray& utf8) {
    if (utf8.contains('\0')) {
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(utf8);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

void ClipboardReader::finish(ClipboardSnapshot& s) {
    if (s.utf8.isNull()) {
        return;
    }
    // Text of the legacy type STRING came as Latin-1 and was turned into UTF-8 on the way:
    // only its NUL bytes can tell binary data there.
    if (std::optional<QString> text = decodeText(s.utf8)) {
        s.text.text = std::move(*text);
    } else {
        s.text.binary = true;
        s.text.type = s.textType;
    }
    s.utf8 = QByteArray();
}

ClipboardSnapshot ClipboardReader::look(SelectionBackend& backend, SecretFilter& secrets,
                                        SelectionBackend::Budget budget, qsizetype maxTextBytes) {
    ClipboardSnapshot s;
    const std::optional<QStringList> formats = backend.formats(budget);
    if (!formats) {
        qCInfo(lcReader) << "the owner did not tell what it offers";
        s.empty = false;
        s.readFailed = true;
        return s;
    }
    s.empty = formats->isEmpty();
    for (const auto kind :
         {Clipboard::Kind::Text, Clipboard::Kind::Bitmap, Clipboard::Kind::Dib, Clipboard::Kind::Metafile}) {
        s.has[int(kind)] = SystemClipboard::offers(*formats, kind);
    }
    const bool marked = formats->contains(QLatin1String(Clipboard::kSecretHint));
    // The kind the capture stores: a metafile picture before a bitmap file before a bitmap
    // before text.
    Clipboard::Kind wins = Clipboard::Kind::Text;
    for (const auto kind : {Clipboard::Kind::Bitmap, Clipboard::Kind::Dib, Clipboard::Kind::Metafile}) {
        if (s.has[int(kind)]) {
            wins = kind;
        }
    }
    if (marked && !s.has[int(Clipboard::Kind::Text)]) {
        s.secret = true;
        return s;
    }
    if (s.has[int(Clipboard::Kind::Text)] && (wins == Clipboard::Kind::Text || marked)) {
        s.textType = textForm(*formats);
        const SelectionBackend::Data data = backend.read(s.textType, maxTextBytes, budget);
        switch (data.status) {
        case SelectionBackend::Data::Status::Ok:
            s.textBytes = data.bytes.size();
            s.secret = secrets.isSecret(data.bytes, marked);
            if (!s.secret) {
                s.utf8 = data.bytes.isNull() ? QByteArray("") : std::move(data.bytes);
            }
            break;
        case SelectionBackend::Data::Status::TooLarge:
            s.text.tooLarge = true;
            s.secret = marked;
            break;
        case SelectionBackend::Data::Status::TimedOut:
        case SelectionBackend::Data::Status::Invalid:
            s.readFailed = true;
            break;
        case SelectionBackend::Data::Status::Refused:
        case SelectionBackend::Data::Status::Cancelled:
            break;
        }
        return s;
    }
    if (wins != Clipboard::Kind::Text) {
        s.imageKind = wins;
        bool failed = false;
        bool tooLarge = false;
        s.image = SystemClipboard::imageFrom(
            *formats,
            [&](const QString& f) -> std::optional<QByteArray> {
                SelectionBackend::Data data = backend.read(f, kMaxPictureBytes, budget);
                failed = data.status == SelectionBackend::Data::Status::TimedOut ||
                         data.status == SelectionBackend::Data::Status::Cancelled;
                tooLarge = tooLarge || data.status == SelectionBackend::Data::Status::TooLarge;
                return failed ? std::nullopt : std::optional<QByteArray>(std::move(data.bytes));
            },
            wins, &s.imageFault, &s.imageSize);
        if (s.image.isNull() && tooLarge && s.imageFault == Clipboard::ImageFault::Unreadable) {
            s.imageFault = Clipboard::ImageFault::TooLarge;
        }
        s.readFailed = failed;
    }
    return s;
}

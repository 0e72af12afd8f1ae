#include "platform/clipboardreader.h"

#include "platform/systemclipboard.h"

#include <QSocketNotifier>
#include <QThread>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The text form to read: UTF-8 by name first, then plain text of no named encoding.
QString textForm(const QStringList& formats) {
    QString best;
    for (const QString& f : formats) {
        const QString lower = f.toLower().remove(u' ');
        if (lower == "text/plain;charset=utf-8"_L1) {
            return f;
        }
        if (best.isEmpty() && (lower == "text/plain"_L1 || lower.startsWith("text/plain;"_L1))) {
            best = f;
        }
    }
    return best;
}

} // namespace

ClipboardReader::ClipboardReader(std::unique_ptr<SelectionBackend> backend, Publish publish)
    : m_backend(std::move(backend)), m_publish(std::move(publish)) {}

ClipboardReader::~ClipboardReader() = default;

void ClipboardReader::start() {
    m_notifier = new QSocketNotifier(m_backend->eventFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ClipboardReader::onEvents);
    m_backend->dispatch();
    auto first = std::make_shared<ClipboardSnapshot>(take(*m_backend, m_secrets, kBudget));
    first->serial = ++m_serial;
    m_publish(std::move(first));
    onEvents();
}

void ClipboardReader::onEvents() {
    // Changes that arrive while a look is under way wait in the connection's queue, where
    // the notifier does not see them: ask again after every look.
    // Decoding megabytes of text waits until no change is pending: the next owner's content
    // is taken before the owner after it replaces it.
    std::vector<std::shared_ptr<ClipboardSnapshot>> taken;
    while (!QThread::currentThread()->isInterruptionRequested()) {
        const int changes = m_backend->dispatch();
        if (changes == 0) {
            break;
        }
        taken.push_back(std::make_shared<ClipboardSnapshot>(look(*m_backend, m_secrets, kBudget)));
        taken.back()->serial = ++m_serial;
        taken.back()->changes = changes;
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

void ClipboardReader::finish(ClipboardSnapshot& s) {
    if (!s.utf8.isNull()) {
        s.text.text = QString::fromUtf8(s.utf8);
        s.utf8 = QByteArray();
    }
}

ClipboardSnapshot ClipboardReader::look(SelectionBackend& backend, SecretFilter& secrets,
                                        SelectionBackend::Budget budget, qsizetype maxTextBytes) {
    ClipboardSnapshot s;
    const std::optional<QStringList> formats = backend.formats(budget);
    if (!formats) {
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
        const SelectionBackend::Data data = backend.read(textForm(*formats), maxTextBytes, budget);
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
            s.readFailed = true;
            break;
        case SelectionBackend::Data::Status::Refused:
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
                failed = data.status == SelectionBackend::Data::Status::TimedOut;
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

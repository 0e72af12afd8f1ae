// The reader's rules without a desktop: which offered type is read, what is text, the
// memory for secrets, and a desktop that must be stirred to tell of changes.
#include "platform/clipboardreader.h"
#include "platform/x11selection.h"
#include "tests/support/fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Status = SelectionBackend::Data::Status;

namespace {

TEST(SecretFilterTest, RemembersOnlyTheLastSecretForAMinute) {
    auto now = std::chrono::steady_clock::time_point{};
    SecretFilter filter([&now] { return now; });
    EXPECT_FALSE(filter.isSecret("geheim", false));
    EXPECT_TRUE(filter.isSecret("geheim", true));
    now += 59s;
    EXPECT_TRUE(filter.isSecret("geheim", false));  // republished without the hint
    EXPECT_TRUE(filter.isSecret("zweite", true));   // replaces the first
    EXPECT_FALSE(filter.isSecret("geheim", false)); // of the same size, told by the content
    now += 61s;
    EXPECT_FALSE(filter.isSecret("zweite", false)); // forgotten after a minute
}

// A selection that offers each type with given bytes and notes which types are read.
class OfferedSelection final : public SelectionBackend {
public:
    explicit OfferedSelection(QList<std::pair<QString, QByteArray>> offers) : m_offers(std::move(offers)) {}
    int eventFd() const override { return -1; }
    int dispatch() override { return 0; }
    std::optional<QStringList> formats(Budget) override {
        QStringList types;
        for (const auto& [type, bytes] : m_offers) {
            types.append(type);
        }
        return types;
    }
    Data read(const QString& type, qsizetype, Budget) override {
        reads.append(type);
        for (const auto& [offered, bytes] : m_offers) {
            if (offered == type) {
                return {bytes.isNull() ? Status::Invalid : Status::Ok, bytes};
            }
        }
        return {};
    }
    void clear() override {}
    void clearNow() override {}
    QStringList reads;

private:
    QList<std::pair<QString, QByteArray>> m_offers;
};

// A desktop that tells of changes only when stirred, and counts the stirs.
class StirredSelection final : public SelectionBackend {
public:
    int eventFd() const override { return interruptFd(); }
    int dispatch() override { return 0; }
    std::optional<QStringList> formats(Budget) override { return QStringList(); }
    Data read(const QString&, qsizetype, Budget) override { return {}; }
    void clear() override {}
    void clearNow() override {}
    std::chrono::milliseconds wakeInterval() const override { return 5ms; }
    void wake() override { ++stirs; }
    int stirs = 0;
};

TEST(StirredDesktop, IsStirredOnlyWhileTheCaptureListens) {
    auto owned = std::make_unique<StirredSelection>();
    StirredSelection& selection = *owned;
    ClipboardReader reader(std::move(owned), [](SnapshotPtr) {});
    const auto stirsWithin100ms = [&] {
        const int before = selection.stirs;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 100) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return selection.stirs - before;
    };
    reader.start();
    EXPECT_EQ(stirsWithin100ms(), 0); // monitoring is off after start
    reader.setWatching(true);
    EXPECT_GT(stirsWithin100ms(), 5);
    reader.setWatching(false);
    EXPECT_EQ(stirsWithin100ms(), 0);
}

TEST(OfferedTypes, TheOwnersOwnTextBytesAndThePictureThatKeepsItsTransparency) {
    // X11 targets: UTF8_STRING stands for UTF-8 text before a toolkit's MIME name for it.
    using Chosen = QList<std::pair<QString, qsizetype>>;
    EXPECT_EQ(X11Selection::offered({"TARGETS", "text/plain;charset=utf-8", "UTF8_STRING", "text/plain",
                                     "STRING", "image/png"}),
              (Chosen{{u"text/plain;charset=utf-8"_s, 2}, {u"text/plain"_s, 3}, {u"image/png"_s, 5}}));
    EXPECT_EQ(X11Selection::offered({"STRING", "TEXT", "UTF8_STRING"}),
              (Chosen{{u"text/plain"_s, 0}, {u"text/plain;charset=utf-8"_s, 2}}));

    SecretFilter secrets;
    const struct {
        QStringList offered;
        QString read;
    } texts[] = {
        {{u"text/plain;charset=utf-8"_s, u"UTF8_STRING"_s, u"text/plain"_s}, u"UTF8_STRING"_s},
        {{u"text/plain"_s, u"TEXT/PLAIN; charset=UTF-8"_s}, u"TEXT/PLAIN; charset=UTF-8"_s},
        {{u"text/html"_s, u"text/plain"_s}, u"text/plain"_s},
    };
    for (const auto& c : texts) {
        QList<std::pair<QString, QByteArray>> offers;
        for (const QString& type : c.offered) {
            offers.append({type, type.toUtf8()});
        }
        OfferedSelection selection(offers);
        EXPECT_EQ(ClipboardReader::take(selection, secrets, 100ms).text.text, c.read);
        EXPECT_EQ(selection.reads, QStringList{c.read});
    }
    // An answer of another type than asked for is unreadable, not text.
    OfferedSelection wrong({{u"text/plain;charset=utf-8"_s, QByteArray()}});
    const ClipboardSnapshot unread = ClipboardReader::take(wrong, secrets, 100ms);
    EXPECT_TRUE(unread.readFailed);
    EXPECT_TRUE(unread.text.text.isEmpty());

    // A toolkit's bitmap file drops the alpha channel; its PNG beside it keeps it.
    QImage clear(4, 3, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    OfferedSelection both({{u"image/bmp"_s, encoded(clear, "BMP")}, {u"image/png"_s, encoded(clear, "PNG")}});
    const ClipboardSnapshot picture = ClipboardReader::take(both, secrets, 100ms);
    EXPECT_EQ(picture.imageKind, Clipboard::Kind::Dib);
    EXPECT_EQ(both.reads, QStringList{u"image/png"_s});
    EXPECT_EQ(qAlpha(picture.image.pixel(0, 0)), 0);
    OfferedSelection bitmapOnly({{u"image/bmp"_s, encoded(clear, "BMP")}});
    EXPECT_FALSE(ClipboardReader::take(bitmapOnly, secrets, 100ms).image.isNull());
    EXPECT_EQ(bitmapOnly.reads, QStringList{u"image/bmp"_s});
}

TEST(TextCheck, OnlyUtf8WithoutNulBytesIsText) {
    QImage red(2, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    const struct {
        QByteArray bytes;
        bool text;
    } replies[] = {
        {"", true},
        {"plain ASCII\r\n", true},
        {"Grüße, Ærø, Δ, 東京", true},
        {"😀 \xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd", true}, // emoji, one with a skin tone
        {"\xef\xbf\xbd", true},                       // a replacement character copied as such
        {QByteArray("Zeile\0Ende", 10), false},
        {QByteArray(1, '\0'), false},
        {"Gr\xfc\xdf"
         "e",
         false},                     // Latin-1, not UTF-8
        {"abc\xc3", false},          // cut off inside a sequence
        {"\x80\x81", false},         // continuation bytes alone
        {"\xc0\xaf", false},         // overlong '/'
        {"\xe0\x80\xaf", false},     // overlong in three bytes
        {"\xed\xa0\x80", false},     // a surrogate
        {"\xf4\x90\x80\x80", false}, // above U+10FFFF
        {encoded(red, "PNG"), false},
        {encoded(red, "BMP"), false},
    };
    for (const auto& r : replies) {
        const std::optional<QString> text = ClipboardReader::decodeText(r.bytes);
        EXPECT_EQ(text.has_value(), r.text) << r.bytes.toHex().toStdString();
        if (text) {
            EXPECT_EQ(text->toUtf8(), r.bytes);
        }
        // Through a whole look: binary data is reported as such, with the type it came as.
        SecretFilter secrets;
        const QString type = u"text/plain;charset=utf-8"_s;
        OfferedSelection selection({{type, r.bytes}});
        const ClipboardSnapshot s = ClipboardReader::take(selection, secrets, 100ms);
        EXPECT_EQ(s.text.binary, !r.text);
        EXPECT_EQ(s.text.type, r.text ? QString() : type);
        EXPECT_EQ(s.text.text.isEmpty(), !r.text || r.bytes.isEmpty());
    }
}

} // namespace

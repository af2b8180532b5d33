// SPDX-License-Identifier: GPL-3.0-or-later
#include "ItemTitles.h"
#include "MemoryPasteboard.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <optional>

namespace {

namespace T = PasteboardTypes;
using Content = QList<std::pair<QString, QByteArray>>;

QByteArray utf8(const char *text)
{
    return QByteArray(text);
}

QByteArray pathList(const QStringList &paths)
{
    return PropertyList::xmlStringArray(paths);
}

QByteArray webLinks(const QStringList &urls, const std::optional<QStringList> &titles)
{
    QVariantList lists{QVariant(urls)};
    if (titles)
        lists.append(QVariant(*titles));
    return PropertyList::toXml(lists);
}

QByteArray color(quint16 red, quint16 green, quint16 blue, quint16 alpha = 0xFFFF)
{
    QByteArray data(8, '\0');
    qToUnaligned(red, data.data());
    qToUnaligned(green, data.data() + 2);
    qToUnaligned(blue, data.data() + 4);
    qToUnaligned(alpha, data.data() + 6);
    return data;
}

// Chromium's picture fragment: UTF-16 LE behind a byte-order mark, ending in NUL.
QByteArray utf16Fragment(const QString &html)
{
    QByteArray data("\xFF\xFE", 2);
    const QString withNul = html + QChar(u'\0');
    data.append(reinterpret_cast<const char *>(withNul.utf16()), withNul.size() * 2);
    return data;
}

struct TitleCase
{
    const char *name;
    QString type;
    QByteArray data;
    Content pasteboard; // empty: no pasteboard given
    QString expected;
};

void PrintTo(const TitleCase &c, std::ostream *os)
{
    *os << c.name;
}

std::string caseName(const ::testing::TestParamInfo<TitleCase> &param)
{
    return param.param.name;
}

class TitleForType : public ::testing::TestWithParam<TitleCase>
{
};

TEST_P(TitleForType, GivesTheExpectedTitle)
{
    const TitleCase &c = GetParam();
    std::optional<MemoryPasteboard> pasteboard;
    if (!c.pasteboard.isEmpty())
        pasteboard.emplace(c.pasteboard);
    const QString title = ItemTitles::titleForType(c.type, c.data, pasteboard ? &*pasteboard : nullptr);
    EXPECT_EQ(title, c.expected) << qPrintable(title);
    EXPECT_FALSE(title.isNull());
}

const QString kEighty = QStringLiteral("   ") + QString(40, u'x') + QStringLiteral("   ") + QString(34, u'y');

// 49 units, then a character outside the BMP that a cut at 50 would split.
const QString kSurrogateAtCut = QString(49, u'a') + QString::fromUtf8("\xF0\x9F\x98\x80") + u'b';

INSTANTIATE_TEST_SUITE_P(Text, TitleForType,
    ::testing::Values(TitleCase{"LineFeedDeletedAndTrimmed", T::NSStringPboardType, utf8("  Hello\nworld  "),
                          {}, "Helloworld"},
        TitleCase{"CutToFiftyThenTrimmed", T::NSStringPboardType, kEighty.toUtf8(), {},
            QString(40, u'x') + QStringLiteral("   yyyy")},
        TitleCase{"CutEndsInSpaces", T::NSStringPboardType,
            (QString(48, u'a') + QStringLiteral("  ") + QString(30, u'b')).toUtf8(), {}, QString(48, u'a')},
        TitleCase{
            "CarriageReturnsAreTrimmedNotDeleted", T::NSStringPboardType, utf8("\r\nA\r\nB\r\n"), {}, "A\rB"},
        TitleCase{"OnlyWhiteSpaceGivesEmptyTitle", T::NSStringPboardType, utf8(" \t \n  "), {}, ""},
        TitleCase{"EmptyTextGivesEmptyTitle", T::NSStringPboardType, QByteArray(""), {}, ""},
        TitleCase{"NonAsciiKept", T::NSStringPboardType,
            utf8("Gr\xC3\xBC\xC3\x9F"
                 "e"),
            {},
            QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                              "e")},
        TitleCase{"SurrogatePairNeverSplit", T::NSStringPboardType, kSurrogateAtCut.toUtf8(), {},
            QString(49, u'a')},
        TitleCase{"InvalidUtf8IsFile", T::NSStringPboardType, utf8("ab\xFF\xFE"), {}, "File"},
        TitleCase{"CutOffUtf8SequenceIsFile", T::NSStringPboardType, utf8("abc\xC3"), {}, "File"},
        TitleCase{"AbsentTextIsFile", T::NSStringPboardType, QByteArray(), {}, "File"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(FilesAndLinks, TitleForType,
    ::testing::Values(TitleCase{"OneFile", T::NSFilenamesPboardType,
                          pathList({"/home/u/Documents/report.pdf"}), {}, "report.pdf"},
        TitleCase{"ThreeFiles", T::NSFilenamesPboardType, pathList({"/a/1", "/a/2", "/a/3"}), {}, "3 files"},
        TitleCase{"BlankEntryCountsNothing", T::NSFilenamesPboardType, pathList({"   "}), {}, "0 files"},
        TitleCase{"BlankEntriesDropped", T::NSFilenamesPboardType, pathList({" \t", "/tmp/b.txt", ""}), {},
            "b.txt"},
        TitleCase{"SpacesAndTabsTrimmed", T::NSFilenamesPboardType, pathList({" \t/tmp/a b.txt\t "}), {},
            "a b.txt"},
        TitleCase{"FolderWithTrailingSlash", T::NSFilenamesPboardType, pathList({"/home/u/Pictures/"}), {},
            "Pictures"},
        TitleCase{
            "UnreadableListCountsNothing", T::NSFilenamesPboardType, utf8("not a plist"), {}, "0 files"},
        TitleCase{"UrlWithEmptyBase", T::NSURLPboardType,
            pathList({"https://example.com/pics/photo.jpg", ""}), {}, "photo.jpg"},
        TitleCase{"BareDomain", T::NSURLPboardType, pathList({"https://example.com/"}), {}, "example.com"},
        TitleCase{"TwoUrls", T::NSURLPboardType, pathList({"https://a.example/x", "https://b.example/y"}), {},
            "2 files"},
        TitleCase{"WebLinkWithTitle", T::WebURLsWithTitlesPboardType,
            webLinks({"https://example.com/page"}, QStringList{"Example Page"}), {}, "Example Page"},
        TitleCase{"WebLinkWithoutTitles", T::WebURLsWithTitlesPboardType,
            webLinks({"https://example.com/page"}, std::nullopt), {}, "https://example.com/page"},
        TitleCase{"WebLinkWithEmptyTitleNamedByUrl", T::WebURLsWithTitlesPboardType,
            webLinks({"https://example.com/page"}, QStringList{""}), {}, "https://example.com/page"},
        TitleCase{"WebLinkUnreadable", T::WebURLsWithTitlesPboardType, utf8("<html>"), {}, "File"},
        TitleCase{
            "WebLinkEmptyArrays", T::WebURLsWithTitlesPboardType, webLinks({}, QStringList{}), {}, "File"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(BrowserPictures, TitleForType,
    ::testing::Values(TitleCase{"ImgSource", T::ChromiumImageHTML,
                          utf8("<img src=\"https://example.com/a/b/cat.png?w=200\">"), {}, "cat.png"},
        TitleCase{"NoImg", T::ChromiumImageHTML, utf8("<p>no picture here</p>"), {}, "Image"},
        TitleCase{"ImgWithoutSource", T::ChromiumImageHTML, utf8("<img alt=\"x\">"), {}, "Image"},
        TitleCase{"EmptyFragment", T::ChromiumImageHTML, QByteArray(), {}, "Image"},
        TitleCase{"NestedImg", T::ChromiumImageHTML,
            utf8("<div><p>text</p><span><b><img src=\"/deep/inner.gif\"></b></span></div>"), {}, "inner.gif"},
        TitleCase{"FirstOfTwo", T::ChromiumImageHTML,
            utf8("<div><span><img src=\"first.png\"></span></div><img src=\"second.png\">"), {}, "first.png"},
        TitleCase{"Utf16WithByteOrderMark", T::ChromiumImageHTML,
            utf16Fragment(QStringLiteral("<meta charset=\"utf-8\"><img src=\"https://example.com/bom.jpg\" "
                                         "alt=\"\u00e9\">")),
            {}, "bom.jpg"},
        TitleCase{"PercentEscapesDecoded", T::ChromiumImageHTML,
            utf8("<img src=\"https://example.com/My%20Cat.png\">"), {}, "My Cat.png"},
        TitleCase{"InvalidUrlIsFile", T::ChromiumImageHTML, utf8("<img src=\"http://exa mple.com/a b.png\">"),
            {}, "File"},
        TitleCase{"InlineDataIsImage", T::ChromiumImageHTML,
            utf8("<img src=\"data:image/png;base64,iVBORw0KGgo/AAA=\">"), {}, "Image"},
        TitleCase{"SiteRootIsImage", T::ChromiumImageHTML, utf8("<img src=\"https://example.com/\">"), {},
            "Image"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(PicturesAndPasteboards, TitleForType,
    ::testing::Values(TitleCase{"PictureWithoutPasteboard", T::NSTIFFPboardType, utf8("II*\0"), {}, "File"},
        TitleCase{"PictureNamedByPasteboardUrl", T::NSTIFFPboardType, utf8("II*\0"),
            Content{{T::NSTIFFPboardType, utf8("II*\0")},
                {T::NSURLPboardType, pathList({"https://example.com/img/sunset.tiff", ""})},
                {T::NSStringPboardType, utf8("ignored text")}},
            "sunset.tiff"},
        TitleCase{"PictureNamedByPasteboardText", T::NSTIFFPboardType, utf8("II*\0"),
            Content{{T::NSTIFFPboardType, utf8("II*\0")}, {T::NSStringPboardType, utf8(" A caption\n")}},
            "A caption"},
        TitleCase{"PasteboardWithNeither", T::NSTIFFPboardType, utf8("II*\0"),
            Content{{T::NSTIFFPboardType, utf8("II*\0")}}, "File"},
        TitleCase{"HtmlNamedByPasteboardText", T::NSHTMLPboardType, utf8("<b>x</b>"),
            Content{{T::NSHTMLPboardType, utf8("<b>x</b>")}, {T::NSStringPboardType, utf8("x")}}, "x"},
        TitleCase{"HtmlWithoutPasteboard", T::NSHTMLPboardType, utf8("<b>x</b>"), {}, "File"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(OtherTypes, TitleForType,
    ::testing::Values(
        TitleCase{"ColorTruncates", T::NSColorPboardType, color(0xFFFF, 0x8000, 0x0000), {}, "#FF7F00"},
        TitleCase{"ColorIgnoresAlpha", T::NSColorPboardType, color(0x1234, 0xABCD, 0xFFFF, 0), {}, "#12ABFF"},
        TitleCase{"ColorUnreadable", T::NSColorPboardType, utf8("1234567"), {}, "#000000"},
        TitleCase{"ColorEmpty", T::NSColorPboardType, QByteArray(), {}, "#000000"},
        TitleCase{"Rtf", T::NSRTFPboardType,
            utf8("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0  Caf\\'e9\\par next}"), {},
            QString::fromUtf8("Caf\xC3\xA9\nnext")},
        TitleCase{
            "RtfdReadAsRtf", T::NSRTFDPboardType, utf8("{\\rtf1 {\\*\\generator x;}Hello}"), {}, "Hello"},
        TitleCase{"RtfCutAndTrimmed", T::NSRTFPboardType, ("{\\rtf1 \\par   " + QByteArray(60, 'r') + "}"),
            {}, QString(47, u'r')},
        TitleCase{"RtfWithoutText", T::NSRTFPboardType, utf8("{\\rtf1{\\fonttbl\\f0 Helvetica;}}"), {}, ""},
        TitleCase{"NotRtfIsFile", T::NSRTFPboardType, utf8("plain words"), {}, "File"},
        TitleCase{"Font", T::NSFontPboardType, utf8("whatever"), {}, "Font"},
        TitleCase{"ContactCardIsFile", T::NSVCardPboardType, utf8("BEGIN:VCARD"), {}, "File"},
        TitleCase{"PdfIsFile", T::NSPDFPboardType, utf8("%PDF-1.4"), {}, "File"},
        TitleCase{"MimeTypeIsFile", "application/x-unknown", utf8("??"), {}, "File"}),
    caseName);

TEST(ItemTitles, LastPathComponentFollowsPathRules)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/usr/lib/file.txt", "file.txt"},
        {"/usr/lib/", "lib"},
        {"name", "name"},
        {"/", "/"},
        {"//", "/"},
        {"", ""},
        {"a//b//", "b"},
    };
    for (const auto &[path, expected] : cases)
        EXPECT_EQ(ItemTitles::lastPathComponent(QString::fromUtf8(path)), QString::fromUtf8(expected))
            << path;
}

TEST(ItemTitles, FilesFromDataKeepsOrderAndLineBreaks)
{
    const QStringList files = ItemTitles::filesFromData(pathList({" /b ", "", "/a\n", "\t", "/c"}));
    EXPECT_EQ(files, QStringList({"/b", "/a\n", "/c"}));
    EXPECT_TRUE(ItemTitles::filesFromData(QByteArray()).isEmpty());
    EXPECT_TRUE(ItemTitles::filesFromData(PropertyList::toXml(QVariantMap{{"a", 1}})).isEmpty());
}

// Unknown representations are logged with their data; the log line must stay small even
// for a huge drop, and contact cards log their one line.
class TitleLog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &,
                                                const QString &message) { s_messages.append(message); });
    }
    void TearDown() override { qInstallMessageHandler(m_previous); }

    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

TEST_F(TitleLog, UnknownTypeLogsTypeAndBoundedData)
{
    const QByteArray huge(4 * 1024 * 1024, 'z');
    EXPECT_EQ(ItemTitles::titleForType(QStringLiteral("public.heic"), huge, nullptr), u"File");
    ASSERT_EQ(s_messages.size(), 2);
    EXPECT_EQ(s_messages[0], u"Not able to gen title: public.heic");
    EXPECT_TRUE(s_messages[1].contains(u"length = 4194304")) << qPrintable(s_messages[1].left(80));
    EXPECT_LT(s_messages[1].size(), 1024);

    s_messages.clear();
    ItemTitles::titleForType(QStringLiteral("public.heic"), QByteArray("\x01\xAB", 2), nullptr);
    ASSERT_EQ(s_messages.size(), 2);
    EXPECT_EQ(s_messages[1], u"<01ab>");
}

TEST_F(TitleLog, ContactCardLogsUnsupported)
{
    ItemTitles::titleForType(PasteboardTypes::NSVCardPboardType, QByteArray("BEGIN:VCARD"), nullptr);
    EXPECT_EQ(s_messages, QStringList{QStringLiteral("Unsupported!")});
}

} // namespace

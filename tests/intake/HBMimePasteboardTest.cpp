// SPDX-License-Identifier: GPL-3.0-or-later
// The pasteboard adapter over real QMimeData: what Linux sources offer becomes Kelvora's
// types in the stored formats, and what Kelvora writes is what Linux programs read.
#include "HBMimePasteboard.h"
#include "ForeignMimeData.h"
#include "HBDraggingInfo.h"
#include "HBMimeTypes.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QClipboard>
#include <QColor>
#include <QDropEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QStringEncoder>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace T = PasteboardTypes;
namespace M = HBMimeTypes;

namespace {

QByteArray picture(const char *format)
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray utf16le(const QString &text, bool bom)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    QByteArray bytes = encoder.encode(text);
    return bom ? QByteArray("\xFF\xFE", 2) + bytes : bytes;
}

QByteArray stringsPlist(const QStringList &strings)
{
    return PropertyList::xmlStringArray(strings);
}

QByteArray listsPlist(const QVariantList &lists)
{
    return PropertyList::toXml(lists);
}

struct ReadCase
{
    const char *name;
    QList<std::pair<QString, QByteArray>> offered;
    /// Kelvora types expected, with their data; a null QByteArray means "offered, any data".
    QList<std::pair<QString, QByteArray>> expected;
    /// Kelvora types that must not be offered.
    QStringList absent;
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

class MimeReading : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(MimeReading, OffersKelvoraTypesBesideTheMimeTypes)
{
    const ReadCase &c = GetParam();
    ForeignMimeData mime(c.offered);
    HBMimePasteboard pasteboard(&mime);

    const QStringList types = pasteboard.types();
    for (const auto &[type, bytes] : c.expected) {
        ASSERT_TRUE(types.contains(type)) << qPrintable(type) << " in " << qPrintable(types.join(u", "));
        if (!bytes.isNull()) {
            EXPECT_EQ(pasteboard.dataForType(type), bytes) << qPrintable(type);
        }
    }
    for (const QString &type : c.absent)
        EXPECT_FALSE(types.contains(type)) << qPrintable(type);
    // Every MIME type the source offers passes through, with its bytes unchanged.
    for (const auto &[format, bytes] : c.offered) {
        EXPECT_TRUE(types.contains(format)) << qPrintable(format);
        EXPECT_EQ(pasteboard.dataForType(format), bytes) << qPrintable(format);
    }
}

const QString kLinkUrl = QStringLiteral("https://example.org/docs/page.html");

INSTANTIATE_TEST_SUITE_P(Sources, MimeReading,
    ::testing::Values(
        ReadCase{"FileManagerFiles",
            {{M::UriList, "file:///home/u/a%20b.txt\r\n# a comment\r\nfile:///home/u/c.pdf\r\n"}},
            {{T::NSFilenamesPboardType,
                stringsPlist(
                    QStringList{QStringLiteral("/home/u/a b.txt"), QStringLiteral("/home/u/c.pdf")})}},
            {T::NSURLPboardType}},
        ReadCase{"FilesAndWebAddressInOneList", {{M::UriList, "file:///tmp/x\nhttps://example.org/y.png\n"}},
            {{T::NSFilenamesPboardType, stringsPlist(QStringList{QStringLiteral("/tmp/x")})},
                {T::NSURLPboardType, stringsPlist(QStringList{QStringLiteral("https://example.org/y.png")})}},
            {}},
        ReadCase{"GnomeCopiedFiles", {{M::GnomeCopiedFiles, "copy\nfile:///home/u/one\nfile:///home/u/two"}},
            {{T::NSFilenamesPboardType,
                stringsPlist(QStringList{QStringLiteral("/home/u/one"), QStringLiteral("/home/u/two")})}},
            {}},
        ReadCase{"BrowserLink",
            {{M::MozUrl, utf16le(kLinkUrl + u"\nThe Docs", false)},
                {M::NetscapeUrl, (kLinkUrl + u"\nThe Docs").toUtf8()}, {M::PlainText, kLinkUrl.toUtf8()},
                {M::Html, "<a href=\"" + kLinkUrl.toUtf8() + "\">The Docs</a>"}},
            {{T::WebURLsWithTitlesPboardType,
                 listsPlist(QVariantList{QStringList{kLinkUrl}, QStringList{QStringLiteral("The Docs")}})},
                {T::NSURLPboardType, stringsPlist(QStringList{kLinkUrl})},
                {T::NSStringPboardType, kLinkUrl.toUtf8()},
                {T::NSHTMLPboardType, "<a href=\"" + kLinkUrl.toUtf8() + "\">The Docs</a>"}},
            {T::NSFilenamesPboardType, T::ChromiumImageHTML}},
        ReadCase{"LinkAsQtPresentsIt",
            {{M::UriList, "https://example.org/docs/page.html\r\nDocs:%20Intro\r\n"},
                {M::NetscapeUrl, "https://example.org/docs/page.html\nDocs: Intro"}},
            {{T::NSURLPboardType, stringsPlist(QStringList{kLinkUrl})},
                {T::WebURLsWithTitlesPboardType,
                    listsPlist(
                        QVariantList{QStringList{kLinkUrl}, QStringList{QStringLiteral("Docs: Intro")}})}},
            {}},
        ReadCase{"NetscapeUrlWithoutTitle", {{M::NetscapeUrl, kLinkUrl.toUtf8()}},
            {{T::WebURLsWithTitlesPboardType, listsPlist(QVariantList{QStringList{kLinkUrl}})},
                {T::NSURLPboardType, stringsPlist(QStringList{kLinkUrl})}},
            {}},
        ReadCase{"Utf8Text",
            {{M::PlainTextUtf8, "Grüße\n"},
                {M::PlainText,
                    "Gr\xFC\xDF"
                    "e\n"}},
            {{T::NSStringPboardType, "Grüße\n"}}, {}},
        ReadCase{"Latin1PlainText", {{M::PlainText, QByteArray("caf\xE9")}},
            {{T::NSStringPboardType, "café"}}, {}},
        ReadCase{"ChromiumPicture",
            {{M::Html,
                 utf16le(
                     QStringLiteral(
                         "<meta charset='utf-8'><img src=\"https://cdn.example.org/p/cat.png\" alt=\"cat\">"),
                     true)},
                {M::OctetStream, picture("PNG")}},
            {{T::ChromiumImageHTML,
                 "<meta charset='utf-8'><img src=\"https://cdn.example.org/p/cat.png\" alt=\"cat\">"},
                {T::NSHTMLPboardType,
                    "<meta charset='utf-8'><img src=\"https://cdn.example.org/p/cat.png\" alt=\"cat\">"},
                {T::NSTIFFPboardType, picture("PNG")}},
            {}},
        ReadCase{"FirefoxPicture",
            {{M::ImagePng, picture("PNG")}, {M::ImageJpeg, picture("JPEG")},
                {M::UriList, "https://cdn.example.org/p/cat.png\r\n"},
                {M::Html,
                    "<meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\">\n<img "
                    "src=\"https://cdn.example.org/p/cat.png\" alt=\"Katze\">"}},
            {{T::NSTIFFPboardType, picture("PNG")},
                {T::NSURLPboardType,
                    stringsPlist(QStringList{QStringLiteral("https://cdn.example.org/p/cat.png")})},
                {T::ChromiumImageHTML, QByteArray()}},
            {T::NSFilenamesPboardType}},
        ReadCase{"HtmlWithMetaCharset",
            {{M::Html,
                QByteArray("<meta charset=\"iso-8859-1\"><p>Cr\xE8me br\xFBl\xE9"
                           "e</p>")}},
            {{T::NSHTMLPboardType, "<meta charset=\"utf-8\"><p>Crème brûlée</p>"}}, {T::ChromiumImageHTML}},
        ReadCase{"HtmlUtf16WithBomThatIsNotAPicture",
            {{M::Html, utf16le(QStringLiteral("<b>fett</b> <img src=x.png>"), true)}},
            {{T::NSHTMLPboardType, "<b>fett</b> <img src=x.png>"}}, {T::ChromiumImageHTML}},
        ReadCase{
            "OctetStreamThatIsNoPicture", {{M::OctetStream, "just some bytes"}}, {}, {T::NSTIFFPboardType}},
        ReadCase{"RichTextPdfRows",
            {{M::ApplicationRtf, "{\\rtf1 hi}"}, {M::Pdf, "%PDF-1.4 ..."}, {M::KelvoraRows, "rows"}},
            {{T::NSRTFPboardType, "{\\rtf1 hi}"}, {T::NSPDFPboardType, "%PDF-1.4 ..."},
                {T::DragIdentifier, "rows"}},
            {T::NSStringPboardType}},
        ReadCase{"DirectSaveIsNotOfferedAsAPromise",
            {{M::DirectSave, "cat.png"}, {M::OctetStream, picture("PNG")}},
            {{T::NSTIFFPboardType, picture("PNG")}}, {T::NSFilesPromisePboardType}}),
    [](const ::testing::TestParamInfo<ReadCase> &row) { return std::string(row.param.name); });

TEST(MimeReading, InProcessPictureAndColourBecomeStoredBytes)
{
    QMimeData mime;
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(Qt::red);
    mime.setImageData(image);
    mime.setColorData(QColor(255, 128, 0));
    HBMimePasteboard pasteboard(&mime);

    const QImage stored = QImage::fromData(pasteboard.dataForType(T::NSTIFFPboardType));
    ASSERT_FALSE(stored.isNull());
    EXPECT_EQ(stored.size(), QSize(3, 2));
    EXPECT_EQ(stored.pixelColor(0, 0), QColor(Qt::red));

    const QByteArray color = pasteboard.dataForType(T::NSColorPboardType);
    ASSERT_EQ(color.size(), 8);
    const auto *components = reinterpret_cast<const quint16 *>(color.constData());
    EXPECT_EQ(components[0], 0xFFFF);
    EXPECT_EQ(components[1], 0x8080);
    EXPECT_EQ(components[2], 0);
}

TEST(MimeReading, AbsentTypeIsNullAndOfferedEmptyTypeIsEmpty)
{
    QMimeData mime;
    mime.setData(QStringLiteral("text/plain"), QByteArray());
    HBMimePasteboard pasteboard(&mime);
    EXPECT_TRUE(pasteboard.dataForType(QStringLiteral("image/png")).isNull());
    EXPECT_TRUE(pasteboard.dataForType(T::NSFilenamesPboardType).isNull());
    const QByteArray text = pasteboard.dataForType(T::NSStringPboardType);
    EXPECT_FALSE(text.isNull());
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(pasteboard.availableTypeFromArray({T::NSFilenamesPboardType, T::NSStringPboardType}),
        QString(T::NSStringPboardType));
    EXPECT_EQ(pasteboard.propertyListForType(T::NSFilenamesPboardType), QVariant());
}

TEST(MimeReading, HostileBytesNeverCrash)
{
    const QStringList formats = {QStringLiteral("text/uri-list"),
        QStringLiteral("x-special/gnome-copied-files"), QStringLiteral("text/x-moz-url"),
        QStringLiteral("_NETSCAPE_URL"), QStringLiteral("text/plain;charset=utf-16"),
        QStringLiteral("text/plain;charset=no-such-charset"), QStringLiteral("text/plain"),
        QStringLiteral("text/html"), QStringLiteral("application/octet-stream"), QStringLiteral("image/png"),
        QStringLiteral("application/x-color"), QStringLiteral("application/x-qt-image")};
    QByteArray deepHtml;
    for (int i = 0; i < 20000; ++i)
        deepHtml += "<div><img src=";
    const QList<QByteArray> inputs = {
        QByteArray(),
        QByteArray("\xFF\xFE", 2),
        QByteArray("\xFF\xFEx", 3), // odd-length UTF-16
        QByteArray("\0\0\0\0\0", 5),
        QByteArray("file://\r\nfile:///\r\n:\r\n#\r\n%zz\r\nhttp://[::1\r\n"),
        QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xff\xff\xff"), // a PNG header that lies
        QByteArray("<meta charset=\"\"><meta charset=utf-16>\xC3"),
        deepHtml,
        QByteArray(1 << 20, '\n'),
    };
    for (const QString &format : formats) {
        for (const QByteArray &bytes : inputs) {
            ForeignMimeData mime({{format, bytes}});
            HBMimePasteboard pasteboard(&mime);
            for (const QString &type : pasteboard.types())
                pasteboard.dataForType(type);
            pasteboard.mimeData();
        }
    }
}

TEST(MimeTypes, TransferTypesAreRecognised)
{
    for (const char *name : {"TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "chromium/x-renderer-taint",
             "chromium/x-source-url", "XdndDirectSave0"})
        EXPECT_TRUE(M::isTransferType(QString::fromLatin1(name))) << name;
    for (const char *name :
        {"text/plain", "text/uri-list", "_NETSCAPE_URL", "application/octet-stream", "TEXT"})
        EXPECT_FALSE(M::isTransferType(QString::fromLatin1(name))) << name;
}

TEST(MimeTypes, DragFormatsAreJudgedByNameAlone)
{
    const QStringList shelf = {T::DragIdentifier, T::NSStringPboardType, T::NSFilenamesPboardType,
        T::NSTIFFPboardType, T::NSURLPboardType};
    EXPECT_TRUE(M::formatsCanCarry({QStringLiteral("text/uri-list")}, shelf));
    EXPECT_TRUE(M::formatsCanCarry({QStringLiteral("text/plain;charset=UTF-8")}, shelf));
    EXPECT_TRUE(M::formatsCanCarry({QStringLiteral("application/octet-stream")}, shelf));
    EXPECT_TRUE(M::formatsCanCarry({QStringLiteral("_NETSCAPE_URL")}, shelf));
    EXPECT_FALSE(M::formatsCanCarry({QStringLiteral("TARGETS"), QStringLiteral("XdndDirectSave0")}, shelf));
    EXPECT_FALSE(M::formatsCanCarry({QStringLiteral("application/pdf")}, shelf));
    EXPECT_TRUE(M::formatsCanCarry({QStringLiteral("application/pdf")}, {T::NSPDFPboardType}));
}

TEST(MimeTypes, HtmlDecoding)
{
    struct Row
    {
        const char *name;
        QByteArray bytes;
        QString expected;
    };
    const QString text = QStringLiteral("<p>Ærø – ½</p>");
    QStringEncoder be(QStringConverter::Utf16BE);
    const Row rows[] = {
        {"Utf16LeWithBom", utf16le(text, true), text},
        {"Utf16BeWithBom", QByteArray("\xFE\xFF", 2) + QByteArray(be.encode(text)), text},
        {"Utf16LeWithoutBom", utf16le(text, false), text},
        {"Utf8WithBom", "\xEF\xBB\xBF" + text.toUtf8(), text},
        {"Utf8", text.toUtf8(), text},
        {"MetaHttpEquivLatin1",
            QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                       "charset=ISO-8859-1\"><p>\xC6r\xF8</p>"),
            QStringLiteral(
                "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\"><p>Ærø</p>")},
        {"InvalidUtf8FallsBackToLatin1", QByteArray("<p>\xC6</p>"), QStringLiteral("<p>Æ</p>")},
        {"TrailingNul", QByteArray("<p>x</p>\0", 9), QStringLiteral("<p>x</p>")},
    };
    for (const Row &row : rows)
        EXPECT_EQ(M::decodeHtml(row.bytes), row.expected) << row.name;
}

TEST(MimeTypes, ImageOnlyHtml)
{
    const std::pair<const char *, bool> rows[] = {
        {"<img src=\"a.png\">", true},
        {"<meta charset='utf-8'><img src=\"a.png\" alt=\"x\"/>", true},
        {"<html><body>\n<!--StartFragment--><IMG SRC=a.png><!--EndFragment-->\n</body></html>", true},
        {"<img src=a.png><img src=b.png>", false},
        {"<p><img src=a.png></p>", false},
        {"look: <img src=a.png>", false},
        {"", false},
    };
    for (const auto &[html, expected] : rows)
        EXPECT_EQ(M::isImageOnlyHtml(QString::fromUtf8(html)), expected) << html;
}

TEST(MimeWriting, FileListGoesOutAsUriListAndPaths)
{
    HBMimePasteboard pasteboard;
    const QStringList paths = {QStringLiteral("/home/u/a b.txt"), QStringLiteral("/home/u/ü.png")};
    pasteboard.clearContents();
    ASSERT_TRUE(pasteboard.setPropertyList(paths, T::NSFilenamesPboardType));
    // What was written reads back exactly.
    EXPECT_EQ(pasteboard.types(), QStringList{T::NSFilenamesPboardType});
    EXPECT_EQ(pasteboard.dataForType(T::NSFilenamesPboardType), stringsPlist(paths));

    const auto drag = pasteboard.mimeData();
    EXPECT_EQ(drag->data(QStringLiteral("text/uri-list")),
        QByteArray("file:///home/u/a%20b.txt\r\nfile:///home/u/%C3%BC.png\r\n"));
    ASSERT_EQ(drag->urls().size(), 2);
    EXPECT_EQ(drag->urls().at(1).toLocalFile(), paths.at(1));
    EXPECT_EQ(drag->text(), paths.join(u'\n'));
    EXPECT_FALSE(drag->hasFormat(QStringLiteral("x-special/gnome-copied-files")));

    const auto clip = pasteboard.mimeData(true);
    EXPECT_EQ(clip->data(QStringLiteral("x-special/gnome-copied-files")),
        QByteArray("copy\nfile:///home/u/a%20b.txt\nfile:///home/u/%C3%BC.png"));

    // Read back by a drop target, the list is the same file list again.
    HBMimePasteboard dropped(drag.get());
    EXPECT_EQ(dropped.propertyListForType(T::NSFilenamesPboardType).toStringList(), paths);
}

TEST(MimeWriting, LinksGoOutTheWayBrowsersWriteThem)
{
    HBMimePasteboard pasteboard;
    pasteboard.clearContents();
    pasteboard.setPropertyList(QVariantList{QStringList{kLinkUrl}, QStringList{QStringLiteral("The Docs")}},
        T::WebURLsWithTitlesPboardType);
    pasteboard.setPropertyList(QStringList{kLinkUrl}, T::NSURLPboardType);
    const auto mime = pasteboard.mimeData();
    EXPECT_EQ(mime->data(QStringLiteral("_NETSCAPE_URL")), (kLinkUrl + u"\nThe Docs").toUtf8());
    EXPECT_EQ(mime->data(QStringLiteral("text/x-moz-url")), utf16le(kLinkUrl + u"\nThe Docs", false));
    EXPECT_EQ(mime->data(QStringLiteral("text/uri-list")), kLinkUrl.toUtf8() + "\r\n");

    HBMimePasteboard dropped(mime.get());
    EXPECT_EQ(dropped.dataForType(T::WebURLsWithTitlesPboardType),
        listsPlist(QVariantList{QStringList{kLinkUrl}, QStringList{QStringLiteral("The Docs")}}));
}

TEST(MimeWriting, KelvoraTypesWinOverStaleMimeCopies)
{
    HBMimePasteboard pasteboard;
    pasteboard.setData("old text", QStringLiteral("text/plain"));
    pasteboard.setData("new text", T::NSStringPboardType);
    pasteboard.setData("<i>x</i>", T::NSHTMLPboardType);
    pasteboard.setData(picture("PNG"), T::NSTIFFPboardType);
    pasteboard.setData("rows", T::DragIdentifier);
    pasteboard.setData("nothing", QStringLiteral("TARGETS"));
    const auto mime = pasteboard.mimeData();
    EXPECT_EQ(mime->data(QStringLiteral("text/plain")), QByteArray("new text"));
    EXPECT_EQ(mime->data(QStringLiteral("text/plain;charset=utf-8")), QByteArray("new text"));
    EXPECT_EQ(mime->data(QStringLiteral("text/html")), QByteArray("<i>x</i>"));
    EXPECT_EQ(mime->data(QStringLiteral("image/png")), picture("PNG"));
    EXPECT_EQ(mime->data(QStringLiteral("application/x-kelvora-rows")), QByteArray("rows"));
    EXPECT_FALSE(mime->hasFormat(QStringLiteral("TARGETS")));
}

TEST(ClipboardPasteboard, FollowsTheClipboardAndPublishesWrites)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    HBMimePasteboard *general = HBMimePasteboard::generalPasteboard();
    ASSERT_NE(general, nullptr);
    EXPECT_EQ(HBMimePasteboard::pasteboardWithName(QStringLiteral("general")), general);
    EXPECT_EQ(HBMimePasteboard::pasteboardWithName(QStringLiteral("itunes")), nullptr);

    const qint64 before = general->changeCount();
    clipboard->setText(QStringLiteral("from another program"));
    EXPECT_GT(general->changeCount(), before);
    EXPECT_EQ(general->dataForType(T::NSStringPboardType), QByteArray("from another program"));

    general->clearContents();
    general->setPropertyList(QStringList{QStringLiteral("/tmp/f")}, T::NSFilenamesPboardType);
    EXPECT_EQ(general->types(), QStringList{T::NSFilenamesPboardType});
    ASSERT_NE(clipboard->mimeData(), nullptr);
    EXPECT_TRUE(clipboard->mimeData()->hasFormat(QStringLiteral("x-special/gnome-copied-files")));
    EXPECT_EQ(clipboard->mimeData()->urls().value(0).toLocalFile(), QStringLiteral("/tmp/f"));

    const qint64 afterWrite = general->changeCount();
    clipboard->setText(QStringLiteral("again"));
    EXPECT_GT(general->changeCount(), afterWrite);
    EXPECT_EQ(general->dataForType(T::NSStringPboardType), QByteArray("again"));
    EXPECT_FALSE(general->types().contains(T::NSFilenamesPboardType));
}

TEST(DraggingInfo, SourceIsKnownOnlyForOwnDrags)
{
    QMimeData mime;
    mime.setText(QStringLiteral("x"));
    QDropEvent outside(QPointF(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    HBDraggingInfo info(outside);
    EXPECT_EQ(info.draggingSource(), nullptr);
    ASSERT_NE(info.draggingPasteboard(), nullptr);
    EXPECT_EQ(info.draggingPasteboard()->dataForType(T::NSStringPboardType), QByteArray("x"));
}

} // namespace

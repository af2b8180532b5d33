// SPDX-License-Identifier: GPL-3.0-or-later
// Intake through the real adapter and the real store: MIME data as Linux programs offer
// it becomes items in the SQLite store, with the main type, representations, order and
// callbacks the shelf relies on.
#include "HBPasteboardHelper.h"
#include "ForeignMimeData.h"
#include "HBDraggingInfo.h"
#include "HBMimePasteboard.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBUserDefaults.h"
#include "MemoryPasteboard.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

namespace T = PasteboardTypes;

namespace {

using Offer = QList<std::pair<QString, QByteArray>>;

QByteArray png()
{
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QStringList typeNames(const PasteboardItem *item)
{
    QStringList names;
    for (const PasteboardType *type : item->types())
        names.append(type->type());
    return names;
}

/// Records what the intake did: callbacks and queued file work, in order.
struct Journal
{
    QStringList events;
    QList<PasteboardItem *> items;
    HBPasteboardHelper::ItemCallback pre()
    {
        return [this](PasteboardItem *item) {
            events << QStringLiteral("pre%1").arg(
                item->isInserted() ? QStringLiteral(" unsaved") : QString());
            items.append(item);
        };
    }
    HBPasteboardHelper::ItemCallback post()
    {
        return [this](PasteboardItem *item) {
            events << QStringLiteral("post%1").arg(
                item->isInserted() ? QStringLiteral(" unsaved") : QString());
        };
    }
};

class Intake : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(HBObjectStore::shared()->setup());
        HBPasteboardHelper &helper = HBPasteboardHelper::sharedHelper();
        helper.setFileMaker([this](PasteboardItem *, const Pasteboard *pasteboard) {
            journal.events << (pasteboard ? QStringLiteral("files with pasteboard")
                                          : QStringLiteral("files"));
        });
        helper.setPasteboardLookup([this](const QString &name) -> Pasteboard * {
            lookedUp.append(name);
            return name == u"itunes" ? fallback : nullptr;
        });
        helper.setPromisedFilesHandler({});
        HBUserDefaults::standardUserDefaults().setCombineIntoStacks(false);
    }
    void TearDown() override
    {
        HBPasteboardHelper::sharedHelper().setFileMaker({});
        HBPasteboardHelper::sharedHelper().setPasteboardLookup({});
        HBObjectStore::shared()->close();
    }

    bool drop(const Offer &offer)
    {
        ForeignMimeData mime(offer);
        HBMimePasteboard pasteboard(&mime);
        HBDraggingInfo info(&pasteboard, nullptr);
        return HBPasteboardHelper::sharedHelper().acceptDrop(
            &pasteboard, &info, journal.pre(), journal.post());
    }

    QList<PasteboardItem *> items() { return HBObjectStore::shared()->defaultContext()->fetchItems(); }

    QStringList files(int n)
    {
        QStringList paths;
        for (int i = 1; i <= n; ++i) {
            paths.append(TestSupport::home() + QStringLiteral("/in/file %1.txt").arg(i));
            TestSupport::writeFile(paths.back(), "x");
        }
        return paths;
    }

    static QByteArray uriList(const QStringList &paths)
    {
        QByteArray list;
        for (const QString &path : paths)
            list += QUrl::fromLocalFile(path).toEncoded() + "\r\n";
        return list;
    }

    Journal journal;
    Pasteboard *fallback = nullptr;
    QStringList lookedUp;
};

TEST_F(Intake, ThreeFilesMakeThreeItemsOrOneStack)
{
    const QStringList paths = files(3);

    ASSERT_TRUE(drop({{QStringLiteral("text/uri-list"), uriList(paths)}}));
    QList<PasteboardItem *> made = items();
    ASSERT_EQ(made.size(), 3);
    for (int i = 0; i < 3; ++i) {
        PasteboardItem *item = made[i];
        EXPECT_EQ(item->order(), i + 1);
        EXPECT_EQ(item->title(), QStringLiteral("file %1.txt").arg(i + 1));
        EXPECT_TRUE(item->date().isValid());
        ASSERT_NE(item->mainType(), nullptr);
        EXPECT_EQ(item->mainType()->type(), QString(T::NSFilenamesPboardType));
        EXPECT_EQ(PropertyList::stringArray(item->mainType()->data()), QStringList{paths[i]});
        EXPECT_EQ(item->types(), QList<PasteboardType *>{item->mainType()});
    }
    EXPECT_EQ(journal.items, made);
    const QStringList once = {QStringLiteral("pre unsaved"), QStringLiteral("files"), QStringLiteral("post")};
    EXPECT_EQ(journal.events, once + once + once);

    HBUserDefaults::standardUserDefaults().setCombineIntoStacks(true);
    journal = {};
    ASSERT_TRUE(drop({{QStringLiteral("text/uri-list"), uriList(paths)}}));
    made = items();
    ASSERT_EQ(made.size(), 4);
    PasteboardItem *stack = made.last();
    EXPECT_EQ(stack->order(), 4);
    EXPECT_EQ(stack->title(), QStringLiteral("3 files"));
    EXPECT_EQ(stack->mainType()->type(), QString(T::NSFilenamesPboardType));
    EXPECT_EQ(PropertyList::stringArray(stack->mainType()->data()), paths);
    // The main representation stands apart; types hold what the pasteboard offered.
    EXPECT_FALSE(stack->types().contains(stack->mainType()));
    EXPECT_EQ(typeNames(stack), (QStringList{T::NSFilenamesPboardType, QStringLiteral("text/uri-list")}));
    EXPECT_EQ(journal.events,
        (QStringList{
            QStringLiteral("pre unsaved"), QStringLiteral("files with pasteboard"), QStringLiteral("post")}));
}

struct SingleCase
{
    const char *name;
    Offer offer;
    QLatin1StringView mainType;
    QStringList stored;
    QStringList notStored;
};

void PrintTo(const SingleCase &c, std::ostream *os)
{
    *os << c.name;
}

class SingleItem : public Intake, public ::testing::WithParamInterface<SingleCase>
{
};

const QString kPicture = QStringLiteral("https://cdn.example.org/p/cat.png");

TEST_P(SingleItem, MainTypeAndStoredRepresentations)
{
    const SingleCase &c = GetParam();
    ASSERT_TRUE(drop(c.offer));
    const QList<PasteboardItem *> made = items();
    ASSERT_EQ(made.size(), 1);
    PasteboardItem *item = made.first();
    ASSERT_NE(item->mainType(), nullptr);
    EXPECT_EQ(item->mainType()->type(), QString(c.mainType));
    EXPECT_FALSE(item->mainType()->data().isEmpty());
    const QStringList stored = typeNames(item);
    for (const QString &type : c.stored)
        EXPECT_TRUE(stored.contains(type)) << qPrintable(type) << " in " << qPrintable(stored.join(u", "));
    for (const QString &type : c.notStored)
        EXPECT_FALSE(stored.contains(type)) << qPrintable(type);
    for (const PasteboardType *type : item->types())
        EXPECT_FALSE(type->data().isEmpty()) << qPrintable(type->type());
    EXPECT_EQ(item->order(), 1);
}

INSTANTIATE_TEST_SUITE_P(Drops, SingleItem,
    ::testing::Values(SingleCase{"TextAndHtml",
                          {{QStringLiteral("text/plain;charset=utf-8"), "Hello"},
                              {QStringLiteral("text/html"), "<b>Hello</b>"}},
                          T::NSStringPboardType,
                          {T::NSStringPboardType, T::NSHTMLPboardType,
                              QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/html")},
                          {}},
        SingleCase{"WebPictureWithItsAddress",
            {{QStringLiteral("image/png"), png()},
                {QStringLiteral("text/uri-list"), kPicture.toUtf8() + "\r\n"}},
            T::NSURLPboardType, {T::NSTIFFPboardType, T::NSURLPboardType, QStringLiteral("image/png")}, {}},
        SingleCase{"BrowserPictureFragmentIsMainButNeverStored",
            {{QStringLiteral("text/html"), "<img src=\"" + kPicture.toUtf8() + "\">"},
                {QStringLiteral("application/octet-stream"), png()}},
            T::ChromiumImageHTML,
            {T::NSHTMLPboardType, T::NSTIFFPboardType, QStringLiteral("application/octet-stream")},
            {T::ChromiumImageHTML}},
        SingleCase{"TransferTypesAreSkipped",
            {{QStringLiteral("TARGETS"), "atoms"}, {QStringLiteral("TIMESTAMP"), "1234"},
                {QStringLiteral("SAVE_TARGETS"), "x"}, {QStringLiteral("chromium/x-renderer-taint"), "x"},
                {QStringLiteral("dyn.ah62d4rv4gu8y"), "x"}, {QStringLiteral("org.chromium.source-url"), "x"},
                {QStringLiteral("XdndDirectSave0"), "name.txt"}, {QStringLiteral("text/plain"), "kept"}},
            T::NSStringPboardType, {T::NSStringPboardType, QStringLiteral("text/plain")},
            {QStringLiteral("TARGETS"), QStringLiteral("TIMESTAMP"), QStringLiteral("SAVE_TARGETS"),
                QStringLiteral("chromium/x-renderer-taint"), QStringLiteral("dyn.ah62d4rv4gu8y"),
                QStringLiteral("org.chromium.source-url"), QStringLiteral("XdndDirectSave0")}},
        SingleCase{"EmptyOfferedTypeIsNotStored",
            {{QStringLiteral("text/plain"), "text"}, {QStringLiteral("application/x-empty"), ""}},
            T::NSStringPboardType, {T::NSStringPboardType}, {QStringLiteral("application/x-empty")}}),
    [](const ::testing::TestParamInfo<SingleCase> &row) { return std::string(row.param.name); });

TEST_F(Intake, PictureStaysAPictureWhenItsAddressesAreFiles)
{
    // Linux sources name a picture's file in text/uri-list, which makes a file item.
    const QStringList paths = files(1);
    ASSERT_TRUE(
        drop({{QStringLiteral("image/png"), png()}, {QStringLiteral("text/uri-list"), uriList(paths)}}));
    ASSERT_EQ(items().size(), 1);
    EXPECT_EQ(items().last()->mainType()->type(), QString(T::NSFilenamesPboardType));

    // The rule itself: only a web address turns the picture into a link.
    struct Row
    {
        const char *name;
        QStringList urls;
        QLatin1StringView mainType;
    };
    const Row rows[] = {
        {"FileUrls", {QStringLiteral("file:///home/u/cat.png")}, T::NSTIFFPboardType},
        {"PlainHttp", {QStringLiteral(" http://example.org/cat.png")}, T::NSURLPboardType},
        {"WebAddressAfterAFile", {QStringLiteral("file:///x"), QStringLiteral("https://e.org/c.png")},
            T::NSURLPboardType},
    };
    for (const Row &row : rows) {
        MemoryPasteboard pasteboard(
            {{T::NSTIFFPboardType, png()}, {T::NSURLPboardType, PropertyList::xmlStringArray(row.urls)}});
        ASSERT_TRUE(HBPasteboardHelper::sharedHelper().acceptDrop(&pasteboard)) << row.name;
        EXPECT_EQ(items().last()->mainType()->type(), QString(row.mainType)) << row.name;
    }
}

TEST_F(Intake, FilesBesideTextMakeFileItems)
{
    const QStringList paths = files(2);
    ASSERT_TRUE(drop({{QStringLiteral("text/uri-list"), uriList(paths)},
        {QStringLiteral("text/plain"), paths.join(u'\n').toUtf8()}}));
    const QList<PasteboardItem *> made = items();
    ASSERT_EQ(made.size(), 2);
    EXPECT_EQ(made[0]->mainType()->type(), QString(T::NSFilenamesPboardType));
    EXPECT_EQ(made[1]->title(), QStringLiteral("file 2.txt"));
}

TEST_F(Intake, RefusedDropsCreateNothingAndCallNobody)
{
    struct Row
    {
        const char *name;
        QList<std::pair<QString, QByteArray>> content;
    };
    const Row rows[] = {
        {"NothingAcceptable", {{QStringLiteral("application/x-foo"), "x"}, {QStringLiteral("TARGETS"), "y"}}},
        {"NothingAtAll", {}},
        {"EmptyText", {{T::NSStringPboardType, ""}}},
        {"EmptyFileList", {{T::NSFilenamesPboardType, PropertyList::xmlStringArray({})}}},
        {"UnreadableFileList", {{T::NSFilenamesPboardType, "not a property list"}}},
        {"PromiseWithoutHandler", {{T::NSFilesPromisePboardType, "x"}}},
    };
    for (const Row &row : rows) {
        MemoryPasteboard pasteboard(row.content);
        EXPECT_FALSE(HBPasteboardHelper::sharedHelper().acceptDrop(
            &pasteboard, nullptr, journal.pre(), journal.post()))
            << row.name;
        EXPECT_TRUE(items().isEmpty()) << row.name;
        EXPECT_TRUE(journal.events.isEmpty()) << row.name;
    }
    EXPECT_FALSE(HBPasteboardHelper::sharedHelper().acceptDrop(nullptr));
    // Refusals over real MIME data: an offered but empty text.
    EXPECT_FALSE(drop({{QStringLiteral("text/plain"), ""}}));
    EXPECT_TRUE(items().isEmpty());
}

TEST_F(Intake, OrderCountsTheItemsAlreadyThere)
{
    MemoryPasteboard text({{T::NSStringPboardType, "one"}});
    HBPasteboardHelper &helper = HBPasteboardHelper::sharedHelper();
    ASSERT_TRUE(helper.acceptDrop(&text));
    ASSERT_TRUE(helper.acceptDrop(&text));
    ASSERT_TRUE(helper.addItemsWithFilePaths(files(1)));
    QList<int> orders;
    for (PasteboardItem *item : items())
        orders.append(item->order());
    EXPECT_EQ(orders, (QList<int>{1, 2, 3}));

    // Saved for real: a fresh store connection reads the same items back.
    HBObjectStore::shared()->close();
    ASSERT_TRUE(HBObjectStore::shared()->setup());
    const QList<PasteboardItem *> reread = items();
    ASSERT_EQ(reread.size(), 3);
    EXPECT_EQ(reread[0]->mainType()->type(), QString(T::NSStringPboardType));
    EXPECT_EQ(reread[0]->dataForType(T::NSStringPboardType), QByteArray("one"));
    EXPECT_EQ(reread[2]->title(), QStringLiteral("file 1.txt"));
}

TEST_F(Intake, FallbackPasteboardAnswersWhenTheGivenOneCannot)
{
    MemoryPasteboard itunes({{T::NSStringPboardType, "from the fallback"}});
    fallback = &itunes;
    MemoryPasteboard useless({{QStringLiteral("application/x-foo"), "x"}});
    HBPasteboardHelper &helper = HBPasteboardHelper::sharedHelper();
    EXPECT_TRUE(helper.pasteboardHasDroppableItems(&useless));
    ASSERT_TRUE(helper.acceptDrop(&useless));
    EXPECT_EQ(lookedUp, (QStringList{QStringLiteral("itunes"), QStringLiteral("itunes")}));
    ASSERT_EQ(items().size(), 1);
    EXPECT_EQ(items().first()->dataForType(T::NSStringPboardType), QByteArray("from the fallback"));

    fallback = nullptr;
    EXPECT_FALSE(helper.pasteboardHasDroppableItems(&useless));
    EXPECT_FALSE(helper.pasteboardHasDroppableItems(nullptr));
    MemoryPasteboard good({{T::NSRTFPboardType, "{\\rtf1 x}"}});
    EXPECT_TRUE(helper.pasteboardHasDroppableItems(&good));
}

TEST_F(Intake, PromiseDropsGoToThePromiseHandler)
{
    MemoryPasteboard promise({{T::NSFilesPromisePboardType, "x"}, {T::NSStringPboardType, "ignored"}});
    HBDraggingInfo info(&promise, nullptr);
    const HBDraggingInfo *seen = nullptr;
    HBPasteboardHelper &helper = HBPasteboardHelper::sharedHelper();
    helper.setPromisedFilesHandler(
        [&seen](const HBDraggingInfo *given, const HBPasteboardHelper::ItemCallback &,
            const HBPasteboardHelper::ItemCallback &) {
            seen = given;
            return true;
        });
    EXPECT_TRUE(helper.acceptDrop(&promise, &info));
    EXPECT_EQ(seen, &info);
    EXPECT_TRUE(items().isEmpty());
}

TEST_F(Intake, ClipboardAndSelection)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("copied words"));
    HBPasteboardHelper &helper = HBPasteboardHelper::sharedHelper();
    ASSERT_TRUE(helper.addFromClipboard(QClipboard::Clipboard, journal.pre(), journal.post()));
    ASSERT_EQ(items().size(), 1);
    EXPECT_EQ(items().first()->mainType()->data(), QByteArray("copied words"));
    // The offscreen platform has no primary selection; on X11 the display tests cover it.
    if (!QGuiApplication::clipboard()->supportsSelection()) {
        EXPECT_FALSE(helper.addFromClipboard(QClipboard::Selection));
    }
}

TEST(IntakeTypes, ListsInPriorityAndRegistrationOrder)
{
    EXPECT_EQ(HBPasteboardHelper::acceptedTypes().size(), 13);
    EXPECT_EQ(HBPasteboardHelper::acceptedTypes().first(), QString(T::NSFilenamesPboardType));
    EXPECT_EQ(HBPasteboardHelper::acceptedTypes().last(), QString(T::NSHTMLPboardType));
    EXPECT_EQ(HBPasteboardHelper::shelfDropTypes().size(), 14);
    EXPECT_EQ(HBPasteboardHelper::shelfDropTypes().first(), QString(T::DragIdentifier));
    EXPECT_EQ(HBPasteboardHelper::dropWindowDropTypes().size(), 12);
    EXPECT_FALSE(HBPasteboardHelper::dropWindowDropTypes().contains(T::DragIdentifier));
    EXPECT_FALSE(HBPasteboardHelper::dropWindowDropTypes().contains(T::NSFilesPromisePboardType));
}

TEST(IntakeTypes, FileStrings)
{
    MemoryPasteboard none({{T::NSStringPboardType, "x"}});
    EXPECT_EQ(HBPasteboardHelper::nv_fileStrings(none), std::nullopt);
    MemoryPasteboard urls({{T::NSURLPboardType,
        PropertyList::xmlStringArray({QStringLiteral("  https://a.example/x \n"), QStringLiteral("   "),
            QStringLiteral("file:///b")})}});
    EXPECT_EQ(HBPasteboardHelper::nv_fileStrings(urls),
        (QStringList{QStringLiteral("https://a.example/x"), QStringLiteral("file:///b")}));
}

} // namespace

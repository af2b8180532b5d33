// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasteboardItem.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPaths.h"
#include "PasteboardFile.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "StoreTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>

namespace {

HBObjectContext *mainContext()
{
    return HBObjectStore::shared()->defaultContext();
}

PasteboardType *addType(PasteboardItem *item, const QString &type, const QByteArray &data)
{
    PasteboardType *representation = PasteboardType::create();
    representation->setType(type);
    representation->setData(data);
    item->addTypesObject(representation);
    return representation;
}

} // namespace

using PasteboardItemTest = StoreTest;

TEST_F(PasteboardItemTest, ItemFromFilePaths)
{
    struct Case
    {
        QStringList paths;
        QString title;
    };
    const Case cases[] = {
        {{QStringLiteral("/home/user/Documents/Report 2024.pdf")}, QStringLiteral("Report 2024.pdf")},
        {{QStringLiteral("/home/user/a.txt"), QStringLiteral("/home/user/b.txt")}, QStringLiteral("2 files")},
        {{QStringLiteral("/home/user/Pictures/")}, QStringLiteral("Pictures")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        PasteboardItem *item = PasteboardItem::pasteboardItemWithFilePaths(c.paths);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->managedObjectContext(), mainContext());
        EXPECT_TRUE(item->isInserted());
        EXPECT_EQ(item->title(), c.title);
        EXPECT_FALSE(item->date().isValid());
        EXPECT_EQ(item->order(), 0);
        EXPECT_TRUE(item->files().isEmpty());
        ASSERT_NE(item->mainType(), nullptr);
        EXPECT_EQ(item->types(), QList<PasteboardType *>{item->mainType()});
        EXPECT_EQ(item->mainType()->item(), item);
        EXPECT_EQ(item->mainType()->type(), PasteboardTypes::NSFilenamesPboardType);
        EXPECT_EQ(PropertyList::stringArray(item->mainType()->data()), c.paths);
        EXPECT_TRUE(item->mainType()->data().startsWith("<?xml"));
    }
    ASSERT_TRUE(mainContext()->saveAndWait());
    EXPECT_EQ(mainContext()->countItems(), 3);
}

TEST_F(PasteboardItemTest, CloneCopiesTypeAndDataWithoutItem)
{
    PasteboardItem *item = PasteboardItem::create();
    PasteboardType *original = addType(item, QStringLiteral("NSStringPboardType"), QByteArray("hello"));
    ASSERT_TRUE(mainContext()->saveAndWait());

    PasteboardType *copy = original->clone();
    EXPECT_NE(copy, original);
    EXPECT_EQ(copy->type(), original->type());
    EXPECT_EQ(copy->data(), original->data());
    EXPECT_EQ(copy->item(), nullptr);
    EXPECT_TRUE(copy->isInserted());
    EXPECT_EQ(copy->managedObjectContext(), mainContext());
    copy->setData(QByteArray("changed"));
    EXPECT_EQ(original->data(), QByteArray("hello"));
    EXPECT_EQ(item->types(), QList<PasteboardType *>{original});
}

TEST_F(PasteboardItemTest, ReadsRepresentationsBack)
{
    PasteboardItem *item = PasteboardItem::create();
    addType(item, QStringLiteral("NSStringPboardType"), QByteArray("first \xc3\xa9"));
    addType(item, QStringLiteral("NSStringPboardType"), QByteArray("second"));
    addType(item, QStringLiteral("broken"), QByteArray("\xff\xfe", 2));
    addType(item, QStringLiteral("empty"), QByteArray(""));
    addType(item, PasteboardTypes::NSURLPboardType,
        PropertyList::xmlStringArray({QStringLiteral("https://example.org/a"), QString()}));
    // A main type of its own is not searched: lookups go through types only.
    PasteboardType *main = PasteboardType::create();
    main->setType(QStringLiteral("only-main"));
    main->setData(QByteArray("x"));
    item->setMainType(main);

    EXPECT_EQ(item->dataForType(QStringLiteral("NSStringPboardType")), QByteArray("first \xc3\xa9"));
    EXPECT_EQ(item->stringForType(QStringLiteral("NSStringPboardType")), QStringLiteral("first é"));
    EXPECT_TRUE(item->stringForType(QStringLiteral("broken")).isNull());
    EXPECT_FALSE(item->stringForType(QStringLiteral("empty")).isNull());
    EXPECT_TRUE(item->dataForType(QStringLiteral("only-main")).isNull());
    EXPECT_TRUE(item->stringForType(QStringLiteral("missing")).isNull());
    EXPECT_FALSE(item->propertyListForType(QStringLiteral("missing")).isValid());
    EXPECT_EQ(item->propertyListForType(PasteboardTypes::NSURLPboardType).toList().value(0).toString(),
        QStringLiteral("https://example.org/a"));

    // The same answers after a restart, from the stored rows.
    ASSERT_TRUE(mainContext()->saveAndWait());
    HBObjectStore::shared()->setup();
    PasteboardItem *back = mainContext()->fetchItems().value(0);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->stringForType(QStringLiteral("NSStringPboardType")), QStringLiteral("first é"));
    EXPECT_FALSE(back->stringForType(QStringLiteral("empty")).isNull());
}

TEST_F(PasteboardItemTest, FileListsAndTheirNames)
{
    const auto plist = [](const QStringList &entries) { return PropertyList::xmlStringArray(entries); };
    EXPECT_EQ(PasteboardItem::filesFromData(
                  plist({QStringLiteral(" \t/a/b.txt\t "), QStringLiteral("  "), QStringLiteral("/c\n")})),
        (QStringList{QStringLiteral("/a/b.txt"), QStringLiteral("/c\n")}));
    EXPECT_TRUE(PasteboardItem::filesFromData(QByteArray("not a plist")).isEmpty());

    struct Case
    {
        QByteArray data;
        QString name;
    };
    const Case cases[] = {
        {plist({QStringLiteral("/a/b.txt")}), QStringLiteral("b.txt")},
        {plist({QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")}),
            QStringLiteral("3 files")},
        {plist({QStringLiteral("   ")}), QStringLiteral("0 files")},
        {QByteArray("garbage"), QStringLiteral("0 files")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PasteboardItem::fileNamesFromData(c.data), c.name) << c.data.constData();
}

TEST_F(PasteboardItemTest, TitleFromARepresentation)
{
    PasteboardItem *item = PasteboardItem::create();
    item->updateTitleWithType(
        PasteboardTypes::NSFilenamesPboardType, PropertyList::xmlStringArray({QStringLiteral("/x/y.png")}));
    EXPECT_EQ(item->title(), QStringLiteral("y.png"));
    item->updateTitleWithType(PasteboardTypes::NSTIFFPboardType, QByteArray("II*"));
    EXPECT_EQ(item->title(), QStringLiteral("File"));
}

TEST_F(PasteboardItemTest, PreviewShowsTheItemsFile)
{
    PasteboardItem *item = PasteboardItem::create();
    item->setTitle(QStringLiteral("Shown"));
    EXPECT_EQ(item->previewFile(), nullptr);
    EXPECT_TRUE(item->previewItemURL().isEmpty());
    PasteboardFile *file = PasteboardFile::create();
    file->setPath(QStringLiteral("/home/user/a b#.txt"));
    item->addFilesObject(file);
    EXPECT_EQ(item->previewFile(), file);
    EXPECT_EQ(item->previewItemURL(), QUrl::fromLocalFile(QStringLiteral("/home/user/a b#.txt")));
    EXPECT_EQ(item->previewItemTitle(), QStringLiteral("Shown"));
}

TEST_F(PasteboardItemTest, LoadsItsSavedThumbnailWhenFetched)
{
    const QString thumbnail = HBPaths::thumbnailsDirectory() + QStringLiteral("/t.png");
    QImage image(32, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(thumbnail));
    PasteboardItem::create()->setImagePath(thumbnail);
    PasteboardItem::create()->setImagePath(QStringLiteral("/no/such/thumbnail.png"));
    ASSERT_TRUE(mainContext()->saveAndWait());

    HBObjectStore::shared()->setup();
    const QList<PasteboardItem *> items = mainContext()->fetchItems();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items.at(0)->iconImage().size(), QSize(32, 16));
    EXPECT_TRUE(items.at(1)->iconImage().isNull());
}

// Deleting an item removes the program's files and thumbnail from disk (unless told to
// leave them), a file's folder only when nothing else is left in it, and never the
// user's own files.
struct DeletionCase
{
    const char *name;
    bool ignoreFiles;
    bool removable;
    const char *neighbour; // another entry in the file's folder, or nullptr
    bool fileRemains;
    bool folderRemains;
    bool thumbnailRemains;
};

class ItemDeletionTest : public StoreTest, public ::testing::WithParamInterface<DeletionCase>
{
};

TEST_P(ItemDeletionTest, RemovesFilesByTheRules)
{
    const DeletionCase &c = GetParam();
    const QString folder = HBPaths::storageDirectory() + QStringLiteral("/F1");
    const QString path = folder + QStringLiteral("/note.txt");
    const QString thumbnail = HBPaths::thumbnailsDirectory() + QStringLiteral("/thumb.png");
    ASSERT_TRUE(TestSupport::writeFile(path, "note"));
    ASSERT_TRUE(TestSupport::writeFile(thumbnail, "png"));
    if (c.neighbour) {
        ASSERT_TRUE(TestSupport::writeFile(folder + u'/' + QString::fromLatin1(c.neighbour), "x"));
    }

    PasteboardItem *item = PasteboardItem::create();
    item->setImagePath(thumbnail);
    PasteboardFile *file = PasteboardFile::create();
    file->setPath(path);
    file->setIsRemovable(c.removable);
    item->addFilesObject(file);
    ASSERT_TRUE(mainContext()->saveAndWait());

    EXPECT_TRUE(item->deleteEntityIgnoringFiles(c.ignoreFiles));
    ASSERT_TRUE(mainContext()->saveAndWait());
    EXPECT_EQ(mainContext()->countItems(), 0);
    EXPECT_EQ(mainContext()->countForFetchRequest(PasteboardFile::fetchRequest()), 0);

    EXPECT_EQ(QFile::exists(path), c.fileRemains);
    EXPECT_EQ(QDir(folder).exists(), c.folderRemains);
    EXPECT_EQ(QFile::exists(thumbnail), c.thumbnailRemains);
    EXPECT_TRUE(QDir(HBPaths::applicationSupportDirectory() + QStringLiteral("/Kelvora Files")).exists());
}

INSTANTIATE_TEST_SUITE_P(Store, ItemDeletionTest,
    ::testing::Values(DeletionCase{"RemovableAlone", false, true, nullptr, false, false, false},
        DeletionCase{"RemovableWithNeighbour", false, true, "other.txt", false, true, false},
        DeletionCase{"RemovableWithHiddenNeighbour", false, true, ".hidden", false, true, false},
        DeletionCase{"UsersOwnFile", false, false, nullptr, true, true, false},
        DeletionCase{"IgnoringFiles", true, true, nullptr, true, true, true}),
    [](const ::testing::TestParamInfo<DeletionCase> &row) { return std::string(row.param.name); });

TEST_F(PasteboardItemTest, DeletionSurvivesMissingFiles)
{
    PasteboardItem *item = PasteboardItem::create();
    item->setImagePath(QStringLiteral("/no/such/thumb.png"));
    PasteboardFile *file = PasteboardFile::create();
    file->setPath(QStringLiteral("/no/such/folder/file.txt"));
    item->addFilesObject(file);
    item->addFilesObject(PasteboardFile::create()); // no path at all
    EXPECT_TRUE(item->deleteEntity());
    EXPECT_FALSE(item->deleteEntity()) << "already deleted";
    EXPECT_TRUE(mainContext()->saveAndWait());
    EXPECT_EQ(mainContext()->countItems(), 0);
}

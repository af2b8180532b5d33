// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBFileManager.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPaths.h"
#include "PasteboardFile.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "TestHttpServer.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace T = PasteboardTypes;

namespace {

using Rows = QList<std::pair<QString, QByteArray>>;

HBObjectContext *mainContext()
{
    return HBObjectStore::shared()->defaultContext();
}

/// An item as the intake makes it: a main representation of its own, every offered type
/// in its types, a title; saved.
PasteboardItem *makeItem(const QString &title, const QString &mainType, const Rows &rows)
{
    PasteboardItem *item = PasteboardItem::create();
    item->setTitle(title);
    for (const auto &[type, data] : rows) {
        PasteboardType *row = PasteboardType::create();
        row->setType(type);
        row->setData(data);
        item->addTypesObject(row);
        if (type == mainType) {
            PasteboardType *main = row->clone();
            item->setMainType(main);
        }
    }
    item->setIconIsPending(true);
    EXPECT_TRUE(mainContext()->saveAndWait());
    return item;
}

/// Queues the item and waits for its completion.
void materialise(PasteboardItem *item)
{
    bool done = false;
    HBFileManager::sharedManager().makeFileForItemIfNeeded(item, nullptr, [&done] { done = true; });
    ASSERT_TRUE(TestSupport::waitUntil([&] { return done; }));
}

QStringList filePaths(const PasteboardItem *item)
{
    QStringList paths;
    for (const PasteboardFile *file : item->files())
        paths.append(file->path());
    return paths;
}

/// Every entry below the storage folder, relative to it.
QStringList storageEntries()
{
    const QString base = HBFileManager::basePath();
    QStringList entries;
    QDirIterator it(
        base, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries.append(it.next().mid(base.size() + 1));
    entries.sort();
    return entries;
}

QByteArray encodedImage(const char *format)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

const QRegularExpression kUuid(
    QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));

class HBFileManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(HBObjectStore::shared()->setup());
        QObject::connect(HBNotificationCenter::defaultCenter(), &HBNotificationCenter::posted, &m_guard,
            [this](const QString &name, QObject *object) {
                if (name == HBNotifications::IconChanged)
                    m_iconChanged.append(object);
            });
    }
    void TearDown() override { HBObjectStore::shared()->close(); }

    QObject m_guard;
    QList<QObject *> m_iconChanged;
};

} // namespace

TEST_F(HBFileManagerTest, TextItemBecomesAUuidNamedFileInItsOwnFolder)
{
    PasteboardItem *item = makeItem(QStringLiteral("Shopping list"), T::NSStringPboardType,
        {{T::NSStringPboardType, "milk\neggs"}, {QStringLiteral("text/plain"), "milk\neggs"}});
    const int rowsBefore = mainContext()->countForFetchRequest(PasteboardType::fetchRequest());
    materialise(item);

    ASSERT_EQ(item->files().size(), 1);
    const PasteboardFile *file = item->files().first();
    const QFileInfo info(file->path());
    EXPECT_EQ(info.absolutePath(), HBFileManager::basePath() + u'/' + info.dir().dirName());
    EXPECT_TRUE(kUuid.match(info.dir().dirName()).hasMatch()) << qPrintable(file->path());
    EXPECT_TRUE(kUuid.match(info.completeBaseName()).hasMatch()) << qPrintable(file->path());
    EXPECT_NE(info.completeBaseName(), info.dir().dirName());
    EXPECT_EQ(info.suffix(), QStringLiteral("txt"));
    EXPECT_EQ(TestSupport::readFile(file->path()), "milk\neggs");
    EXPECT_TRUE(file->isRemovable());
    EXPECT_TRUE(file->bookmarkData().isEmpty());

    // The item's main representation is now its file.
    ASSERT_TRUE(item->mainType());
    EXPECT_EQ(item->mainType()->type(), T::NSFilenamesPboardType);
    EXPECT_EQ(PropertyList::stringArray(item->mainType()->data()), QStringList{file->path()});
    EXPECT_TRUE(HBFileManager::itemHasFileURL(item));
    EXPECT_EQ(item->title(), QStringLiteral("Shopping list"));
    EXPECT_FALSE(item->iconIsPending());
    EXPECT_TRUE(m_iconChanged.contains(item));
    // One file-list row joined the types; the replaced main representation left the store.
    EXPECT_EQ(mainContext()->countForFetchRequest(PasteboardType::fetchRequest()), rowsBefore);

    // All of it was saved, not only merged.
    const QList<PasteboardFile *> stored
        = HBObjectStore::shared()->newContext()->fetchFilesWithPath(file->path());
    EXPECT_EQ(stored.size(), 1);
}

TEST_F(HBFileManagerTest, WrittenRepresentationsAndTheirNames)
{
    struct Case
    {
        const char *name;
        QString type;
        QString title;
        QString expected; ///< empty: a UUID name with `extension`
        QString extension;
    };
    const QString longTitle = QString(300, QChar(0x00e9)); // 600 bytes in UTF-8
    const Case cases[] = {
        {"HTML by title", T::NSHTMLPboardType, QStringLiteral("a/b:c?"), QStringLiteral("ab:c.html"), {}},
        {"PDF not doubled", T::NSPDFPboardType, QStringLiteral("report.pdf"), QStringLiteral("report.pdf"),
            {}},
        {"PDF gets its extension", T::NSPDFPboardType, QStringLiteral("report"), QStringLiteral("report.pdf"),
            {}},
        {"forbidden characters and line feeds", T::NSHTMLPboardType, QStringLiteral("x\\y%z*|\"<>\nw"),
            QStringLiteral("xyzw.html"), {}},
        {"nothing left of the title", T::NSHTMLPboardType, QStringLiteral("/?*"), {}, QStringLiteral("html")},
        {"rich text by UUID", T::NSRTFPboardType, QStringLiteral("Letter"), {}, QStringLiteral("rtf")},
        {"colour by UUID", T::NSColorPboardType, QStringLiteral("Red"), {}, QStringLiteral("txt")},
        {"long title cut to 255 bytes in whole characters", T::NSHTMLPboardType, longTitle,
            QString(125, QChar(0x00e9)) + u".html", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray content = QByteArray("content of ") + c.name;
        PasteboardItem *item = makeItem(c.title, c.type, {{c.type, content}});
        materialise(item);
        ASSERT_EQ(item->files().size(), 1);
        const QFileInfo info(item->files().first()->path());
        if (c.expected.isEmpty()) {
            EXPECT_TRUE(kUuid.match(info.completeBaseName()).hasMatch()) << qPrintable(info.fileName());
            EXPECT_EQ(info.suffix(), c.extension);
        } else {
            EXPECT_EQ(info.fileName(), c.expected);
        }
        EXPECT_EQ(TestSupport::readFile(info.filePath()), content);
        EXPECT_EQ(item->title(), c.title);
    }
}

TEST_F(HBFileManagerTest, PicturesByTypePriority)
{
    const QByteArray png = encodedImage("PNG");
    const QByteArray jpeg = encodedImage("JPEG");
    const QByteArray tiff = encodedImage("TIFF");
    struct Case
    {
        const char *name;
        Rows rows;
        QString extension;
        QByteArray written;
    };
    const Case cases[] = {
        {"PNG over TIFF", {{QStringLiteral("image/tiff"), tiff}, {QStringLiteral("image/png"), png}}, "png",
            png},
        {"JPEG first", {{QStringLiteral("image/png"), png}, {QStringLiteral("image/jpeg"), jpeg}}, "jpg",
            jpeg},
        {"encoded bytes named by their format", {{T::NSTIFFPboardType, jpeg}}, "jpg", jpeg},
        {"unknown bytes stay TIFF", {{T::NSTIFFPboardType, "not a picture"}}, "tiff", "not a picture"},
        {"named type before encoded bytes", {{T::NSTIFFPboardType, jpeg}, {QStringLiteral("image/png"), png}},
            "png", png},
        {"promised content type decides",
            {{QStringLiteral("image/png"), png},
                {QStringLiteral("com.apple.pasteboard.promised-file-content-type"), "public.jpeg"}},
            "jpg", png},
        {"picture before text", {{T::NSStringPboardType, "caption"}, {T::NSTIFFPboardType, png}}, "png", png},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PasteboardItem *item = makeItem(QStringLiteral("Holiday"), T::NSTIFFPboardType, c.rows);
        materialise(item);
        ASSERT_EQ(item->files().size(), 1);
        const QFileInfo info(item->files().first()->path());
        EXPECT_EQ(info.fileName(), QStringLiteral("Holiday.") + c.extension);
        EXPECT_EQ(TestSupport::readFile(info.filePath()), c.written);
        EXPECT_EQ(item->mainType()->type(), T::NSFilenamesPboardType);
    }
}

TEST_F(HBFileManagerTest, WebLinkWithAPromiseBecomesAWebLocationFile)
{
    const QByteArray links
        = PropertyList::toXml(QVariantList{QVariantList{QStringLiteral("https://example.org/page")},
            QVariantList{QStringLiteral("Example: a page")}});
    const Rows rows
        = {{T::WebURLsWithTitlesPboardType, links}, {T::NSStringPboardType, "https://example.org/page"}};

    Rows promised = rows;
    promised.append({T::NSFilesPromisePboardType, PropertyList::xmlStringArray({QStringLiteral("webloc")})});
    PasteboardItem *withPromise
        = makeItem(QStringLiteral("Example: a page"), T::WebURLsWithTitlesPboardType, promised);
    materialise(withPromise);
    ASSERT_EQ(withPromise->files().size(), 1);
    const QString path = withPromise->files().first()->path();
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("Example: a page.webloc"));
    const QVariantMap location = PropertyList::fromData(TestSupport::readFile(path)).toMap();
    EXPECT_EQ(location.value(QStringLiteral("URL")).toString(), QStringLiteral("https://example.org/page"));
    EXPECT_EQ(location.value(QStringLiteral("urlName")).toString(), QStringLiteral("Example: a page"));
    EXPECT_EQ(location.size(), 2);

    // Without the promise the link is kept as its text.
    PasteboardItem *plain = makeItem(QStringLiteral("Example: a page"), T::WebURLsWithTitlesPboardType, rows);
    materialise(plain);
    ASSERT_EQ(plain->files().size(), 1);
    EXPECT_EQ(QFileInfo(plain->files().first()->path()).suffix(), QStringLiteral("txt"));
    EXPECT_EQ(TestSupport::readFile(plain->files().first()->path()), "https://example.org/page");

    // Links without titles give no file, and nothing else is tried.
    promised[0].second
        = PropertyList::toXml(QVariantList{QVariantList{QStringLiteral("https://example.org/")}});
    PasteboardItem *untitled = makeItem(QStringLiteral("x"), T::WebURLsWithTitlesPboardType, promised);
    materialise(untitled);
    EXPECT_TRUE(untitled->files().isEmpty());
    EXPECT_FALSE(untitled->iconIsPending());
}

TEST_F(HBFileManagerTest, DroppedFilesAreReferencedWhereTheyAre)
{
    const QString folder = TestSupport::home() + QStringLiteral("/Documents");
    const QString target = folder + QStringLiteral("/notes.txt");
    const QString other = folder + QStringLiteral("/other.txt");
    const QString link = folder + QStringLiteral("/link to notes");
    ASSERT_TRUE(TestSupport::writeFile(target, "notes"));
    ASSERT_TRUE(TestSupport::writeFile(other, "other"));
    ASSERT_TRUE(QFile::link(target, link));

    // A dropped symbolic link: recorded as its target, every file representation follows.
    PasteboardItem *item = makeItem(QStringLiteral("link to notes"), T::NSFilenamesPboardType,
        {{T::NSFilenamesPboardType, PropertyList::xmlStringArray({link})},
            {T::PublicFileURL, QUrl::fromLocalFile(link).toEncoded()},
            {T::NSURLPboardType, PropertyList::xmlStringArray({QUrl::fromLocalFile(link).toString()})},
            {T::NSStringPboardType, link.toUtf8()}});
    materialise(item);
    ASSERT_EQ(item->files().size(), 1);
    const PasteboardFile *file = item->files().first();
    EXPECT_EQ(file->path(), target);
    EXPECT_TRUE(file->isAlias());
    EXPECT_FALSE(file->isRemovable());
    EXPECT_FALSE(file->bookmarkData().isEmpty());
    EXPECT_EQ(PropertyList::stringArray(item->dataForType(T::NSFilenamesPboardType)), QStringList{target});
    EXPECT_EQ(PropertyList::stringArray(item->dataForType(T::NSURLPboardType)), QStringList{target});
    EXPECT_EQ(item->dataForType(T::PublicFileURL), QUrl::fromLocalFile(target).toEncoded());
    EXPECT_EQ(item->mainType()->type(), T::NSFilenamesPboardType);
    EXPECT_EQ(item->dataForType(T::NSStringPboardType), link.toUtf8());
    EXPECT_EQ(item->title(), QStringLiteral("link to notes"));
    EXPECT_TRUE(storageEntries().isEmpty());

    // Several files: each is recorded; the link's entry changes, the others stay listed.
    PasteboardItem *several = makeItem(QStringLiteral("2 files"), T::NSFilenamesPboardType,
        {{T::NSFilenamesPboardType, PropertyList::xmlStringArray({other, link})}});
    materialise(several);
    EXPECT_EQ(filePaths(several), (QStringList{other, target}));
    EXPECT_EQ(PropertyList::stringArray(several->dataForType(T::NSFilenamesPboardType)),
        (QStringList{other, target}));
}

TEST_F(HBFileManagerTest, FailedWriteRecordsNothing)
{
    // The storage folder's place is taken by a plain file: no folder can be made in it.
    const QString base = HBPaths::storageDirectory();
    QDir(base).removeRecursively();
    ASSERT_TRUE(TestSupport::writeFile(base, "in the way"));

    PasteboardItem *item
        = makeItem(QStringLiteral("Note"), T::NSStringPboardType, {{T::NSStringPboardType, "text"}});
    const QByteArray mainData = item->mainType()->data();
    materialise(item);
    EXPECT_TRUE(item->files().isEmpty());
    EXPECT_EQ(item->mainType()->type(), T::NSStringPboardType);
    EXPECT_EQ(item->mainType()->data(), mainData);
    EXPECT_FALSE(item->iconIsPending());
    EXPECT_TRUE(m_iconChanged.contains(item));
    EXPECT_EQ(TestSupport::readFile(base), "in the way");
}

TEST_F(HBFileManagerTest, CleanupRemovesOnlyUnreferencedFiles)
{
    const QString base = HBFileManager::basePath();
    PasteboardItem *kept
        = makeItem(QStringLiteral("kept"), T::NSStringPboardType, {{T::NSStringPboardType, "kept"}});
    materialise(kept);
    ASSERT_EQ(kept->files().size(), 1);
    const QString keptPath = kept->files().first()->path();
    const QString keptFolder = QFileInfo(keptPath).absolutePath();

    // A recorded folder (as a promised drop leaves one) keeps everything inside it.
    const QString bundle = base + QStringLiteral("/B0000000-0000-0000-0000-000000000000/Pictures.album");
    ASSERT_TRUE(TestSupport::writeFile(bundle + QStringLiteral("/inside/one.png"), "one"));
    PasteboardItem *album = PasteboardItem::pasteboardItemWithFilePaths({bundle});
    PasteboardFile *record = PasteboardFile::create();
    record->setPath(bundle);
    album->addFilesObject(record);
    ASSERT_TRUE(mainContext()->saveAndWait());

    const QString strayFolder = base + QStringLiteral("/A0000000-0000-0000-0000-000000000000");
    ASSERT_TRUE(TestSupport::writeFile(strayFolder + QStringLiteral("/stray.txt"), "stray"));
    ASSERT_TRUE(TestSupport::writeFile(keptFolder + QStringLiteral("/stray beside.txt"), "stray"));
    const QStringList hidden = {QStringLiteral(".DS_Store"), QStringLiteral(".cache/leftover.txt"),
        QStringLiteral("C0000000-0000-0000-0000-000000000000/.hidden")};
    for (const QString &path : hidden)
        ASSERT_TRUE(TestSupport::writeFile(base + u'/' + path, "hidden"));

    bool done = false;
    HBFileManager::sharedManager().cleanup([&done] { done = true; });
    ASSERT_TRUE(TestSupport::waitUntil([&] { return done; }));

    EXPECT_FALSE(QFileInfo::exists(strayFolder)) << "an unreferenced file's empty folder goes with it";
    EXPECT_FALSE(QFileInfo::exists(keptFolder + QStringLiteral("/stray beside.txt")));
    EXPECT_TRUE(QFileInfo::exists(keptPath));
    EXPECT_TRUE(QFileInfo::exists(bundle + QStringLiteral("/inside/one.png")));
    for (const QString &path : hidden)
        EXPECT_TRUE(QFileInfo::exists(base + u'/' + path)) << qPrintable(path);
}

TEST_F(HBFileManagerTest, CleanupDoesNothingWithoutAReadableStore)
{
    const QString stray
        = HBFileManager::basePath() + QStringLiteral("/A0000000-0000-0000-0000-000000000000/a.txt");
    ASSERT_TRUE(TestSupport::writeFile(stray, "stray"));
    // A store file that can't be used: the store runs in memory and knows no files.
    HBObjectStore::shared()->close();
    const QString broken = TestSupport::home() + QStringLiteral("/broken.sqlite");
    ASSERT_TRUE(TestSupport::writeFile(broken, QByteArray(4096, 'x')));
    EXPECT_FALSE(HBObjectStore::shared()->setup(broken));

    bool done = false;
    HBFileManager::sharedManager().cleanup([&done] { done = true; });
    ASSERT_TRUE(TestSupport::waitUntil([&] { return done; }));
    EXPECT_TRUE(QFileInfo::exists(stray));
}

TEST_F(HBFileManagerTest, MaterialisationRunsInOrderAndNeverBesideACleanup)
{
    // Clean-ups queued between materialisations: had one run while a file was written but
    // not yet recorded, that file would be gone.
    constexpr int count = 30;
    QList<PasteboardItem *> items;
    QList<int> completed;
    for (int i = 0; i < count; ++i) {
        items.append(makeItem(
            QString::number(i), T::NSHTMLPboardType, {{T::NSHTMLPboardType, QByteArray::number(i)}}));
        HBFileManager::sharedManager().makeFileForItemIfNeeded(
            items.last(), nullptr, [&completed, i] { completed.append(i); });
        HBFileManager::sharedManager().cleanup();
    }
    ASSERT_TRUE(TestSupport::waitUntil([&] { return completed.size() == count; }, std::chrono::seconds(20)));
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(completed.at(i), i);
        ASSERT_EQ(items.at(i)->files().size(), 1) << i;
        EXPECT_EQ(TestSupport::readFile(items.at(i)->files().first()->path()), QByteArray::number(i));
    }
}

TEST_F(HBFileManagerTest, LinkTargetsAreDownloaded)
{
    TestHttpServer server;
    ASSERT_TRUE(server.listen());
    const QByteArray picture = encodedImage("PNG");
    server.respond(QStringLiteral("/images/cat.png"), 200, picture, "image/png");
    server.respond(QStringLiteral("/gone.png"), 404, "<html>gone</html>", "text/html");
    const QString local = TestSupport::home() + QStringLiteral("/local file.pdf");
    ASSERT_TRUE(TestSupport::writeFile(local, "%PDF local"));

    struct Case
    {
        const char *name;
        QString link;
        QString fileName; ///< empty: no file
        QByteArray content;
    };
    const Case cases[] = {
        {"http", server.url(QStringLiteral("/images/cat.png")).toString(), QStringLiteral("Cat.png"),
            picture},
        {"not found", server.url(QStringLiteral("/gone.png")).toString(), {}, {}},
        {"file URL", QUrl::fromLocalFile(local).toString(), QStringLiteral("Cat.pdf"), "%PDF local"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_iconChanged.clear();
        const QStringList entriesBefore = storageEntries();
        PasteboardItem *item = makeItem(QStringLiteral("Cat"), T::NSURLPboardType,
            {{T::NSURLPboardType, PropertyList::xmlStringArray({c.link})},
                {T::NSFilesPromisePboardType, PropertyList::xmlStringArray({QStringLiteral("png")})}});
        materialise(item);
        // The download ends with a second change of the item's picture.
        ASSERT_TRUE(TestSupport::waitUntil([&] { return m_iconChanged.count(item) >= 2; }));
        EXPECT_FALSE(item->iconIsPending());
        if (c.fileName.isEmpty()) {
            EXPECT_TRUE(item->files().isEmpty());
            EXPECT_EQ(storageEntries(), entriesBefore) << "nothing left behind";
            continue;
        }
        ASSERT_EQ(item->files().size(), 1);
        const QString path = item->files().first()->path();
        EXPECT_EQ(QFileInfo(path).fileName(), c.fileName);
        EXPECT_EQ(TestSupport::readFile(path), c.content);
        EXPECT_EQ(item->mainType()->type(), T::NSFilenamesPboardType);
        EXPECT_EQ(PropertyList::stringArray(item->dataForType(T::NSURLPboardType)), QStringList{path});
    }
    EXPECT_TRUE(TestSupport::waitUntil([] { return !HBFileManager::sharedManager().downloadRequest(); }));
}

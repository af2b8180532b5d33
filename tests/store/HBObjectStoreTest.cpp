// SPDX-License-Identifier: GPL-3.0-or-later
#include "HBObjectStore.h"
#include "HBObjectContext.h"
#include "HBPaths.h"
#include "PasteboardFile.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "StoreTestSupport.h"
#include "TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QThread>

#include <sqlite3.h>

#include <atomic>
#include <memory>

using StoreTestSupport::queryFile;

namespace {

HBObjectContext *mainContext()
{
    return HBObjectStore::shared()->defaultContext();
}

PasteboardItem *makeItem(const QString &title, int order, const QDateTime &date = {})
{
    PasteboardItem *item = PasteboardItem::create();
    item->setTitle(title);
    item->setOrder(order);
    item->setDate(date);
    return item;
}

QStringList titles(const QList<PasteboardItem *> &items)
{
    QStringList result;
    for (const PasteboardItem *item : items)
        result.append(item->title());
    return result;
}

// Runs `work` on a thread of its own and spins the main event loop until it is done, so
// that whatever the thread queues to the main thread is delivered meanwhile.
void runOnWorker(const std::function<void()> &work)
{
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return thread->isFinished(); }));
    thread->wait();
}

} // namespace

using ObjectStoreTest = StoreTest;

// The shelf's order: `order` ascending, then `date` descending; an item without a date
// comes after the dated ones of its order. Checked on unsaved objects (sorted in memory) and
// on stored rows read by a fresh context (sorted by SQLite): both must agree.
TEST_F(ObjectStoreTest, ListsItemsByOrderThenNewestFirst)
{
    const QDateTime d1 = QDateTime::fromMSecsSinceEpoch(1'000'000, Qt::UTC);
    const QDateTime d2 = d1.addSecs(60);
    makeItem(QStringLiteral("order2"), 2, d2);
    makeItem(QStringLiteral("order1/d1"), 1, d1);
    makeItem(QStringLiteral("order1/nil"), 1);
    makeItem(QStringLiteral("order0"), 0, d1);
    makeItem(QStringLiteral("order1/d2"), 1, d2);
    const QStringList expected{QStringLiteral("order0"), QStringLiteral("order1/d2"),
        QStringLiteral("order1/d1"), QStringLiteral("order1/nil"), QStringLiteral("order2")};

    EXPECT_EQ(titles(mainContext()->fetchItems()), expected) << "unsaved, in the main context";
    ASSERT_TRUE(mainContext()->saveAndWait());
    EXPECT_EQ(titles(mainContext()->fetchItems()), expected) << "saved, in the main context";
    auto fresh = HBObjectStore::shared()->newContext();
    EXPECT_EQ(titles(fresh->fetchItems()), expected) << "saved, read by a fresh context";

    // A saved item moved by an unsaved change sorts by its new place.
    mainContext()->fetchItems().constLast()->setOrder(-1);
    EXPECT_EQ(titles(mainContext()->fetchItems()).first(), QStringLiteral("order2"));
}

TEST_F(ObjectStoreTest, FetchAndCountIncludeUnsavedInsertsAndSkipDeletions)
{
    HBObjectContext *context = mainContext();
    PasteboardItem *saved = makeItem(QStringLiteral("saved"), 0);
    ASSERT_TRUE(context->saveAndWait());
    EXPECT_EQ(context->countItems(), 1);

    PasteboardItem *fresh = makeItem(QStringLiteral("fresh"), 1);
    EXPECT_EQ(context->countItems(), 2);
    EXPECT_EQ(context->fetchItems(), (QList<PasteboardItem *>{saved, fresh}));
    EXPECT_EQ(context->countItems(), 2);
    // Nothing of the unsaved insert is in the file yet.
    EXPECT_EQ(
        queryFile(HBPaths::storeFile(), QStringLiteral("SELECT count(*) FROM PasteboardItem")).toInt(), 1);

    ASSERT_TRUE(context->deleteObject(saved));
    EXPECT_FALSE(context->deleteObject(saved));
    EXPECT_EQ(context->countItems(), 1);
    EXPECT_EQ(context->fetchItems(), QList<PasteboardItem *>{fresh});

    // An object that was never saved leaves without a trace.
    ASSERT_TRUE(context->deleteObject(fresh));
    EXPECT_EQ(context->countItems(), 0);
    ASSERT_TRUE(context->saveAndWait());
    EXPECT_FALSE(context->hasChanges());
    EXPECT_EQ(
        queryFile(HBPaths::storeFile(), QStringLiteral("SELECT count(*) FROM PasteboardItem")).toInt(), 0);
}

TEST_F(ObjectStoreTest, KeepsOneObjectPerRowWithItsMemoryState)
{
    PasteboardItem *item = makeItem(QStringLiteral("one"), 0);
    ASSERT_TRUE(mainContext()->saveAndWait());
    item->setIconIsPending(true);
    const HBObjectID id = item->objectID();
    EXPECT_FALSE(id.isTemporary());

    EXPECT_EQ(mainContext()->fetchItems(), QList<PasteboardItem *>{item});
    EXPECT_EQ(mainContext()->objectWithID<PasteboardItem>(id), item);
    EXPECT_TRUE(mainContext()->fetchItems().first()->iconIsPending());
    // Another context has its own object for the row.
    auto other = HBObjectStore::shared()->newContext();
    PasteboardItem *copy = other->objectWithID<PasteboardItem>(id);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, item);
    EXPECT_EQ(copy->title(), QStringLiteral("one"));
    EXPECT_EQ(other->objectWithID({HBEntity::Item, id.rowId + 100}), nullptr);
}

// Everything saved comes back after a restart, in tables and columns that the sqlite3 tool
// reads by the entities' names.
TEST_F(ObjectStoreTest, ReadsBackWhatWasSavedAfterRestart)
{
    const QDateTime date = QDateTime::fromMSecsSinceEpoch(1'765'432'100'123, Qt::UTC);
    PasteboardItem *item = makeItem(QStringLiteral("Report.pdf"), 40000, date);
    item->setImagePath(QStringLiteral("/thumbs/a.png"));
    PasteboardType *main = PasteboardType::create();
    main->setType(QStringLiteral("NSPDFPboardType"));
    main->setData(QByteArray("%PDF-1.4", 8));
    item->setMainType(main);
    for (const char *name : {"NSStringPboardType", "public.file-url"}) {
        PasteboardType *type = PasteboardType::create();
        type->setType(QString::fromLatin1(name));
        type->setData(QByteArray(""));
        item->addTypesObject(type);
    }
    PasteboardFile *file = PasteboardFile::create();
    file->setPath(QStringLiteral("/home/user/Report.pdf"));
    file->setIsRemovable(false);
    file->setBookmarkData(QByteArray("\x01\x00\x02", 3));
    item->addFilesObject(file);
    EXPECT_EQ(item->order(), 32767) << "16-bit order saturates";
    ASSERT_TRUE(mainContext()->saveAndWait());

    HBObjectStore::shared()->close();
    const QString file_ = HBPaths::storeFile();
    EXPECT_EQ(queryFile(file_, QStringLiteral("PRAGMA user_version")).toInt(), 1);
    EXPECT_EQ(queryFile(file_, QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    EXPECT_EQ(
        queryFile(file_, QStringLiteral("SELECT title || ' ' || \"order\" FROM PasteboardItem")).toString(),
        QStringLiteral("Report.pdf 32767"));
    EXPECT_EQ(queryFile(file_,
                  QStringLiteral("SELECT count(*) FROM PasteboardType t JOIN PasteboardItem i "
                                 "ON t.item = i.id OR t.id = i.mainType"))
                  .toInt(),
        3);
    EXPECT_EQ(
        queryFile(file_, QStringLiteral("SELECT path FROM PasteboardFile WHERE isRemovable = 0")).toString(),
        QStringLiteral("/home/user/Report.pdf"));

    ASSERT_TRUE(HBObjectStore::shared()->setup());
    const QList<PasteboardItem *> items = mainContext()->fetchItems();
    ASSERT_EQ(items.size(), 1);
    PasteboardItem *back = items.first();
    EXPECT_EQ(back->title(), QStringLiteral("Report.pdf"));
    EXPECT_EQ(back->date(), date);
    EXPECT_EQ(back->order(), 32767);
    EXPECT_EQ(back->imagePath(), QStringLiteral("/thumbs/a.png"));
    EXPECT_TRUE(back->path().isNull());
    ASSERT_NE(back->mainType(), nullptr);
    EXPECT_EQ(back->mainType()->type(), QStringLiteral("NSPDFPboardType"));
    EXPECT_EQ(back->mainType()->data(), QByteArray("%PDF-1.4"));
    EXPECT_EQ(back->mainType()->item(), nullptr) << "a main type of its own is not one of the types";
    ASSERT_EQ(back->types().size(), 2);
    EXPECT_EQ(back->types().at(0)->type(), QStringLiteral("NSStringPboardType"));
    EXPECT_EQ(back->types().at(1)->item(), back);
    EXPECT_FALSE(back->types().at(1)->data().isNull()) << "empty data is kept as data";
    ASSERT_EQ(back->files().size(), 1);
    PasteboardFile *fileBack = back->files().first();
    EXPECT_EQ(fileBack->path(), QStringLiteral("/home/user/Report.pdf"));
    EXPECT_FALSE(fileBack->isRemovable());
    EXPECT_FALSE(fileBack->isAlias());
    EXPECT_EQ(fileBack->bookmarkData(), QByteArray("\x01\x00\x02", 3));
    EXPECT_EQ(fileBack->item(), back);
}

TEST_F(ObjectStoreTest, NewRecordsTakeTheModelDefaults)
{
    PasteboardFile *file = PasteboardFile::create();
    EXPECT_TRUE(file->isRemovable());
    EXPECT_FALSE(file->isAlias());
    EXPECT_TRUE(file->isInserted());
    PasteboardItem *item = PasteboardItem::create();
    EXPECT_EQ(item->order(), 0);
    EXPECT_FALSE(item->date().isValid());
    EXPECT_TRUE(item->types().isEmpty());
    EXPECT_EQ(item->mainType(), nullptr);
}

// Deleting an item takes its representations (its types and a main type of its own) and
// its file records with it, in memory and in the file.
TEST_F(ObjectStoreTest, DeletingAnItemDeletesWhatItOwns)
{
    PasteboardItem *keep = makeItem(QStringLiteral("keep"), 0);
    PasteboardType *keptType = PasteboardType::create();
    keep->addTypesObject(keptType);
    PasteboardItem *gone = makeItem(QStringLiteral("gone"), 1);
    gone->setMainType(PasteboardType::create());
    gone->addTypesObject(PasteboardType::create());
    gone->addFilesObject(PasteboardFile::create());
    ASSERT_TRUE(mainContext()->saveAndWait());

    // Delete through a context that has not read the relationships yet.
    HBObjectStore::shared()->setup();
    PasteboardItem *loaded = mainContext()->fetchItems().last();
    ASSERT_EQ(loaded->title(), QStringLiteral("gone"));
    ASSERT_TRUE(loaded->deleteEntityIgnoringFiles(true));
    EXPECT_TRUE(loaded->isDeleted());
    ASSERT_TRUE(mainContext()->saveAndWait());
    EXPECT_EQ(loaded->managedObjectContext(), nullptr);

    const QString path = HBPaths::storeFile();
    EXPECT_EQ(queryFile(path, QStringLiteral("SELECT count(*) FROM PasteboardItem")).toInt(), 1);
    EXPECT_EQ(queryFile(path, QStringLiteral("SELECT count(*) FROM PasteboardType")).toInt(), 1);
    EXPECT_EQ(queryFile(path, QStringLiteral("SELECT count(*) FROM PasteboardFile")).toInt(), 0);
    EXPECT_EQ(mainContext()->countForFetchRequest(PasteboardType::fetchRequest()), 1);
}

// Grouping moves file records onto a new item before the old one is deleted: the records
// must follow the move and survive the deletion.
TEST_F(ObjectStoreTest, MovedFileRecordsSurviveTheirOldItem)
{
    PasteboardItem *old = makeItem(QStringLiteral("old"), 0);
    PasteboardFile *file = PasteboardFile::create();
    file->setPath(QStringLiteral("/tmp/a.txt"));
    old->addFilesObject(file);
    ASSERT_TRUE(mainContext()->saveAndWait());

    PasteboardItem *stack = makeItem(QStringLiteral("stack"), 0);
    stack->addFilesObject(file);
    EXPECT_TRUE(old->files().isEmpty());
    EXPECT_EQ(file->item(), stack);
    ASSERT_TRUE(old->deleteEntityIgnoringFiles(true));
    ASSERT_TRUE(mainContext()->saveAndWait());

    HBObjectStore::shared()->setup();
    const QList<PasteboardItem *> items = mainContext()->fetchItems();
    ASSERT_EQ(items.size(), 1);
    ASSERT_EQ(items.first()->files().size(), 1);
    EXPECT_EQ(items.first()->files().first()->path(), QStringLiteral("/tmp/a.txt"));
}

// A worker thread works in a context of its own; once its save has been merged, the main
// context's objects show the change (before anything the worker queued afterwards runs),
// and keep their in-memory state and their own unsaved changes.
TEST_F(ObjectStoreTest, WorkerSaveIsMergedIntoTheMainContextBeforeLaterMainThreadWork)
{
    PasteboardItem *item = makeItem(QStringLiteral("before"), 3);
    PasteboardType *oldMain = PasteboardType::create();
    oldMain->setType(QStringLiteral("NSStringPboardType"));
    item->setMainType(oldMain);
    PasteboardItem *doomed = makeItem(QStringLiteral("doomed"), 4);
    ASSERT_TRUE(mainContext()->saveAndWait());
    ASSERT_TRUE(item->files().isEmpty()); // the list is in memory, so the merge must extend it
    item->setIconIsPending(true);
    item->setOrder(7); // unsaved here; the worker's save must not undo it

    const HBObjectID id = item->objectID();
    const HBObjectID doomedId = doomed->objectID();
    std::atomic<bool> sawChanges{false};
    bool seenBeforeNotification = false;
    runOnWorker([&] {
        auto context = HBObjectStore::shared()->newContext();
        auto *copy = context->objectWithID<PasteboardItem>(id);
        ASSERT_NE(copy, nullptr);
        copy->setTitle(QStringLiteral("after"));
        PasteboardFile *file = PasteboardFile::create(context.get());
        file->setPath(QStringLiteral("/data/after.txt"));
        copy->addFilesObject(file);
        PasteboardType *newMain = PasteboardType::create(context.get());
        newMain->setType(QStringLiteral("NSFilenamesPboardType"));
        copy->addTypesObject(newMain);
        copy->setMainType(newMain);
        ASSERT_TRUE(context->deleteObject(context->objectWithID(doomedId)));
        ASSERT_TRUE(context->saveAndWait());
        // What the file manager does next: hand over to the main thread.
        QMetaObject::invokeMethod(
            qApp,
            [&, item] {
                seenBeforeNotification
                    = item->title() == QStringLiteral("after") && item->files().size() == 1;
                sawChanges = true;
            },
            Qt::QueuedConnection);
    });
    ASSERT_TRUE(TestSupport::waitUntil([&] { return sawChanges.load(); }));
    EXPECT_TRUE(seenBeforeNotification);

    EXPECT_EQ(mainContext()->objectWithID<PasteboardItem>(id), item);
    EXPECT_EQ(item->title(), QStringLiteral("after"));
    ASSERT_EQ(item->files().size(), 1);
    EXPECT_EQ(item->files().first()->path(), QStringLiteral("/data/after.txt"));
    EXPECT_EQ(item->files().first()->item(), item);
    ASSERT_NE(item->mainType(), nullptr);
    EXPECT_EQ(item->mainType()->type(), QStringLiteral("NSFilenamesPboardType"));
    EXPECT_EQ(item->types(), QList<PasteboardType *>{item->mainType()});
    EXPECT_TRUE(item->iconIsPending());
    EXPECT_EQ(item->order(), 7);
    EXPECT_EQ(mainContext()->fetchItems(), QList<PasteboardItem *>{item});
    EXPECT_EQ(mainContext()->countItems(), 1);

    ASSERT_TRUE(mainContext()->saveAndWait());
    EXPECT_EQ(queryFile(HBPaths::storeFile(), QStringLiteral("SELECT title || \"order\" FROM PasteboardItem"))
                  .toString(),
        QStringLiteral("after7"));
}

// The file manager's clean-up asks for records by path on its own thread.
TEST_F(ObjectStoreTest, FindsFileRecordsByPathFromAWorkerThread)
{
    const QString path = QStringLiteral("/store/Kelvora Files/x/a b.txt");
    for (int i = 0; i < 2; ++i) {
        PasteboardItem *item = makeItem(QStringLiteral("item"), i);
        PasteboardFile *file = PasteboardFile::create();
        file->setPath(i == 0 ? path : QStringLiteral("/elsewhere.txt"));
        item->addFilesObject(file);
    }
    ASSERT_TRUE(mainContext()->saveAndWait());
    PasteboardFile *unsaved = PasteboardFile::create();
    unsaved->setPath(path);
    EXPECT_EQ(mainContext()->fetchFilesWithPath(path).size(), 2)
        << "the main context sees its unsaved record";

    QList<qint64> idsFromStore;
    int fromContext = -1;
    int missing = -1;
    runOnWorker([&] {
        idsFromStore = HBObjectStore::shared()->fileIDsWithPath(path);
        auto context = HBObjectStore::shared()->newContext();
        const QList<PasteboardFile *> files = context->fetchFilesWithPath(path);
        fromContext = int(files.size());
        missing = int(context->fetchFilesWithPath(QStringLiteral("/nowhere")).size());
    });
    EXPECT_EQ(idsFromStore.size(), 1);
    EXPECT_EQ(fromContext, 1);
    EXPECT_EQ(missing, 0);
}

TEST_F(ObjectStoreTest, SavingWithoutChangesWritesNothing)
{
    QSignalSpy saves(HBObjectStore::shared(), &HBObjectStore::contextDidSave);
    EXPECT_TRUE(mainContext()->saveAndWait());
    mainContext()->save();
    EXPECT_EQ(saves.count(), 0);
    makeItem(QStringLiteral("x"), 0);
    mainContext()->save();
    EXPECT_EQ(saves.count(), 1);
    EXPECT_FALSE(mainContext()->hasChanges());
}

TEST_F(ObjectStoreTest, FetchRequestsByEntityName)
{
    bool ok = false;
    HBFetchRequest request
        = HBFetchRequest::fetchRequestWithEntityName(QStringLiteral("PasteboardFile"), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(request.entity, HBEntity::File);
    HBFetchRequest::fetchRequestWithEntityName(QStringLiteral("Nothing"), &ok);
    EXPECT_FALSE(ok);

    QString error;
    EXPECT_TRUE(
        mainContext()
            ->executeFetchRequest(PasteboardItem::fetchRequest().sortedBy(QStringLiteral("nope")), &error)
            .isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

// A store file that can't be used is left exactly as it is; the program runs on an empty
// store in memory and can tell the user.
struct UnusableStore
{
    const char *name;
    std::function<void(const QString &path)> make;
};

class UnusableStoreTest : public ::testing::TestWithParam<UnusableStore>
{
protected:
    void TearDown() override { HBObjectStore::shared()->close(); }
};

namespace {

void makeDatabase(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

TEST_P(UnusableStoreTest, IsNeverTouchedAndTheStoreRunsInMemory)
{
    const QString path = HBPaths::storeFile();
    GetParam().make(path);
    const QByteArray before = TestSupport::readFile(path);
    ASSERT_FALSE(before.isEmpty());

    EXPECT_FALSE(HBObjectStore::shared()->setup());
    EXPECT_TRUE(HBObjectStore::shared()->openError());
    EXPECT_TRUE(HBObjectStore::shared()->openErrorMessage().contains(path));

    // The program goes on working, in memory, including on worker threads.
    PasteboardItem *item = PasteboardItem::create();
    item->setTitle(QStringLiteral("kept in memory"));
    item->addFilesObject(PasteboardFile::create());
    ASSERT_TRUE(mainContext()->saveAndWait());
    int seen = -1;
    runOnWorker([&] { seen = HBObjectStore::shared()->newContext()->countItems(); });
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(mainContext()->fetchItems(), QList<PasteboardItem *>{item});
    ASSERT_TRUE(item->deleteEntity());
    ASSERT_TRUE(mainContext()->saveAndWait());
    HBObjectStore::shared()->close();

    EXPECT_EQ(TestSupport::readFile(path), before);
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        EXPECT_FALSE(QFile::exists(path + QString::fromLatin1(suffix))) << suffix;
}

INSTANTIATE_TEST_SUITE_P(Store, UnusableStoreTest,
    ::testing::Values(UnusableStore{"NotADatabase",
                          [](const QString &path) {
                              QByteArray junk(8192, '\0');
                              for (int i = 0; i < junk.size(); ++i)
                                  junk[i] = char((i * 37 + 11) % 251);
                              TestSupport::writeFile(path, junk);
                          }},
        UnusableStore{"TruncatedHeader",
            [](const QString &path) {
                TestSupport::writeFile(path, QByteArray("SQLite format 3\0\x10\0\x01\x01", 21));
            }},
        UnusableStore{"NewerSchema",
            [](const QString &path) {
                makeDatabase(path,
                    "CREATE TABLE PasteboardItem (id INTEGER PRIMARY KEY, title TEXT);"
                    "INSERT INTO PasteboardItem (title) VALUES ('from the future');"
                    "PRAGMA user_version = 99;");
            }},
        UnusableStore{"ForeignTables",
            [](const QString &path) {
                makeDatabase(path, "CREATE TABLE PasteboardItem (id INTEGER PRIMARY KEY, name TEXT);");
            }}),
    [](const ::testing::TestParamInfo<UnusableStore> &row) { return std::string(row.param.name); });

TEST(StoreSetUp, OpensTheDefaultFileWhenAskedForTheDefaultContext)
{
    HBObjectStore store;
    ASSERT_NE(store.defaultContext(), nullptr);
    EXPECT_FALSE(store.openError());
    EXPECT_EQ(store.path(), HBPaths::storeFile());
    EXPECT_TRUE(QFile::exists(HBPaths::storeFile()));
}

// Files without a schema version (new, empty, or made by hand) are brought to the current
// version; what else they hold stays.
TEST(StoreSetUp, MigratesUnversionedFiles)
{
    const QString path = HBPaths::storeFile();
    struct Case
    {
        const char *name;
        std::function<void()> make;
        bool keepsNotes;
    };
    const Case cases[] = {
        {"missing", [] {}, false},
        {"empty", [&] { TestSupport::writeFile(path, QByteArray()); }, false},
        {"other tables",
            [&] { makeDatabase(path, "CREATE TABLE Notes (text TEXT); INSERT INTO Notes VALUES ('n');"); },
            true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        c.make();
        HBObjectStore store;
        ASSERT_TRUE(store.setup(path));
        PasteboardItem::create(store.defaultContext())->setTitle(QStringLiteral("t"));
        ASSERT_TRUE(store.defaultContext()->saveAndWait());
        store.close();
        EXPECT_EQ(queryFile(path, QStringLiteral("PRAGMA user_version")).toInt(), 1);
        EXPECT_EQ(queryFile(path, QStringLiteral("SELECT title FROM PasteboardItem")).toString(),
            QStringLiteral("t"));
        EXPECT_EQ(queryFile(path, QStringLiteral("SELECT text FROM Notes")).toString(),
            c.keepsNotes ? QStringLiteral("n") : QString());
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf list as a drag source and a drop target, on the offscreen platform: what a drag
// out writes, reordering, removal at the end of a drag, and drops handed to the window.
#include "ShelfDragTestSupport.h"
#include "ShelfTestSupport.h"

#include "HBDraggingInfo.h"
#include "HBDraggingTableView.h"
#include "HBMimePasteboard.h"
#include "HBMimeTypes.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPanel.h"
#include "HBShelfItemModel.h"
#include "HBUserDefaults.h"
#include "HBWindowBackgroundView.h"
#include "MemoryPasteboard.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "TestSupport.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

using namespace ShelfDragTestSupport;
namespace T = PasteboardTypes;

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

QString userFile(const QString &name)
{
    const QString path = TestSupport::home() + QStringLiteral("/Documents/") + name;
    EXPECT_TRUE(TestSupport::writeFile(path, "user's own " + name.toUtf8()));
    return path;
}

QStringList uriListPaths(const QMimeData &mime)
{
    QStringList paths;
    for (const QUrl &url : mime.urls())
        paths.append(url.toLocalFile());
    return paths;
}

class ShelfDragDrop : public ShelfTest
{
protected:
    void SetUp() override
    {
        ShelfTest::SetUp();
        defaults().setDisableAnimations(true);
    }

    /// Five items A to E with orders 0 to 4, and the shelf showing them.
    void addLetters()
    {
        int order = 0;
        for (const char *title : {"A", "B", "C", "D", "E"})
            addItem({QString::fromLatin1(title), QString(T::NSStringPboardType), title, {}, {}, {}}, order++);
        shelf();
    }

    /// A drag out of `rows` written into a pasteboard of the kind a real drag uses.
    std::unique_ptr<HBMimePasteboard> dragOut(const QList<int> &rows)
    {
        auto pasteboard = std::make_unique<HBMimePasteboard>();
        EXPECT_TRUE(shelf().writeRowsWithIndexes(rows, pasteboard.get()));
        return pasteboard;
    }

    QPoint outsideShelf() { return shelf().panel()->frameGeometry().topRight() + QPoint(300, 40); }
};

// ---- What a drag out writes ----

struct WriteCase
{
    const char *name;
    QList<ItemRecipe> items;
    /// The file list, in order (empty: none written).
    QStringList paths;
    /// Types written, and types (stored or MIME) never written.
    QStringList written;
    QStringList absent;
};

TEST_F(ShelfDragDrop, DragOutWritesFilesAndStoredTypesButNeverPicturesOrPromises)
{
    const QString note = TestSupport::home() + QStringLiteral("/Kelvora Files/1/note.txt");
    const QString picture = TestSupport::home() + QStringLiteral("/Kelvora Files/2/photo.png");
    const QString shared = TestSupport::home() + QStringLiteral("/Documents/shared.txt");
    const QString other = TestSupport::home() + QStringLiteral("/Documents/other.txt");
    const QByteArray png = QByteArray::fromBase64(
        "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");
    ItemRecipe text{QStringLiteral("note.txt"), QString(T::NSFilenamesPboardType), {}, {note},
        {{T::NSStringPboardType, "hello there"}, {T::NSRTFPboardType, "{\\rtf1 hello there}"},
            {QStringLiteral("text/plain;charset=utf-8"), "hello there"}},
        {{note, true}}};
    ItemRecipe photo{QStringLiteral("photo.png"), QString(T::NSFilenamesPboardType), {}, {picture},
        {{T::NSTIFFPboardType, png}, {T::PublicJPEG, "jpeg"}, {T::PublicTIFF, "tiff"},
            {QStringLiteral("image/png"), png}, {QStringLiteral("application/octet-stream"), png},
            {T::PublicURLName, "photo"}},
        {{picture, true}}};
    ItemRecipe pictureBeforeItsFile{QStringLiteral("photo"), QString(T::NSTIFFPboardType), png, {},
        {{T::NSTIFFPboardType, png}, {QStringLiteral("image/png"), png}}, {}};
    ItemRecipe promises{QStringLiteral("download"), QString(T::NSStringPboardType), "a text", {},
        {{T::NSStringPboardType, "a text"}, {QStringLiteral("com.apple.pasteboard.promised-file-url"), "x"},
            {T::NSFilesPromisePboardType, "x"}, {QStringLiteral("org.example.PROMISED-thing"), "x"},
            {QStringLiteral("NSPromiseContentsPboardType"), "x"}},
        {}};
    ItemRecipe sharedTwice = fileItem(shared);
    sharedTwice.paths = {shared, other};
    sharedTwice.types = {{T::NSFilenamesPboardType, PropertyList::xmlStringArray({other, shared})}};

    const WriteCase cases[] = {
        {"text item written to a file", {text}, {note},
            {T::NSStringPboardType, T::NSRTFPboardType, QStringLiteral("text/plain;charset=utf-8")}, {}},
        {"picture item", {photo}, {picture}, {},
            {T::NSTIFFPboardType, T::PublicJPEG, T::PublicTIFF, QStringLiteral("image/png"),
                QStringLiteral("application/octet-stream"), T::PublicURLName}},
        {"picture whose file is not written yet", {pictureBeforeItsFile}, {}, {},
            {T::NSTIFFPboardType, QStringLiteral("image/png")}},
        {"promise types", {promises}, {}, {T::NSStringPboardType},
            {QStringLiteral("com.apple.pasteboard.promised-file-url"), T::NSFilesPromisePboardType,
                QStringLiteral("org.example.PROMISED-thing"), QStringLiteral("NSPromiseContentsPboardType")}},
        {"two items naming one path", {fileItem(shared), sharedTwice}, {shared, other}, {}, {}},
    };
    for (const WriteCase &c : cases) {
        SCOPED_TRACE(c.name);
        m_controller.reset();
        for (PasteboardItem *item : HBObjectStore::shared()->defaultContext()->fetchItems())
            item->deleteEntityIgnoringFiles(true);
        HBObjectStore::shared()->defaultContext()->saveAndWait();
        QList<int> rows;
        for (const ItemRecipe &recipe : c.items) {
            addItem(recipe, int(rows.size()));
            rows.append(int(rows.size()));
        }
        const auto pasteboard = dragOut(rows);

        const QStringList types = pasteboard->types();
        EXPECT_EQ(types.first(), QString(T::DragIdentifier));
        EXPECT_EQ(PropertyList::stringArray(pasteboard->dataForType(T::NSFilenamesPboardType)), c.paths);
        for (const QString &type : c.written) {
            EXPECT_TRUE(types.contains(type)) << qPrintable(type);
            EXPECT_FALSE(pasteboard->dataForType(type).isEmpty()) << qPrintable(type);
        }
        for (const QString &type : c.absent)
            EXPECT_FALSE(types.contains(type)) << qPrintable(type);

        // What the receiving program gets.
        const std::unique_ptr<QMimeData> mime = pasteboard->mimeData(false);
        EXPECT_EQ(uriListPaths(*mime), c.paths);
        for (const QString &format : mime->formats()) {
            EXPECT_FALSE(format.startsWith(QLatin1String("image/"))) << qPrintable(format);
            EXPECT_FALSE(format.contains(QLatin1String("promise"), Qt::CaseInsensitive))
                << qPrintable(format);
            EXPECT_NE(format, QString(HBMimeTypes::OctetStream));
        }
        if (c.written.contains(QString(T::NSStringPboardType))) {
            EXPECT_FALSE(mime->text().isEmpty());
        }
    }
}

TEST_F(ShelfDragDrop, UserFilesGoOutWhereTheirBookmarkFindsThem)
{
    const QString renamed = userFile(QStringLiteral("draft.txt"));
    const QString gone = userFile(QStringLiteral("gone.txt"));
    addItem(fileItem(renamed), 0);
    addItem(fileItem(gone), 1);
    const QString now = TestSupport::home() + QStringLiteral("/Documents/final.txt");
    ASSERT_TRUE(QFile::rename(renamed, now));
    ASSERT_TRUE(QFile::remove(gone));

    const auto pasteboard = dragOut({0, 1});
    // The renamed file under its new name; the one that can't be found keeps its recorded
    // path, and the drag still starts.
    EXPECT_EQ(PropertyList::stringArray(pasteboard->dataForType(T::NSFilenamesPboardType)),
        (QStringList{now, gone}));
    EXPECT_EQ(shelf().draggingIndexes(), (QList<int>{0, 1}));
}

// ---- Reordering ----

struct ReorderCase
{
    const char *name;
    QList<int> moved;
    int dropRow;
    const char *result;
};

TEST_F(ShelfDragDrop, LocalDropReordersAndNumbersEveryItem)
{
    const ReorderCase cases[] = {
        {"B and D between D and E", {1, 3}, 4, "ACBDE"},
        {"B to the top", {1}, 0, "BACDE"},
        {"A to the end", {0}, 5, "BCDEA"},
        {"C onto its own place", {2}, 2, "ABCDE"},
        {"C just below itself", {2}, 3, "ABCDE"},
        {"A and E into the middle", {0, 4}, 2, "BAECD"},
        {"all rows to the end", {0, 1, 2, 3, 4}, 5, "ABCDE"},
    };
    for (const ReorderCase &c : cases) {
        SCOPED_TRACE(c.name);
        m_controller.reset();
        for (PasteboardItem *item : HBObjectStore::shared()->defaultContext()->fetchItems())
            item->deleteEntityIgnoringFiles(true);
        HBObjectStore::shared()->defaultContext()->saveAndWait();
        // Orders with gaps and a tie: a reorder leaves them exactly 0 to n - 1.
        int order = 0;
        for (const char *title : {"A", "B", "C", "D", "E"})
            addItem(
                {QString::fromLatin1(title), QString(T::NSStringPboardType), title, {}, {}, {}}, 3 * order++);
        HBDockWindowController &controller = shelf();
        QAbstractItemModelTester tester(controller.itemsModel());
        QSignalSpy moves(controller.itemsModel(), &QAbstractItemModel::rowsMoved);
        QSignalSpy resets(controller.itemsModel(), &QAbstractItemModel::modelReset);

        const auto pasteboard = dragOut(c.moved);
        QObject source;
        const HBDraggingInfo info(pasteboard.get(), &source);
        EXPECT_EQ(controller.validateDrop(&info, c.dropRow), Qt::MoveAction);
        EXPECT_EQ(controller.tableView()->dropIndicatorRow(), c.dropRow) << "the insertion line";
        ASSERT_TRUE(controller.acceptDrop(&info, c.dropRow));
        EXPECT_EQ(controller.tableView()->dropIndicatorRow(), -1);
        controller.draggingSessionEnded(controller.panel()->frameGeometry().center(), Qt::MoveAction);

        const QList<PasteboardItem *> items = controller.itemsArray();
        EXPECT_EQ(titles(items).join(QString()), QString::fromLatin1(c.result));
        for (int i = 0; i < items.size(); ++i)
            EXPECT_EQ(items[i]->order(), i);
        if (c.moved.size() == 1) {
            EXPECT_EQ(resets.count(), 0);
        } else {
            EXPECT_EQ(resets.count(), 1);
            EXPECT_EQ(moves.count(), 0);
        }
        EXPECT_EQ(HBObjectStore::shared()->defaultContext()->fetchItems(), items);
    }
}

TEST_F(ShelfDragDrop, ReorderedListSurvivesARestart)
{
    addLetters();
    const auto pasteboard = dragOut({1, 3});
    QObject source;
    const HBDraggingInfo info(pasteboard.get(), &source);
    ASSERT_TRUE(shelf().acceptLocalDrop(&info, 4));
    shelf().draggingSessionEnded(shelf().panel()->frameGeometry().center(), Qt::MoveAction);

    m_controller.reset();
    HBObjectStore::shared()->close();
    ASSERT_TRUE(HBObjectStore::shared()->setup());
    EXPECT_EQ(titles(shelf().itemsArray()), (QStringList{"A", "C", "B", "D", "E"}));
}

TEST_F(ShelfDragDrop, LocalDropWithoutUsableRowDataIsRefused)
{
    addLetters();
    const struct
    {
        const char *name;
        QList<std::pair<QString, QByteArray>> content;
    } cases[] = {
        {"no row data", {{T::NSStringPboardType, "text"}}},
        {"empty row data", {{T::DragIdentifier, ""}}},
        {"not numbers", {{T::DragIdentifier, "1,x"}}},
        {"row past the end", {{T::DragIdentifier, "2,5"}}},
        {"negative row", {{T::DragIdentifier, "-1"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        MemoryPasteboard pasteboard(c.content);
        QObject source;
        const HBDraggingInfo info(&pasteboard, &source);
        EXPECT_FALSE(shelf().acceptDrop(&info, 1));
        EXPECT_EQ(titles(shelf().itemsArray()), (QStringList{"A", "B", "C", "D", "E"}));
    }
    // Without row data a drag from inside the program gets no operation and no line.
    MemoryPasteboard text({{T::NSStringPboardType, "text"}});
    QObject source;
    const HBDraggingInfo info(&text, &source);
    EXPECT_EQ(shelf().validateDrop(&info, 2), Qt::IgnoreAction);
    EXPECT_EQ(shelf().tableView()->dropIndicatorRow(), -1);
}

// ---- The end of a drag out ----

struct EndCase
{
    const char *name;
    bool removeAfterDrag;
    Qt::DropAction operation;
    bool overShelf;
    bool removed;
};

TEST_F(ShelfDragDrop, DragEndingElsewhereRemovesTheItemsOnlyWhenAskedAndKeepsTheirFiles)
{
    const EndCase cases[] = {
        {"copied to another program", true, Qt::CopyAction, false, true},
        {"moved to another program", true, Qt::MoveAction, false, true},
        {"cancelled", true, Qt::IgnoreAction, false, false},
        {"ended over the shelf", true, Qt::CopyAction, true, false},
        {"setting off", false, Qt::CopyAction, false, false},
    };
    for (const EndCase &c : cases) {
        SCOPED_TRACE(c.name);
        m_controller.reset();
        for (PasteboardItem *item : HBObjectStore::shared()->defaultContext()->fetchItems())
            item->deleteEntityIgnoringFiles(true);
        HBObjectStore::shared()->defaultContext()->saveAndWait();
        defaults().setRemoveAfterDrag(c.removeAfterDrag);
        const QString written = TestSupport::home() + QStringLiteral("/Kelvora Files/7/clip.txt");
        ASSERT_TRUE(TestSupport::writeFile(written, "clip"));
        const QString own = userFile(QStringLiteral("own.txt"));
        addItem(fileItem(written, true), 0);
        addItem(fileItem(own), 1);
        addItem({QStringLiteral("keep"), QString(T::NSStringPboardType), "keep", {}, {}, {}}, 2);
        HBDockWindowController &controller = shelf();
        ASSERT_TRUE(controller.isWindowVisible());

        dragOut({0, 1});
        const QPoint end = c.overShelf ? controller.panel()->frameGeometry().center() : outsideShelf();
        controller.draggingSessionEnded(end, c.operation);

        const QStringList expected
            = c.removed ? QStringList{"keep"} : QStringList{"clip.txt", "own.txt", "keep"};
        EXPECT_EQ(titles(controller.itemsArray()), expected);
        EXPECT_EQ(titles(HBObjectStore::shared()->defaultContext()->fetchItems()), expected);
        EXPECT_TRUE(QFile::exists(written));
        EXPECT_TRUE(QFile::exists(own));
        EXPECT_TRUE(controller.draggingIndexes().isEmpty());
    }
}

TEST_F(ShelfDragDrop, ListChangedDuringTheDragRemovesTheDraggedItem)
{
    defaults().setRemoveAfterDrag(true);
    addLetters();
    dragOut({1}); // B
    // Meanwhile A goes (a delete from the menu, a reload): B is now row 0.
    shelf().removeItemsAtIndexes({0}, true);
    shelf().draggingSessionEnded(outsideShelf(), Qt::CopyAction);
    EXPECT_EQ(titles(shelf().itemsArray()), (QStringList{"C", "D", "E"}));
}

TEST_F(ShelfDragDrop, DeleteRemovesWrittenFilesButNeverTheUsersOwn)
{
    defaults().setRemoveAfterDrag(true); // Delete ignores it
    const QString written = TestSupport::home() + QStringLiteral("/Kelvora Files/8/clip.txt");
    ASSERT_TRUE(TestSupport::writeFile(written, "clip"));
    const QString own = userFile(QStringLiteral("own.txt"));
    addItem(fileItem(written, true), 0);
    addItem(fileItem(own), 1);
    HBDockWindowController &controller = shelf();
    ASSERT_TRUE(controller.isWindowVisible());

    controller.removeItemsAtIndexes({1, 0, 7}, true);
    EXPECT_TRUE(controller.itemsArray().isEmpty());
    EXPECT_TRUE(HBObjectStore::shared()->defaultContext()->fetchItems().isEmpty());
    EXPECT_FALSE(QFile::exists(written));
    EXPECT_TRUE(QFile::exists(own));
    EXPECT_FALSE(controller.isWindowVisible()) << "removing the last item hides the shelf";
}

TEST_F(ShelfDragDrop, DragOperationFollowsTheSetting)
{
    HBDockWindowController &controller = shelf();
    for (const auto &[setting, actions] :
        {std::pair<qint64, Qt::DropActions>{1, Qt::CopyAction | Qt::MoveAction}, {0, Qt::CopyAction},
            {2, Qt::CopyAction}, {1, Qt::CopyAction | Qt::MoveAction}}) {
        defaults().setDragOperation(setting);
        EXPECT_EQ(controller.tableView()->draggingSourceOperationMask(), actions) << setting;
    }
}

// ---- Drops handed to the shelf window ----

/// Plays a drop from another program on the shelf's content view at `at` (content view
/// coordinates): enter, move, drop. The drop's action, or IgnoreAction when refused.
Qt::DropAction dropOnShelf(HBDockWindowController &controller, const QMimeData &mime, const QPoint &at)
{
    QWidget *target = controller.contentView();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);
    EXPECT_EQ(controller.tableView()->dropIndicatorRow(), -1) << "no insertion line for outside drops";
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

TEST_F(ShelfDragDrop, DropAnywhereOnTheShelfBecomesItems)
{
    defaults().setCombineIntoStacks(false);
    addItem({QStringLiteral("first"), QString(T::NSStringPboardType), "first", {}, {}, {}}, 0);
    HBDockWindowController &controller = shelf();
    QWidget *content = controller.contentView();
    const QPoint onRow(content->width() / 2, 10);
    const QPoint onOptionsBar(content->width() / 2, content->height() - 5);

    QMimeData text;
    text.setText(QStringLiteral("dropped text"));
    EXPECT_EQ(dropOnShelf(controller, text, onRow), Qt::CopyAction);

    QMimeData files;
    const QList<QString> paths = {userFile(QStringLiteral("one.txt")), userFile(QStringLiteral("two.txt")),
        userFile(QStringLiteral("three.txt"))};
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    files.setUrls(urls);
    EXPECT_EQ(dropOnShelf(controller, files, onOptionsBar), Qt::CopyAction);

    EXPECT_EQ(titles(controller.itemsArray()),
        (QStringList{"first", "dropped text", "one.txt", "two.txt", "three.txt"}));
    EXPECT_EQ(HBObjectStore::shared()->defaultContext()->fetchItems(), controller.itemsArray());
    EXPECT_TRUE(controller.isWindowVisible());

    // While the overlay covers the list, a drop lands as well and takes the overlay away.
    controller.setDragging(true);
    controller.showOverlayAnimated(false);
    ASSERT_TRUE(controller.isOverlayShown());
    QMimeData more;
    more.setText(QStringLiteral("over the overlay"));
    EXPECT_EQ(dropOnShelf(controller, more, onRow), Qt::CopyAction);
    EXPECT_FALSE(controller.isOverlayShown());
    EXPECT_EQ(controller.itemsArray().size(), 6);

    // Content the shelf cannot take is turned away at the door.
    QMimeData unknown;
    unknown.setData(QStringLiteral("application/x-unknown-thing"), "bytes");
    EXPECT_EQ(dropOnShelf(controller, unknown, onRow), Qt::IgnoreAction);
    EXPECT_EQ(controller.itemsArray().size(), 6);
}

TEST_F(ShelfDragDrop, HideWaitsWhileADragIsOverTheShelf)
{
    HBDockWindowController &controller = shelf();
    controller.actuallyShowWindow(); // as drag detection shows an empty shelf
    ASSERT_TRUE(controller.isWindowVisible());
    QWidget *content = controller.contentView();
    const QPoint at(content->width() / 2, 10);
    QMimeData text;
    text.setText(QStringLiteral("late drop"));

    // The drag's button release comes first, the drop later.
    QDragEnterEvent enter(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(content, &enter);
    ASSERT_TRUE(enter.isAccepted());
    controller.hideWindowForActiveAppIfNeeded(true);
    EXPECT_TRUE(controller.isWindowVisible());
    QDropEvent drop(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(content, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(controller.itemsArray().size(), 1);
    EXPECT_TRUE(controller.isWindowVisible());

    // A drag that leaves without a drop lets the put-off hide happen.
    controller.removeItemsAtIndexes({0}, true);
    controller.actuallyShowWindow();
    QDragEnterEvent again(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(content, &again);
    controller.hideWindowForActiveAppIfNeeded(false);
    EXPECT_TRUE(controller.isWindowVisible());
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(content, &leave);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !controller.isWindowVisible(); }));
}

} // namespace

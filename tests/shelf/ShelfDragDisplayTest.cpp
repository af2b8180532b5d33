// SPDX-License-Identifier: GPL-3.0-or-later
// Drag and drop between the shelf and other programs on a real X server: drops from a Qt
// and a GTK 3 program become items, items dragged out arrive in a Qt program as files and
// text, rows dragged within the shelf are reordered. Gestures are played by xdotool.
// With KELVORA_SHOTS_DIR set, a screenshot of the shelf during a reorder drag is written.
#include "ShelfDragTestSupport.h"
#include "ShelfTestSupport.h"

#include "DragSourceProcess.h"
#include "HBDraggingTableView.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPanel.h"
#include "HBShelfItemModel.h"
#include "HBUserDefaults.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>

using namespace ShelfDragTestSupport;
namespace T = PasteboardTypes;

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

/// Press at `from`, move in relative steps of a few tens of points to `to`, pause,
/// optionally press Escape, release; the shelf and a drag it runs go on meanwhile.
bool dragWithPointer(const QPoint &from, const QPoint &to, bool escape = false)
{
    return TestSupport::playXdotool(TestSupport::dragGesture(from, to, escape));
}

/// The receiving program (tests/support/QtDropTarget.cpp) as its own process.
class DropTargetProcess
{
public:
    ~DropTargetProcess()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }

    bool start(const QStringList &options = {})
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
            [this] { m_output += QString::fromUtf8(m_process.readAllStandardOutput()); });
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(KELVORA_QT_DROP_TARGET), options);
        if (!m_process.waitForStarted(10000))
            return false;
        if (!TestSupport::waitUntil([this] { return m_output.contains(u'\n'); }, std::chrono::seconds(15)))
            return false;
        m_window = m_output.section(u'\n', 0, 0).section(u' ', 1).toULongLong();
        return TestSupport::waitUntil(
            [this] { return TestSupport::xGeometry(m_window).width() > 0; }, std::chrono::seconds(10));
    }
    QPoint center() const { return TestSupport::xGeometry(m_window).center(); }
    /// The drops received, one JSON object each.
    QList<QJsonObject> drops() const
    {
        QList<QJsonObject> result;
        const QStringList lines = m_output.split(u'\n', Qt::SkipEmptyParts);
        for (const QString &line : lines) {
            if (line.startsWith(u'{'))
                result.append(QJsonDocument::fromJson(line.toUtf8()).object());
        }
        return result;
    }

private:
    QProcess m_process;
    QString m_output;
    qulonglong m_window = 0;
};

QByteArray dataOf(const QJsonObject &drop, const QString &format)
{
    return QByteArray::fromBase64(
        drop.value(QStringLiteral("data")).toObject().value(format).toString().toLatin1());
}

QStringList formatsOf(const QJsonObject &drop)
{
    QStringList formats;
    for (const QJsonValue &value : drop.value(QStringLiteral("formats")).toArray())
        formats.append(value.toString());
    return formats;
}

QStringList filePaths(const QByteArray &uriList)
{
    QStringList paths;
    for (const QByteArray &line : uriList.split('\n')) {
        const QByteArray uri = line.trimmed();
        if (!uri.isEmpty())
            paths.append(QUrl::fromEncoded(uri).toLocalFile());
    }
    return paths;
}

QByteArray pngBytes()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class ShelfDrag : public ShelfTest
{
protected:
    void SetUp() override
    {
        ShelfTest::SetUp();
        ASSERT_TRUE(TestSupport::onDisplay());
        defaults().setDisableAnimations(true);
        defaults().setCombineIntoStacks(false);
        // Right middle: clear of the test programs' windows at the left and in the middle.
        defaults().setWindowPosition(4);
    }

    /// The shelf, on screen where X has it.
    HBDockWindowController &shownShelf()
    {
        HBDockWindowController &controller = shelf();
        EXPECT_TRUE(TestSupport::waitUntil([&] {
            return controller.isWindowVisible()
                && TestSupport::xGeometry(controller.panel()->winId()) == controller.panel()->geometry();
        }));
        return controller;
    }

    /// The centre of a row, in screen coordinates.
    QPoint rowCenter(int row)
    {
        HBDraggingTableView *table = shelf().tableView();
        return table->viewport()->mapToGlobal(table->visualRect(shelf().itemsModel()->index(row)).center());
    }

    QString storageFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = TestSupport::home() + QStringLiteral("/Kelvora Files/") + name;
        EXPECT_TRUE(TestSupport::writeFile(path, bytes));
        return path;
    }
};

// ---- Drops from other programs ----

using Toolkit = DragSourceProcess::Toolkit;

struct DropCase
{
    const char *name;
    Toolkit toolkit;
    QString kind;
    /// Where on the shelf: 0 the row, 1 the options bar below the rows.
    int place;
};

void PrintTo(const DropCase &c, std::ostream *os)
{
    *os << c.name;
}

class ShelfDropFromProgram : public ShelfDrag, public ::testing::WithParamInterface<DropCase>
{
};

TEST_P(ShelfDropFromProgram, DropBecomesItems)
{
    const DropCase &c = GetParam();
    addItem({QStringLiteral("first"), QString(T::NSStringPboardType), "first", {}, {}, {}}, 0);
    HBDockWindowController &controller = shownShelf();

    QStringList options = {c.kind};
    QStringList files;
    if (c.kind == u"--files") {
        for (const char *name : {"one.txt", "two words.txt"}) {
            files.append(TestSupport::home() + u"/Documents/" + QString::fromLatin1(name));
            ASSERT_TRUE(TestSupport::writeFile(files.back(), "x"));
        }
        options += files;
    } else if (c.kind == u"--text") {
        options << QStringLiteral("Grüße vom Rand");
    } else {
        options << QStringLiteral("https://example.org/docs/page.html") << QStringLiteral("The page");
    }
    DragSourceProcess source;
    ASSERT_TRUE(source.start(c.toolkit, options)) << qPrintable(source.error());
    const QRect frame = controller.panel()->geometry();
    const QPoint target = c.place == 0 ? rowCenter(0) : QPoint(frame.center().x(), frame.bottom() - 6);
    ASSERT_TRUE(source.dragTo(target));
    const int expected = c.kind == u"--files" ? 3 : 2;
    ASSERT_TRUE(TestSupport::waitUntil([&] { return controller.itemsArray().size() == expected; }))
        << "source said: " << qPrintable(source.output());

    const QList<PasteboardItem *> items = controller.itemsArray();
    EXPECT_EQ(HBObjectStore::shared()->defaultContext()->fetchItems(), items);
    if (c.kind == u"--files") {
        EXPECT_EQ(titles(items), (QStringList{"first", "one.txt", "two words.txt"}));
        EXPECT_EQ(PropertyList::stringArray(items[1]->mainType()->data()), QStringList{files[0]});
    } else if (c.kind == u"--text") {
        EXPECT_EQ(items[1]->mainType()->type(), QString(T::NSStringPboardType));
        EXPECT_EQ(items[1]->mainType()->data(), QStringLiteral("Grüße vom Rand").toUtf8());
    } else {
        EXPECT_TRUE(items[1]->mainType()->type() == T::WebURLsWithTitlesPboardType
            || items[1]->mainType()->type() == T::NSURLPboardType)
            << qPrintable(items[1]->mainType()->type());
    }
    if (c.toolkit == Toolkit::Qt) {
        // The Qt source reports the operation: the shelf copies.
        EXPECT_TRUE(TestSupport::waitUntil([&] {
            return source.output().contains(QLatin1String("finished 1"));
        })) << qPrintable(source.output());
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, ShelfDropFromProgram,
    ::testing::Values(DropCase{"QtFilesOnTheOptionsBar", Toolkit::Qt, QStringLiteral("--files"), 1},
        DropCase{"GtkFilesOnARow", Toolkit::Gtk, QStringLiteral("--files"), 0},
        DropCase{"QtTextOnARow", Toolkit::Qt, QStringLiteral("--text"), 0},
        DropCase{"GtkTextOnTheOptionsBar", Toolkit::Gtk, QStringLiteral("--text"), 1},
        DropCase{"QtLink", Toolkit::Qt, QStringLiteral("--link"), 0},
        DropCase{"GtkLink", Toolkit::Gtk, QStringLiteral("--link"), 1}),
    [](const ::testing::TestParamInfo<DropCase> &row) { return std::string(row.param.name); });

// ---- Drags out to other programs ----

TEST_F(ShelfDrag, ItemsDraggedOutArriveAsFilesAndTextButNeverPictures)
{
    const QString note = storageFile(QStringLiteral("1/note.txt"), "hello from the shelf");
    const QString photo = storageFile(QStringLiteral("2/photo.png"), pngBytes());
    ItemRecipe text{QStringLiteral("note.txt"), QString(T::NSFilenamesPboardType), {}, {note},
        {{T::NSStringPboardType, "hello from the shelf"}}, {{note, true}}};
    ItemRecipe picture{QStringLiteral("photo.png"), QString(T::NSFilenamesPboardType), {}, {photo},
        {{T::NSTIFFPboardType, pngBytes()}, {QStringLiteral("image/png"), pngBytes()}}, {{photo, true}}};
    addItem(text, 0);
    addItem(picture, 1);
    addItem(fileItem(note), 2); // names the same file again
    defaults().setRemoveAfterDrag(false);
    HBDockWindowController &controller = shownShelf();
    DropTargetProcess target;
    ASSERT_TRUE(target.start());

    for (int row = 0; row < 3; ++row)
        controller.tableView()->selectionModel()->select(
            controller.itemsModel()->index(row), QItemSelectionModel::Select);
    ASSERT_TRUE(dragWithPointer(rowCenter(1), target.center()));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !target.drops().isEmpty(); }));

    const QJsonObject drop = target.drops().first();
    const QStringList formats = formatsOf(drop);
    EXPECT_EQ(filePaths(dataOf(drop, QStringLiteral("text/uri-list"))), (QStringList{note, photo}));
    EXPECT_EQ(dataOf(drop, QStringLiteral("text/plain")), "hello from the shelf");
    for (const QString &format : formats) {
        EXPECT_FALSE(format.startsWith(QLatin1String("image/"))) << qPrintable(format);
        EXPECT_FALSE(format.contains(QLatin1String("promise"), Qt::CaseInsensitive)) << qPrintable(format);
    }
    EXPECT_EQ(drop.value(QStringLiteral("action")).toInt(), int(Qt::CopyAction));
    EXPECT_EQ(controller.itemsArray().size(), 3) << "removeAfterDrag is off";
}

enum class Ending { InAnotherProgram, OverTheShelf, Escape, Refused };

struct EndingCase
{
    const char *name;
    Ending ending;
    /// The rows afterwards.
    QStringList titles;
};

void PrintTo(const EndingCase &c, std::ostream *os)
{
    *os << c.name;
}

class ShelfDragEnding : public ShelfDrag, public ::testing::WithParamInterface<EndingCase>
{
};

TEST_P(ShelfDragEnding, RemoveAfterDragRemovesOnlyItemsTakenElsewhere)
{
    const EndingCase &c = GetParam();
    defaults().setRemoveAfterDrag(true);
    const QString clip = storageFile(QStringLiteral("3/clip.txt"), "clip");
    addItem(fileItem(clip, true), 0);
    addItem({QStringLiteral("stays"), QString(T::NSStringPboardType), "stays", {}, {}, {}}, 1);
    HBDockWindowController &controller = shownShelf();
    DropTargetProcess target;
    ASSERT_TRUE(
        target.start(c.ending == Ending::Refused ? QStringList{QStringLiteral("--refuse")} : QStringList{}));

    const QRect frame = controller.panel()->geometry();
    const QPoint end
        = c.ending == Ending::OverTheShelf ? QPoint(frame.center().x(), frame.bottom() - 6) : target.center();
    ASSERT_TRUE(dragWithPointer(rowCenter(0), end, c.ending == Ending::Escape));
    if (c.ending == Ending::InAnotherProgram) {
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !target.drops().isEmpty(); }));
    }
    QTest::qWait(300); // the drag's end is handled when exec() returns, in this process
    ASSERT_TRUE(controller.draggingIndexes().isEmpty()) << "the drag has ended";

    EXPECT_EQ(titles(controller.itemsArray()), c.titles);
    EXPECT_EQ(titles(HBObjectStore::shared()->defaultContext()->fetchItems()), c.titles);
    EXPECT_TRUE(QFile::exists(clip)) << "files stay on disk";
    if (c.ending != Ending::InAnotherProgram) {
        EXPECT_TRUE(target.drops().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Endings, ShelfDragEnding,
    ::testing::Values(EndingCase{"InAnotherProgram", Ending::InAnotherProgram, {"stays"}},
        // Dropped below the rows of its own shelf: moved to the end, not removed.
        EndingCase{"OverTheShelf", Ending::OverTheShelf, {"stays", "clip.txt"}},
        EndingCase{"Escape", Ending::Escape, {"clip.txt", "stays"}},
        EndingCase{"Refused", Ending::Refused, {"clip.txt", "stays"}}),
    [](const ::testing::TestParamInfo<EndingCase> &row) { return std::string(row.param.name); });

// ---- Reordering ----

TEST_F(ShelfDrag, RowsDraggedWithinTheShelfAreReorderedWithAnInsertionLine)
{
    int order = 0;
    for (const char *title : {"A", "B", "C", "D", "E"})
        addItem({QString::fromLatin1(title) + QStringLiteral(".txt"), QString(T::NSStringPboardType), title,
                    {}, {}, {}},
            order++);
    HBDockWindowController &controller = shownShelf();
    QItemSelectionModel *selection = controller.tableView()->selectionModel();
    selection->select(controller.itemsModel()->index(1), QItemSelectionModel::ClearAndSelect);
    selection->select(controller.itemsModel()->index(3), QItemSelectionModel::Select);

    // While the pointer rests over the shelf, the line shows where the rows will go.
    int lineSeen = -1;
    QTimer watch;
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
        const int row = controller.tableView()->dropIndicatorRow();
        if (row < 0 || lineSeen >= 0)
            return;
        lineSeen = row;
        const QString dir = qEnvironmentVariable("KELVORA_SHOTS_DIR");
        if (dir.isEmpty())
            return;
        QDir().mkpath(dir);
        QWidget *panel = controller.panel();
        QImage shot(panel->size() + QSize(40, 40), QImage::Format_ARGB32);
        shot.fill(QColor(0xd8, 0xdd, 0xe6));
        QPainter painter(&shot);
        painter.setOpacity(panel->windowOpacity());
        painter.drawPixmap(20, 20, panel->grab());
        painter.end();
        shot.save(dir + QStringLiteral("/shelf-reorder-drag.png"));
    });
    watch.start();

    // Between D and E: the upper part of E's row.
    const QRect rowE = controller.tableView()->visualRect(controller.itemsModel()->index(4));
    const QPoint target
        = controller.tableView()->viewport()->mapToGlobal(rowE.topLeft() + QPoint(rowE.width() / 2, 6));
    ASSERT_TRUE(dragWithPointer(rowCenter(3), target));
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return titles(controller.itemsArray()).first() == u"A.txt"
            && titles(controller.itemsArray()).at(1) == u"C.txt";
    }));
    watch.stop();

    EXPECT_EQ(lineSeen, 4);
    EXPECT_EQ(controller.tableView()->dropIndicatorRow(), -1);
    EXPECT_EQ(titles(controller.itemsArray()), (QStringList{"A.txt", "C.txt", "B.txt", "D.txt", "E.txt"}));
    const QList<PasteboardItem *> stored = HBObjectStore::shared()->defaultContext()->fetchItems();
    EXPECT_EQ(stored, controller.itemsArray());
    for (int i = 0; i < stored.size(); ++i)
        EXPECT_EQ(stored[i]->order(), i);
}

} // namespace

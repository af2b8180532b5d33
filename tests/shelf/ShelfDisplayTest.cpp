// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf on a real X server with openbox: its geometry for every position, a long list
// clamped to the screen, and that it never takes the focus from the application in front.
// With KELVORA_SHOTS_DIR set, screenshots of the shelf are written there.
#include "ShelfTestSupport.h"

#include "HBDraggingTableView.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPanel.h"
#include "HBRoundedCornersScrollView.h"
#include "HBShelfItemModel.h"
#include "HBUserDefaults.h"
#include "PasteboardItem.h"

#include "TestSupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

WId activeWindow()
{
    return run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).toULongLong();
}

// The client area as the X server has it (xwininfo's absolute position and size).
QRect xGeometry(WId window)
{
    const QString text = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    const auto field = [&](const char *name) {
        for (const QString &line : text.split(u'\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1String(name)))
                return trimmed.section(u':', 1).trimmed().toInt();
        }
        return -1;
    };
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height")};
}

bool xMapped(WId window)
{
    return run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)})
        .contains(QLatin1String("IsViewable"));
}

// The other application: the project's test window program, frontmost and focused.
class OtherApplication
{
public:
    bool start()
    {
        m_process.start(QStringLiteral(KELVORA_TEST_WINDOW),
            {QStringLiteral("--instance"), QStringLiteral("editor"), QStringLiteral("--class"),
                QStringLiteral("Editor"), QStringLiteral("--title"), QStringLiteral("Other application")});
        if (!m_process.waitForStarted(5000))
            return false;
        if (!TestSupport::waitUntil([&] { return m_process.canReadLine(); }, std::chrono::seconds(10)))
            return false;
        m_window = m_process.readLine().trimmed().toULongLong();
        run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QString::number(m_window)});
        return TestSupport::waitUntil([&] { return activeWindow() == m_window; });
    }
    ~OtherApplication()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    WId window() const { return m_window; }

private:
    QProcess m_process;
    WId m_window = 0;
};

// The shelf drawn over a neutral backdrop, so that its rounded corners and translucency show.
void saveShot(HBDockWindowController &controller, const QString &name)
{
    const QString dir = qEnvironmentVariable("KELVORA_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QWidget *panel = controller.panel();
    QImage shot(panel->size() + QSize(40, 40), QImage::Format_ARGB32);
    shot.fill(QColor(0xd8, 0xdd, 0xe6));
    {
        QPainter painter(&shot);
        painter.setOpacity(panel->windowOpacity());
        painter.drawPixmap(20, 20, panel->grab());
    }
    shot.save(dir + QStringLiteral("/shelf-") + name + QStringLiteral(".png"));
}

void settle()
{
    QTest::qWait(HBDockWindowController::animationDuration + 50);
}

} // namespace

TEST_F(ShelfTest, EveryPositionHasItsRealGeometry)
{
    defaults().setDisableAnimations(true);
    addItems(4);
    const QRect area = screenArea();
    HBDockWindowController &controller = shelf();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return xMapped(controller.panel()->winId()); }));
    const int h = expectedHeight(4);
    const int w = controller.panel()->width();
    const int right = area.left() + area.width() - w;
    struct Row
    {
        const char *name;
        qint64 position;
        QRect frame;
    };
    const Row rows[] = {
        {"left top", 0, {area.left(), area.top() + HBDockWindowController::topMargin, w, h}},
        {"left middle", 1, {area.left(), int(std::lround(area.top() + 0.5 * area.height() - 0.5 * h)), w, h}},
        {"left bottom", 2, {area.left(), area.top() + area.height() - h, w, h}},
        {"right top", 3, {right, area.top() + HBDockWindowController::topMargin, w, h}},
        {"right middle", 4, {right, int(std::lround(area.top() + 0.5 * area.height() - 0.5 * h)), w, h}},
        {"right bottom", 5, {right, area.top() + area.height() - h, w, h}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        defaults().setWindowPosition(row.position);
        EXPECT_TRUE(TestSupport::waitUntil([&] {
            return xGeometry(controller.panel()->winId()) == row.frame;
        })) << "X has "
            << qPrintable(QStringLiteral("%1,%2 %3x%4")
                              .arg(xGeometry(controller.panel()->winId()).x())
                              .arg(xGeometry(controller.panel()->winId()).y())
                              .arg(xGeometry(controller.panel()->winId()).width())
                              .arg(xGeometry(controller.panel()->winId()).height()));
    }
}

TEST_F(ShelfTest, TenThousandItemsAreClampedAndScroll)
{
    defaults().setDisableAnimations(true);
    defaults().setWindowPosition(3);
    addItems(10000);
    const QRect area = screenArea();
    HBDockWindowController &controller = shelf();
    ASSERT_EQ(controller.itemsArray().size(), 10000);
    const WId id = controller.panel()->winId();
    const QRect expected(area.left() + area.width() - controller.panel()->width(),
        area.top() + HBDockWindowController::topMargin, controller.panel()->width(),
        area.height() - HBDockWindowController::topMargin);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return xGeometry(id) == expected; }));
    EXPECT_TRUE(controller.scrollView()->scrollingEnabled());
    QScrollBar *bar = controller.scrollView()->verticalScrollBar();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return bar->isVisible() && bar->maximum() > 0; }));
    EXPECT_EQ(bar->maximum(),
        controller.tableView()->contentHeight() - controller.scrollView()->viewport()->height());

    // Scrolled to the end, the last row is the one drawn at the bottom.
    bar->setValue(bar->maximum());
    const QPoint bottom = controller.tableView()->mapFrom(
        controller.scrollView()->viewport(), QPoint(10, controller.scrollView()->viewport()->height() - 5));
    EXPECT_EQ(controller.tableView()->indexAt(bottom).row(), 9999);
}

TEST_F(ShelfTest, ShelfNeverTakesTheFocusFromTheApplicationInFront)
{
    defaults().setDisableAnimations(false);
    OtherApplication other;
    ASSERT_TRUE(other.start());

    addItems(3);
    HBDockWindowController &controller = shelf();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return xMapped(controller.panel()->winId()); }));
    settle();
    EXPECT_EQ(activeWindow(), other.window());

    // Clicking a row selects it without activating the shelf.
    const QRect row = controller.tableView()->visualRect(controller.itemsModel()->index(1));
    const QPoint global = controller.tableView()->mapToGlobal(row.center());
    run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()),
            QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(TestSupport::waitUntil([&] {
        return controller.tableView()->selectionModel()->isSelected(controller.itemsModel()->index(1));
    }));
    EXPECT_EQ(activeWindow(), other.window());

    // Hidden and shown again by the hot key, forced visible: never activated.
    controller.handleHotKeyEvent();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !xMapped(controller.panel()->winId()); }));
    controller.handleHotKeyEvent();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return xMapped(controller.panel()->winId()); }));
    controller.forceShowWindow();
    settle();
    EXPECT_EQ(activeWindow(), other.window());
}

TEST_F(ShelfTest, Screenshots)
{
    if (qEnvironmentVariableIsEmpty("KELVORA_SHOTS_DIR"))
        GTEST_SKIP() << "KELVORA_SHOTS_DIR not set";
    defaults().setDisableAnimations(true);

    HBDockWindowController &controller = shelf();
    controller.forceShowWindow();
    settle();
    saveShot(controller, QStringLiteral("empty-overlay"));
    controller.resetForceShowWindow();

    const QList<PasteboardItem *> items = addItems(5, QStringLiteral("report"));
    items.at(1)->setTitle(QStringLiteral("holiday photo.png"));
    items.at(2)->setTitle(QString());
    items.at(3)->setTitle(QStringLiteral("a rather long document title.pdf"));
    items.at(4)->setIconIsPending(true);
    HBObjectStore::shared()->defaultContext()->saveAndWait();
    defaults().setWindowPosition(1);
    controller.fullReload();
    controller.tableView()->selectionModel()->select(
        controller.itemsModel()->index(1), QItemSelectionModel::ClearAndSelect);
    settle();
    saveShot(controller, QStringLiteral("left"));
    saveShot(controller, QStringLiteral("items"));
    saveShot(controller, QStringLiteral("dark"));

    defaults().setWindowPosition(4);
    settle();
    saveShot(controller, QStringLiteral("right"));

    defaults().setWindowColor(QColor(0xf2, 0xf0, 0xe8));
    settle();
    saveShot(controller, QStringLiteral("light"));
    SUCCEED();
}

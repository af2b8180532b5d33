// SPDX-License-Identifier: GPL-3.0-or-later
// The drop-only window on a real X server with openbox: where it appears, that it never
// takes the focus, real drops from another program and refused drags from this one.
// With KELVORA_SHOTS_DIR set, screenshots of the window are written there.
#include "ShelfTestSupport.h"

#include "DragSourceProcess.h"
#include "HBDropOnlyWindowController.h"
#include "HBDropTargetView.h"
#include "HBFakeInputMonitor.h"
#include "HBNoInteractionImageView.h"
#include "HBNotificationCenter.h"
#include "HBNotifications.h"
#include "HBPanel.h"
#include "HBUserDefaults.h"
#include "PasteboardItem.h"

#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

bool xMapped(WId window)
{
    return TestSupport::runProgram(
        QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)})
        .contains(QLatin1String("IsViewable"));
}

// The application the user drags from: the project's test window program, focused.
class FocusedApplication
{
public:
    bool start()
    {
        m_process.start(QStringLiteral(KELVORA_TEST_WINDOW),
            {QStringLiteral("--instance"), QStringLiteral("files"), QStringLiteral("--class"),
                QStringLiteral("Files"), QStringLiteral("--title"), QStringLiteral("Focused application")});
        if (!m_process.waitForStarted(5000)
            || !TestSupport::waitUntil([&] { return m_process.canReadLine(); }, std::chrono::seconds(10)))
            return false;
        m_window = m_process.readLine().trimmed().toULongLong();
        TestSupport::runProgram(
            QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QString::number(m_window)});
        return TestSupport::waitUntil([&] { return TestSupport::activeWindow() == m_window; });
    }
    ~FocusedApplication()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    WId window() const { return m_window; }

private:
    QProcess m_process;
    WId m_window = 0;
};

/// A window of this program that starts a drag of a file when the mouse is pressed in it
/// and moved, as the shelf's list does.
class OwnDragSource : public QWidget
{
public:
    explicit OwnDragSource(QString path)
        : m_path(std::move(path))
    {
        setWindowTitle(QStringLiteral("Kelvora own drag source"));
        resize(160, 120);
    }

    bool finished = false;
    Qt::DropAction result = Qt::IgnoreAction;

protected:
    void mousePressEvent(QMouseEvent *event) override { m_press = event->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!(event->buttons() & Qt::LeftButton) || m_dragging
            || (event->position().toPoint() - m_press).manhattanLength() < QApplication::startDragDistance())
            return;
        auto *mime = new QMimeData; // owned by the drag
        mime->setUrls({QUrl::fromLocalFile(m_path)});
        auto *drag = new QDrag(this);
        drag->setMimeData(mime);
        m_dragging = true;
        result = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        finished = true;
    }

private:
    QString m_path;
    QPoint m_press;
    bool m_dragging = false;
};

class DropWindowDisplayTest : public ShelfTest
{
protected:
    void SetUp() override
    {
        ShelfTest::SetUp();
        ASSERT_TRUE(TestSupport::onDisplay());
        HBInputMonitor::setSharedMonitor(&m_monitor);
        m_monitor.setMouseLocation(m_pointer);
        defaults().setCombineIntoStacks(false);
        shelf();
        QObject::connect(HBNotificationCenter::defaultCenter(), &HBNotificationCenter::posted, &m_receiver,
            [this](const QString &name, QObject *) {
                if (name == HBNotifications::DidAddItem)
                    ++m_didAddItem;
            });
    }
    void TearDown() override
    {
        QObject::disconnect(HBNotificationCenter::defaultCenter(), nullptr, &m_receiver, nullptr);
        ShelfTest::TearDown();
        HBInputMonitor::setSharedMonitor(nullptr);
    }

    /// Shows the drop window at the pointer and waits until X shows it.
    HBDropOnlyWindowController &shownDropWindow()
    {
        shelf().showDropWindowNearCursor();
        HBDropOnlyWindowController *window = shelf().dropWindowController();
        EXPECT_NE(window, nullptr);
        EXPECT_TRUE(TestSupport::waitUntil([&] { return xMapped(window->panel()->winId()); }));
        return *window;
    }

    QRect expectedFrame(const HBDropOnlyWindowController &window) const
    {
        return HBDockWindowController::dropWindowFrame(
            m_pointer, QGuiApplication::primaryScreen()->geometry(), window.panel()->size());
    }

    static QStringList makeFiles(const QStringList &names)
    {
        QStringList paths;
        for (const QString &name : names) {
            paths.append(TestSupport::home() + u"/files/" + name);
            EXPECT_TRUE(TestSupport::writeFile(paths.back(), "x"));
        }
        return paths;
    }

    const QPoint m_pointer{700, 200};
    HBFakeInputMonitor m_monitor;
    QObject m_receiver;
    int m_didAddItem = 0;
};

TEST_F(DropWindowDisplayTest, AppearsBelowThePointerWithoutTakingTheFocus)
{
    defaults().setDisableAnimations(false);
    FocusedApplication other;
    ASSERT_TRUE(other.start());

    HBDropOnlyWindowController &window = shownDropWindow();
    const WId id = window.panel()->winId();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return TestSupport::xGeometry(id) == expectedFrame(window); }));
    EXPECT_TRUE(TestSupport::runProgram(
        QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(id), QStringLiteral("_NET_WM_NAME")})
                    .contains(QLatin1String("\"Kelvora Drop\"")));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window.panel()->windowOpacity() == 1.0; }));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return window.isArrowTimerActive(); }));
    EXPECT_EQ(TestSupport::activeWindow(), other.window());

    const QPointer<HBDropOnlyWindowController> released = &window;
    shelf().hideDropOnlyWindow();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return released.isNull(); }));
    EXPECT_EQ(TestSupport::activeWindow(), other.window());
}

TEST_F(DropWindowDisplayTest, WithAnimationsOffItIsOpaqueAndGoneAtOnce)
{
    defaults().setDisableAnimations(true);
    HBDropOnlyWindowController &window = shownDropWindow();
    EXPECT_EQ(window.panel()->windowOpacity(), 1.0);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !window.isArrowStartPending(); }));
    EXPECT_FALSE(window.isArrowTimerActive());
    EXPECT_EQ(window.arrowImageView()->geometry(), window.originalArrowFrame());

    const WId id = window.panel()->winId();
    const QPointer<HBDropOnlyWindowController> released = &window;
    shelf().hideDropOnlyWindow();
    EXPECT_FALSE(window.panel()->isVisible());
    EXPECT_TRUE(TestSupport::waitUntil([&] { return released.isNull(); }));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !xMapped(id); }));
}

TEST_F(DropWindowDisplayTest, ThreeFilesDraggedFromAnotherProgramBecomeThreeItems)
{
    defaults().setDisableAnimations(true);
    const QStringList files = makeFiles(
        {QStringLiteral("one.txt"), QStringLiteral("two.txt"), QStringLiteral("three words.txt")});
    DragSourceProcess source;
    ASSERT_TRUE(source.start(DragSourceProcess::Toolkit::Qt, QStringList{QStringLiteral("--files")} + files))
        << qPrintable(source.error());

    HBDropOnlyWindowController &window = shownDropWindow();
    ASSERT_TRUE(source.dragTo(window.panel()->geometry().center()));
    ASSERT_TRUE(
        TestSupport::waitUntil([&] { return shelf().itemsArray().size() == 3; }, std::chrono::seconds(10)))
        << "source said: " << qPrintable(source.output());
    EXPECT_EQ(m_didAddItem, 3);
    const QList<PasteboardItem *> items = shelf().itemsArray();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(items[i]->title(), files[i].section(u'/', -1));
    EXPECT_TRUE(TestSupport::waitUntil([&] { return xMapped(shelf().panel()->winId()); }))
        << "the shelf shows with the new items";
    EXPECT_TRUE(TestSupport::waitUntil([&] { return source.output().contains(QLatin1String("finished 1")); }))
        << "the source learns that its drop was copied: " << qPrintable(source.output());
    EXPECT_TRUE(window.panel()->isVisible()) << "the drop alone does not hide the window";
}

TEST_F(DropWindowDisplayTest, HiddenWhileTheDragIsOverItTheDropStillLands)
{
    // The button release that hides the window may be seen before the source's drop
    // message arrives. Here the hide comes as soon as the drag is over the window.
    defaults().setDisableAnimations(true);
    const QStringList files = makeFiles({QStringLiteral("late.txt")});
    DragSourceProcess source;
    ASSERT_TRUE(source.start(DragSourceProcess::Toolkit::Qt, QStringList{QStringLiteral("--files")} + files))
        << qPrintable(source.error());

    HBDropOnlyWindowController &window = shownDropWindow();
    const QPointer<HBDropOnlyWindowController> controller = &window;
    bool hidden = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &m_receiver, [&] {
        if (!hidden && controller && controller->isTakingDrop()) {
            hidden = true;
            shelf().hideDropOnlyWindow();
        }
    });
    watch.start(5);
    ASSERT_TRUE(source.dragTo(window.panel()->geometry().center()));
    ASSERT_TRUE(
        TestSupport::waitUntil([&] { return shelf().itemsArray().size() == 1; }, std::chrono::seconds(10)))
        << "source said: " << qPrintable(source.output());
    EXPECT_TRUE(hidden);
    EXPECT_EQ(shelf().itemsArray().first()->title(), QStringLiteral("late.txt"));
    // Once the drop is in, the window goes and its controller with it.
    EXPECT_TRUE(TestSupport::waitUntil([&] { return controller.isNull(); }));
    EXPECT_EQ(shelf().dropWindowController(), nullptr);
}

TEST_F(DropWindowDisplayTest, DragFromThisProgramIsRefused)
{
    defaults().setDisableAnimations(true);
    const QStringList files = makeFiles({QStringLiteral("own.txt")});
    OwnDragSource source(files.first());
    source.move(100, 500);
    source.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&source));

    HBDropOnlyWindowController &window = shownDropWindow();
    // Count the drag's visits, so that a drag that never reached the window cannot pass.
    struct EnterCounter : QObject
    {
        int enters = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::DragEnter)
                ++enters;
            return false;
        }
    } counter;
    window.tableView()->installEventFilter(&counter);

    ASSERT_TRUE(TestSupport::playXdotool(
        TestSupport::dragGesture(source.geometry().center(), window.panel()->geometry().center())));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return source.finished; }));
    EXPECT_GT(counter.enters, 0);
    EXPECT_EQ(source.result, Qt::IgnoreAction);
    EXPECT_TRUE(shelf().itemsArray().isEmpty());
    EXPECT_EQ(m_didAddItem, 0);
    EXPECT_FALSE(window.isTakingDrop());
}

TEST_F(DropWindowDisplayTest, Screenshots)
{
    const QString dir = qEnvironmentVariable("KELVORA_SHOTS_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "KELVORA_SHOTS_DIR not set";
    QDir().mkpath(dir);
    defaults().setDisableAnimations(true);
    const auto save = [&](HBDropOnlyWindowController &window, const QString &name) {
        QWidget *panel = window.panel();
        QImage shot(panel->size() + QSize(40, 40), QImage::Format_ARGB32);
        shot.fill(QColor(0xd8, 0xdd, 0xe6));
        {
            QPainter painter(&shot);
            painter.drawPixmap(20, 20, panel->grab());
        }
        EXPECT_TRUE(shot.save(dir + QStringLiteral("/drop-window-") + name + QStringLiteral(".png")));
    };
    save(shownDropWindow(), QStringLiteral("dark"));
    defaults().setWindowColor(QColor(0xf2, 0xf0, 0xe8));
    save(*shelf().dropWindowController(), QStringLiteral("light"));
}

} // namespace

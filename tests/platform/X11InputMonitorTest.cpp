// SPDX-License-Identifier: GPL-3.0-or-later
// The global input monitor and the drag selection against real drags: other applications
// are played by the project's Qt and GTK drag sources, input by xdotool.
#include "x11/X11InputMonitor.h"
#include "DragSourceProcess.h"
#include "TestSupport.h"
#include "x11/HBDragSelectionFactory.h"
#include "x11/HBInputMonitorFactory.h"
#include "x11/X11DragSelection.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

using Toolkit = DragSourceProcess::Toolkit;

constexpr std::chrono::seconds timeout{10};

/// Plays input with xdotool while this process's event loop turns, as it would while the
/// user acts: raw events carry no position, so the monitor reads the pointer when it
/// handles them, and a blocked loop would read where the pointer went next.
void xdotool(const QStringList &arguments)
{
    EXPECT_TRUE(TestSupport::playXdotool(arguments, timeout));
}

/// A window of this process that starts a drag of its own when the pointer moves with the
/// button held, as the shelf does with its rows.
class OwnDragWindow : public QWidget
{
public:
    std::function<void()> whileDragging;

protected:
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!(event->buttons() & Qt::LeftButton) || m_dragging)
            return;
        m_dragging = true;
        auto *mime = new QMimeData;
        mime->setText(QStringLiteral("own"));
        auto *drag = new QDrag(this);
        drag->setMimeData(mime);
        // Looked at from inside the drag: the selection is ours only while it runs.
        QTimer::singleShot(300, this, [this] {
            if (whileDragging)
                whileDragging();
        });
        drag->exec(Qt::CopyAction);
    }

private:
    bool m_dragging = false;
};

class X11InputMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::onDisplay());
        m_monitor = qobject_cast<X11InputMonitor *>(HBInputMonitorFactory::create(&m_owner));
        ASSERT_NE(m_monitor, nullptr);
        ASSERT_TRUE(m_monitor->isListening());
        m_selection = qobject_cast<X11DragSelection *>(HBDragSelectionFactory::create(&m_owner));
        ASSERT_NE(m_selection, nullptr);
        QObject::connect(m_monitor, &HBInputMonitor::globalEvent, &m_owner,
            [this](const HBInputEvent &event) { m_events.append(event); });
        QObject::connect(m_selection, &HBDragSelection::changed, &m_owner, [this] { ++m_changes; });
    }

    void TearDown() override
    {
        // A test that stopped halfway must not leave the button held for the next one.
        if (m_monitor && (m_monitor->pressedMouseButtons() & Qt::LeftButton))
            xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    }

    bool waitForEvent(HBInputEvent::Type type)
    {
        return TestSupport::waitUntil(
            [&] {
                return std::any_of(m_events.cbegin(), m_events.cend(),
                    [&](const HBInputEvent &event) { return event.type == type; });
            },
            timeout);
    }

    QList<HBInputEvent> eventsOf(HBInputEvent::Type type) const
    {
        QList<HBInputEvent> result;
        for (const HBInputEvent &event : m_events) {
            if (event.type == type)
                result.append(event);
        }
        return result;
    }

    /// Clicks the bare screen at `at` and waits for its release: every event of earlier
    /// input has been handled by then.
    void clickOutside(const QPoint &at)
    {
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
            QStringLiteral("click"), QStringLiteral("1")});
        ASSERT_TRUE(waitForEvent(HBInputEvent::LeftMouseUp));
    }

    QObject m_owner;
    X11InputMonitor *m_monitor = nullptr;
    X11DragSelection *m_selection = nullptr;
    QList<HBInputEvent> m_events;
    int m_changes = 0;
};

/// A drag source and what its drag must be seen to offer.
struct SourceCase
{
    friend void PrintTo(const SourceCase &row, std::ostream *out) { *out << row.name; }

    const char *name;
    Toolkit toolkit;
    QStringList options;
    QStringList offered;
    // Qt tells its types only when it offers more than three: nothing is then an answer,
    // a wrong list never is.
    bool mayBeUnknown;
};

class DragFromOtherProgram : public X11InputMonitorTest, public ::testing::WithParamInterface<SourceCase>
{
};

TEST_P(DragFromOtherProgram, IsFollowedFromPressToReleaseAndCountedOnce)
{
    const SourceCase &row = GetParam();
    DragSourceProcess source;
    ASSERT_TRUE(source.start(row.toolkit, row.options)) << source.error().toStdString();
    const QPoint start = source.windowGeometry().center();
    const qint64 before = m_selection->changeCount();

    // The source starts its drag past its start distance and grabs the pointer.
    ASSERT_TRUE(source.pressAndMove(QPoint(180, 90)));
    ASSERT_TRUE(TestSupport::waitUntil([this] { return m_changes > 0; }, timeout))
        << source.output().toStdString();
    EXPECT_EQ(m_selection->changeCount(), before + 1);
    EXPECT_FALSE(m_selection->isOwnDrag());

    const std::optional<QStringList> types = m_selection->offeredTypes();
    if (!row.mayBeUnknown) {
        ASSERT_TRUE(types.has_value());
    }
    if (types) {
        for (const QString &type : row.offered)
            EXPECT_TRUE(types->contains(type))
                << type.toStdString() << " in " << types->join(u' ').toStdString();
    }
    // Asked once per drag.
    EXPECT_EQ(m_selection->offeredTypes(), types);

    ASSERT_TRUE(source.moveBy(QPoint(120, 60)));
    ASSERT_TRUE(source.release());
    ASSERT_TRUE(waitForEvent(HBInputEvent::LeftMouseUp));
    const QPoint end = start + QPoint(300, 150);

    ASSERT_GE(m_events.size(), 4);
    EXPECT_EQ(m_events.first().type, HBInputEvent::LeftMouseDown);
    EXPECT_LE((m_events.first().location - start).manhattanLength(), 2);
    EXPECT_EQ(m_events.last().type, HBInputEvent::LeftMouseUp);
    EXPECT_EQ(m_events.last().location, end);
    EXPECT_EQ(eventsOf(HBInputEvent::LeftMouseDown).size(), 1);
    EXPECT_EQ(eventsOf(HBInputEvent::LeftMouseUp).size(), 1);

    // The drags follow the pointer, on through the part where the source holds the grab,
    // never repeating a position.
    const QList<HBInputEvent> drags = eventsOf(HBInputEvent::LeftMouseDragged);
    ASSERT_GE(drags.size(), 5);
    for (qsizetype i = 1; i < drags.size(); ++i) {
        EXPECT_NE(drags.at(i).location, drags.at(i - 1).location);
        EXPECT_GE(drags.at(i).location.x(), drags.at(i - 1).location.x());
    }
    EXPECT_EQ(drags.last().location, end);

    EXPECT_EQ(m_changes, 1);
    EXPECT_EQ(m_selection->changeCount(), before + 1);
}

const QStringList textTypes{
    QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("UTF8_STRING"), QStringLiteral("text/plain")};
const QStringList linkTypes{QStringLiteral("text/x-moz-url"), QStringLiteral("_NETSCAPE_URL"),
    QStringLiteral("text/plain"), QStringLiteral("text/html")};
const QStringList linkOptions{
    QStringLiteral("--link"), QStringLiteral("https://example.org/"), QStringLiteral("Example")};

INSTANTIATE_TEST_SUITE_P(Sources, DragFromOtherProgram,
    ::testing::Values(SourceCase{"GtkText", Toolkit::Gtk, {QStringLiteral("--text"), QStringLiteral("hello")},
                          textTypes, false},
        SourceCase{"GtkLink", Toolkit::Gtk, linkOptions, linkTypes, false},
        SourceCase{"QtLink", Toolkit::Qt, linkOptions, linkTypes, false},
        SourceCase{"QtFiles", Toolkit::Qt, {QStringLiteral("--files"), QStringLiteral("/tmp/one")},
            {QStringLiteral("text/uri-list")}, true}),
    [](const ::testing::TestParamInfo<SourceCase> &source) { return std::string(source.param.name); });

// Qt keeps the selection between drags and leaves its type list behind: the second drag
// is a new drag, and the first one's list is never taken for it.
TEST_F(X11InputMonitorTest, SecondDragOfAQtProgramIsNewAndNotTakenForTheFirst)
{
    DragSourceProcess source;
    ASSERT_TRUE(source.start(Toolkit::Qt,
        linkOptions
            + QStringList{QStringLiteral("--next"), QStringLiteral("--files"), QStringLiteral("/tmp/one")}))
        << source.error().toStdString();
    const qint64 before = m_selection->changeCount();

    ASSERT_TRUE(source.pressAndMove(QPoint(180, 90)));
    ASSERT_TRUE(TestSupport::waitUntil([this] { return m_changes == 1; }, timeout));
    const std::optional<QStringList> first = m_selection->offeredTypes();
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(first->contains(QStringLiteral("text/x-moz-url")));
    ASSERT_TRUE(source.release());
    ASSERT_TRUE(TestSupport::waitUntil(
        [&] { return source.output().contains(QStringLiteral("finished")); }, timeout));

    ASSERT_TRUE(source.pressAndMove(QPoint(180, 90)));
    ASSERT_TRUE(TestSupport::waitUntil([this] { return m_changes == 2; }, timeout));
    EXPECT_EQ(m_selection->changeCount(), before + 2);
    const std::optional<QStringList> second = m_selection->offeredTypes();
    if (second) {
        EXPECT_TRUE(second->contains(QStringLiteral("text/uri-list")));
        EXPECT_FALSE(second->contains(QStringLiteral("text/x-moz-url")));
    }
    ASSERT_TRUE(source.release());
    ASSERT_TRUE(
        TestSupport::waitUntil([this] { return eventsOf(HBInputEvent::LeftMouseUp).size() == 2; }, timeout));
    EXPECT_EQ(m_changes, 2);
}

TEST_F(X11InputMonitorTest, DragOfThisProgramIsOwnAndItsGestureUnreported)
{
    OwnDragWindow window;
    window.setWindowTitle(QStringLiteral("own drag"));
    window.setGeometry(500, 300, 200, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    std::optional<bool> ownDuringDrag;
    qint64 countDuringDrag = 0;
    window.whileDragging = [&] {
        ownDuringDrag = m_selection->isOwnDrag();
        countDuringDrag = m_selection->changeCount();
    };

    // The drag runs a nested event loop in this process, so xdotool plays from outside it.
    const QPoint centre = TestSupport::xGeometry(window.winId()).center();
    QProcess gesture;
    gesture.start(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
            QStringLiteral("sleep"), QStringLiteral("0.3"), QStringLiteral("mousedown"), QStringLiteral("1"),
            QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("mousemove_relative"),
            QStringLiteral("--"), QStringLiteral("30"), QStringLiteral("20"), QStringLiteral("sleep"),
            QStringLiteral("0.1"), QStringLiteral("mousemove_relative"), QStringLiteral("--"),
            QStringLiteral("30"), QStringLiteral("20"), QStringLiteral("sleep"), QStringLiteral("0.6"),
            QStringLiteral("mouseup"), QStringLiteral("1")});
    ASSERT_TRUE(TestSupport::waitUntil([&] { return gesture.state() == QProcess::NotRunning; }, timeout));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return ownDuringDrag.has_value(); }, timeout));
    EXPECT_TRUE(*ownDuringDrag);
    EXPECT_EQ(countDuringDrag, 1);
    EXPECT_EQ(m_changes, 1);

    clickOutside(QPoint(1000, 700));
    ASSERT_EQ(m_events.size(), 2);
    EXPECT_EQ(m_events.at(0).type, HBInputEvent::LeftMouseDown);
    EXPECT_EQ(m_events.at(0).location, QPoint(1000, 700));
}

TEST_F(X11InputMonitorTest, ClickOnThisProgramsWindowIsUnreported)
{
    QWidget window;
    window.setGeometry(500, 300, 200, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint centre = TestSupport::xGeometry(window.winId()).center();
    xdotool({QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
        QStringLiteral("click"), QStringLiteral("1")});

    clickOutside(QPoint(1000, 700));
    ASSERT_EQ(m_events.size(), 2);
    EXPECT_EQ(m_events.at(0).type, HBInputEvent::LeftMouseDown);
    EXPECT_EQ(m_events.at(0).location, QPoint(1000, 700));
    EXPECT_EQ(m_events.at(1).type, HBInputEvent::LeftMouseUp);
}

// An absolute move only warps the pointer and makes no raw motion; the pointer is sampled
// while the button is held.
TEST_F(X11InputMonitorTest, WarpWithTheButtonHeldIsADragAndThePointerIsRead)
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("300"), QStringLiteral("300"),
        QStringLiteral("mousedown"), QStringLiteral("1")});
    ASSERT_TRUE(waitForEvent(HBInputEvent::LeftMouseDown));
    EXPECT_EQ(m_monitor->pressedMouseButtons(), Qt::MouseButtons(Qt::LeftButton));
    EXPECT_EQ(m_monitor->mouseLocation(), QPoint(300, 300));

    xdotool({QStringLiteral("mousemove"), QStringLiteral("640"), QStringLiteral("480")});
    ASSERT_TRUE(waitForEvent(HBInputEvent::LeftMouseDragged));
    EXPECT_EQ(eventsOf(HBInputEvent::LeftMouseDragged).last().location, QPoint(640, 480));

    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    ASSERT_TRUE(waitForEvent(HBInputEvent::LeftMouseUp));
    EXPECT_EQ(m_monitor->pressedMouseButtons(), Qt::NoButton);
    EXPECT_EQ(m_monitor->mouseLocation(), QPoint(640, 480));
}

TEST_F(X11InputMonitorTest, KeyReleasesTellEscapeFromOtherKeys)
{
    const struct
    {
        const char *key;
        bool escape;
    } rows[] = {{"Escape", true}, {"a", false}, {"x", false}, {"Return", false}};
    for (const auto &row : rows) {
        m_events.clear();
        xdotool({QStringLiteral("key"), QString::fromLatin1(row.key)});
        ASSERT_TRUE(waitForEvent(HBInputEvent::KeyUp)) << row.key;
        EXPECT_EQ(m_events.last().keyCode == HBInputEvent::escapeKeyCode, row.escape) << row.key;
    }
}

// The monitor and the selection on a server of their own that then goes away: they say so,
// keep answering, and leave the event loop idle (a dead socket stays readable for ever).
TEST(X11InputConnection, LostServerLeavesNoCrashAndNoBusyLoop)
{
    ASSERT_TRUE(TestSupport::onDisplay());
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
            QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("640x480x24")});
    QByteArray number;
    ASSERT_TRUE(TestSupport::waitUntil(
        [&] {
            number += server.readAllStandardOutput();
            return number.contains('\n');
        },
        timeout));
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":" + number.trimmed());
    QObject owner;
    auto *monitor = new X11InputMonitor(&owner);
    auto *selection = new X11DragSelection(&owner);
    qputenv("DISPLAY", display);
    ASSERT_TRUE(monitor->isListening());
    ASSERT_TRUE(selection->isConnected());

    server.kill();
    server.waitForFinished();
    ASSERT_TRUE(TestSupport::waitUntil(
        [&] { return !monitor->isConnected() && !selection->isConnected(); }, timeout));
    EXPECT_EQ(selection->offeredTypes(), QStringList());
    monitor->mouseLocation();

    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QTest::qWait(500);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const auto cpuMs = [](const rusage &usage) {
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    };
    // A loop spinning on the dead socket would take all of the half second.
    EXPECT_LT(cpuMs(after) - cpuMs(before), 250.0);
}

} // namespace

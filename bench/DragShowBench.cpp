// SPDX-License-Identifier: GPL-3.0-or-later
// How fast the shelf answers a drag: another program (the Qt test drag source) starts real
// drags, and for each one this measures the time from the input monitor reporting the
// pointer 20 points or more from where the button went down to the shelf window being
// exposed on the X server. Reports the median and the 95th percentile.
// Needs an X display: eval "$(scripts/display.sh)", then kelvora_drag_show_bench [drags].
#include "DragSourceProcess.h"
#include "HBDockWindowController.h"
#include "HBDragSelection.h"
#include "HBObjectStore.h"
#include "HBPanel.h"
#include "HBUserDefaults.h"
#include "HBWorkspace.h"
#include "x11/HBDragSelectionFactory.h"
#include "x11/HBInputMonitorFactory.h"
#include "x11/HBWorkspaceFactory.h"

#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void useTemporaryHome(const QString &home)
{
    for (const auto &[name, sub] : {std::pair{"HOME", ""}, {"XDG_DATA_HOME", "/data"},
             {"XDG_CONFIG_HOME", "/config"}, {"XDG_CACHE_HOME", "/cache"}}) {
        const QString path = home + QString::fromLatin1(sub);
        QDir().mkpath(path);
        qputenv(name, path.toLocal8Bit());
    }
}

/// Notes when the window becomes exposed.
class ExposeWatch : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && !shownAt)
            shownAt = clock.nsecsElapsed();
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed() && !exposedAt)
            exposedAt = clock.nsecsElapsed();
        return false;
    }
    QElapsedTimer clock;
    qint64 shownAt = 0;
    qint64 exposedAt = 0;
};

/// Runs the event loop (without the pauses of the test helpers' waits, which would be
/// measured) until `condition` holds or `milliseconds` pass.
bool spin(const std::function<bool()> &condition, int milliseconds)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    check.start(1);
    if (!condition())
        loop.exec();
    return condition();
}

/// Plays a drag from `start` with xdotool in the background: press, three relative moves
/// of 10 points, a pause, release.
bool playDrag(const QPoint &start)
{
    QProcess xdotool;
    QStringList gesture = {QStringLiteral("mousemove"), QString::number(start.x()),
        QString::number(start.y()), QStringLiteral("sleep"), QStringLiteral("0.15"),
        QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"), QStringLiteral("0.1")};
    for (int i = 0; i < 3; ++i)
        gesture << QStringLiteral("mousemove_relative") << QStringLiteral("--") << QStringLiteral("0")
                << QStringLiteral("10") << QStringLiteral("sleep") << QStringLiteral("0.05");
    gesture << QStringLiteral("sleep") << QStringLiteral("0.2") << QStringLiteral("mouseup")
            << QStringLiteral("1");
    xdotool.start(QStringLiteral("xdotool"), gesture);
    return spin([&] { return xdotool.state() == QProcess::NotRunning; }, 10000) && xdotool.exitCode() == 0;
}

} // namespace

int main(int argc, char **argv)
{
    const int drags = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kelvora-bench-XXXXXX"));
    useTemporaryHome(home.path());
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "needs an X display\n");
        return 2;
    }

    HBObjectStore::shared()->setup();
    std::unique_ptr<HBWorkspace> workspace(HBWorkspaceFactory::create(nullptr));
    std::unique_ptr<HBInputMonitor> monitor(HBInputMonitorFactory::create(nullptr));
    std::unique_ptr<HBDragSelection> selection(HBDragSelectionFactory::create(nullptr));
    HBWorkspace::setSharedWorkspace(workspace.get());
    HBInputMonitor::setSharedMonitor(monitor.get());
    HBDragSelection::setSharedSelection(selection.get());
    HBUserDefaults::standardUserDefaults().setDisableAnimations(true);

    ExposeWatch watch;
    watch.clock.start();
    // Connected before the shelf, so the crossing is timed before the shelf reacts to it.
    QPoint pressedAt;
    qint64 crossedAt = 0;
    QObject::connect(monitor.get(), &HBInputMonitor::globalEvent, &app, [&](const HBInputEvent &event) {
        if (event.type == HBInputEvent::LeftMouseDown)
            pressedAt = event.location;
        const QPointF delta(event.location - pressedAt);
        if (event.type == HBInputEvent::LeftMouseDragged && !crossedAt
            && std::hypot(delta.x(), delta.y()) >= 20)
            crossedAt = watch.clock.nsecsElapsed();
    });
    auto shelf = HBDockWindowController::controller();
    shelf->panel()->winId();
    shelf->panel()->windowHandle()->installEventFilter(&watch);

    DragSourceProcess source;
    const QString file = home.filePath(QStringLiteral("dragged.txt"));
    TestSupport::writeFile(file, "dragged");
    if (!source.start(DragSourceProcess::Toolkit::Qt, {QStringLiteral("--files"), file})) {
        std::fprintf(stderr, "%s\n", qPrintable(source.error()));
        return 2;
    }

    const QPoint start = source.windowGeometry().center();
    std::vector<double> latencies;
    std::vector<double> untilShow;
    int missed = 0;
    for (int i = 0; i < drags; ++i) {
        crossedAt = 0;
        watch.exposedAt = 0;
        watch.shownAt = 0;
        playDrag(start);
        const bool shown = watch.exposedAt != 0;
        if (shown && crossedAt) {
            latencies.push_back(double(watch.exposedAt - crossedAt) / 1e6);
            untilShow.push_back(double(watch.shownAt - crossedAt) / 1e6);
        } else
            ++missed;
        spin([&] { return !shelf->isWindowVisible(); }, 3000);
    }
    if (latencies.empty()) {
        std::fprintf(stderr, "no drag showed the shelf\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::sort(untilShow.begin(), untilShow.end());
    std::printf("crossing -> the shelf asks to be shown: median %.2f ms  p95 %.2f ms\n",
        untilShow[untilShow.size() / 2],
        untilShow[std::min(untilShow.size() - 1, size_t(0.95 * double(untilShow.size())))]);
    const auto at = [&](double q) {
        return latencies[std::min(latencies.size() - 1, size_t(q * double(latencies.size())))];
    };
    std::printf("drags %zu (missed %d)  crossing 20 points -> shelf exposed: median %.2f ms  p95 %.2f ms  "
                "max %.2f ms\n",
        latencies.size(), missed, at(0.5), at(0.95), latencies.back());
    return 0;
}

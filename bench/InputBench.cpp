// SPDX-License-Identifier: GPL-3.0-or-later
// What the global input monitor and the drag selection cost on a real X server (run on a
// display, e.g. eval "$(scripts/display.sh)"):
//  - RawMotionToSignal: from a pointer motion injected through XTest to the monitor's
//    drag event, with the button held;
//  - OfferedTypes/<source>: one reading of the types a running drag offers, past the cache.
#include "DragSourceProcess.h"
#include "TestSupport.h"
#include "x11/X11DragSelection.h"
#include "x11/X11InputMonitor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>

namespace {

void fake(xcb_connection_t *connection, uint8_t type, uint8_t detail, int16_t x = 0, int16_t y = 0)
{
    xcb_test_fake_input(connection, type, detail, XCB_CURRENT_TIME, XCB_WINDOW_NONE, x, y, 0);
    xcb_flush(connection);
}

void RawMotionToSignal(benchmark::State &state)
{
    X11InputMonitor monitor;
    if (!monitor.isListening()) {
        state.SkipWithError("no XInput 2");
        return;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // The press lands on the bare screen: no window of this process is there.
    xcb_warp_pointer(connection, XCB_WINDOW_NONE, root, 0, 0, 0, 0, 700, 450);
    fake(connection, XCB_BUTTON_PRESS, 1);
    int drags = 0;
    QObject::connect(&monitor, &HBInputMonitor::globalEvent, [&](const HBInputEvent &event) {
        if (event.type == HBInputEvent::LeftMouseDragged)
            ++drags;
    });
    TestSupport::waitUntil([&] { return monitor.pressedMouseButtons() & Qt::LeftButton; });

    int step = 1;
    for (auto _ : state) {
        const int seen = drags;
        const auto started = std::chrono::steady_clock::now();
        // detail 1: a relative motion, which the server reports as raw motion.
        fake(connection, XCB_MOTION_NOTIFY, 1, int16_t(step), 0);
        while (drags == seen)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        step = -step;
    }
    fake(connection, XCB_BUTTON_RELEASE, 1);
    TestSupport::waitUntil([&] { return !(monitor.pressedMouseButtons() & Qt::LeftButton); });
    xcb_disconnect(connection);
}
BENCHMARK(RawMotionToSignal)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

void OfferedTypes(benchmark::State &state, DragSourceProcess::Toolkit toolkit, QStringList options)
{
    X11DragSelection selection;
    DragSourceProcess source;
    if (!source.start(toolkit, options)) {
        state.SkipWithError("the drag source did not start");
        return;
    }
    const qint64 before = selection.changeCount();
    source.pressAndMove(QPoint(180, 90));
    if (!TestSupport::waitUntil([&] { return selection.changeCount() > before; })) {
        state.SkipWithError("no drag began");
        source.release();
        return;
    }
    // Whatever the source wrote at the start of its drag is in place.
    TestSupport::waitUntil([] { return false; }, std::chrono::milliseconds(300));
    qsizetype known = -1;
    for (auto _ : state) {
        const std::optional<QStringList> types = selection.readOfferedTypes();
        known = types ? types->size() : -1;
        benchmark::DoNotOptimize(known);
    }
    state.counters["types"] = double(known);
    source.release();
}

const QStringList text{QStringLiteral("--text"), QStringLiteral("hello")};
const QStringList link{
    QStringLiteral("--link"), QStringLiteral("https://example.org/"), QStringLiteral("Example")};
const QStringList files{QStringLiteral("--files"), QStringLiteral("/tmp/one")};
BENCHMARK_CAPTURE(OfferedTypes, GtkText, DragSourceProcess::Toolkit::Gtk, text)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300);
BENCHMARK_CAPTURE(OfferedTypes, GtkLink, DragSourceProcess::Toolkit::Gtk, link)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300);
BENCHMARK_CAPTURE(OfferedTypes, QtLinkTypeList, DragSourceProcess::Toolkit::Qt, link)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300);
// One type: Qt writes no XdndTypeList and refuses TARGETS.
BENCHMARK_CAPTURE(OfferedTypes, QtFilesRefused, DragSourceProcess::Toolkit::Qt, files)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf's reload (store fetch, row changes, layout) at realistic list sizes, and the
// resident memory of a shelf showing 1,000 items. Runs on the offscreen platform.
#include "HBDockWindowController.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBUserDefaults.h"
#include "PasteboardItem.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QTemporaryDir *g_home = nullptr;

void fillStore(int count)
{
    static int serial = 0;
    HBObjectStore *store = HBObjectStore::shared();
    store->setup(g_home->path() + QStringLiteral("/store-%1/Harbrook.sqlite").arg(++serial));
    HBObjectContext *context = store->defaultContext();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        PasteboardItem *item = PasteboardItem::create(context);
        item->setTitle(QStringLiteral("document %1.pdf").arg(i));
        item->setDate(now);
        item->setOrder(i);
    }
    context->saveAndWait();
}

// Resident set size of this process, from /proc/self/status.
double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

void BM_FullReload(benchmark::State &state)
{
    fillStore(int(state.range(0)));
    HBUserDefaults::standardUserDefaults().setDisableAnimations(true);
    auto controller = HBDockWindowController::controller();
    for (auto _ : state) {
        controller->fullReload();
        QCoreApplication::processEvents();
    }
    state.counters["items"] = double(controller->itemsArray().size());
    controller.reset();
    HBObjectStore::shared()->close();
}
BENCHMARK(BM_FullReload)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ResidentMemoryWith1000Items(benchmark::State &state)
{
    fillStore(1000);
    HBUserDefaults::standardUserDefaults().setDisableAnimations(true);
    std::unique_ptr<HBDockWindowController> controller;
    for (auto _ : state) {
        controller = HBDockWindowController::controller();
        controller->fullReload();
        // Paint once, as a shown shelf does.
        controller->window()->grab();
        QCoreApplication::processEvents();
    }
    state.counters["rss_MiB"] = residentMiB();
    controller.reset();
    HBObjectStore::shared()->close();
}
BENCHMARK(BM_ResidentMemoryWith1000Items)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    g_home = &home;
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        qputenv(name, (home.path() + u'/' + QLatin1String(name)).toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The item store's hot paths: adding one item (the intake's save), reading the whole list
// (the shelf's reload) and removing one item, on stores of realistic sizes.
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardFile.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QTemporaryDir *g_home = nullptr;

PasteboardItem *addItem(HBObjectContext *context, int order)
{
    PasteboardItem *item = PasteboardItem::create(context);
    PasteboardType *type = PasteboardType::create(context);
    const QString path = QStringLiteral("/home/user/Documents/file %1.txt").arg(order);
    type->setType(PasteboardTypes::NSFilenamesPboardType);
    type->setData(PropertyList::xmlStringArray({path}));
    item->addTypesObject(type);
    item->setMainType(type);
    item->setTitle(QStringLiteral("file %1.txt").arg(order));
    item->setDate(QDateTime::currentDateTimeUtc());
    item->setOrder(order);
    PasteboardFile *file = PasteboardFile::create(context);
    file->setPath(path);
    file->setIsRemovable(false);
    item->addFilesObject(file);
    return item;
}

// A store file of its own holding `count` items, each with a representation and a file.
HBObjectStore *openStore(int count)
{
    static int serial = 0;
    const QString path = g_home->path() + QStringLiteral("/store-%1/Harbrook.sqlite").arg(++serial);
    HBObjectStore *store = HBObjectStore::shared();
    store->setup(path);
    for (int i = 0; i < count; ++i)
        addItem(store->defaultContext(), i);
    store->defaultContext()->saveAndWait();
    // A fresh default context, as after a launch: nothing in memory yet.
    store->setup(path);
    return store;
}

void freeDeadObjects()
{
    QCoreApplication::processEvents();
}

void BM_InsertAndSave(benchmark::State &state)
{
    HBObjectStore *store = openStore(int(state.range(0)));
    HBObjectContext *context = store->defaultContext();
    int order = int(state.range(0));
    for (auto _ : state) {
        addItem(context, order++);
        if (!context->saveAndWait())
            state.SkipWithError("save failed");
    }
    state.counters["items"] = double(context->countItems());
}
BENCHMARK(BM_InsertAndSave)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1000)
    ->Repetitions(5)
    ->Unit(benchmark::kMicrosecond);

// The shelf's reload right after a launch: every row read into new objects.
void BM_FetchItemsCold(benchmark::State &state)
{
    HBObjectStore *store = openStore(int(state.range(0)));
    for (auto _ : state) {
        auto context = store->newContext();
        const QList<PasteboardItem *> items = context->fetchItems();
        benchmark::DoNotOptimize(items.size());
        if (items.size() != state.range(0))
            state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_FetchItemsCold)->Arg(10000)->Repetitions(5)->Unit(benchmark::kMillisecond);

// Later reloads: the rows are read again, the objects already exist.
void BM_FetchItemsWarm(benchmark::State &state)
{
    HBObjectStore *store = openStore(int(state.range(0)));
    HBObjectContext *context = store->defaultContext();
    context->fetchItems();
    for (auto _ : state)
        benchmark::DoNotOptimize(context->fetchItems().size());
}
BENCHMARK(BM_FetchItemsWarm)->Arg(10000)->Repetitions(5)->Unit(benchmark::kMillisecond);

void BM_DeleteAndSave(benchmark::State &state)
{
    HBObjectStore *store = openStore(int(state.range(0)));
    HBObjectContext *context = store->defaultContext();
    int order = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        PasteboardItem *item = addItem(context, order++);
        context->saveAndWait();
        freeDeadObjects();
        state.ResumeTiming();
        item->deleteEntity();
        if (!context->saveAndWait())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_DeleteAndSave)->Arg(10000)->Iterations(1000)->Repetitions(5)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    // Never the user's store: every path below comes from this temporary home.
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kelvora-bench-XXXXXX"));
    if (!home.isValid())
        return 2;
    g_home = &home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    QCoreApplication app(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    HBObjectStore::shared()->close();
    return 0;
}

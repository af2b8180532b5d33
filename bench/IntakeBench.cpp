// SPDX-License-Identifier: GPL-3.0-or-later
// Intake of a text drop and of a 100-file drop (one item per file) into stores that
// already hold 0 or 10,000 items: what a user waits for between releasing the mouse and
// seeing the new row. Each measured drop saves to a real SQLite file; the items it made
// are removed again outside the measurement, so every run sees the same store size.
#include "HBMimePasteboard.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBPasteboardHelper.h"
#include "HBUserDefaults.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"

#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

namespace {

void openStoreWithItems(int count)
{
    static int storeNumber = 0;
    HBObjectStore *store = HBObjectStore::shared();
    store->setup(
        qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/bench-%1.sqlite").arg(++storeNumber));
    HBObjectContext *context = store->defaultContext();
    for (int i = 0; i < count; ++i) {
        PasteboardItem *item = PasteboardItem::create(context);
        PasteboardType *type = PasteboardType::create(context);
        type->setType(PasteboardTypes::NSStringPboardType);
        type->setData(QByteArray("existing item ") + QByteArray::number(i));
        type->setItem(item);
        item->setMainType(type);
        item->setTitle(QStringLiteral("existing item %1").arg(i));
        item->setOrder(i + 1);
    }
    context->saveAndWait();
}

void removeNewItems(int keep)
{
    HBObjectContext *context = HBObjectStore::shared()->defaultContext();
    const QList<PasteboardItem *> items = context->fetchItems();
    for (qsizetype i = keep; i < items.size(); ++i)
        items[i]->deleteEntityIgnoringFiles(true);
    context->saveAndWait();
}

void runDrop(benchmark::State &state, const QMimeData &mime, int expectedItems)
{
    const int existing = int(state.range(0));
    openStoreWithItems(existing);
    HBUserDefaults::standardUserDefaults().setCombineIntoStacks(false);
    HBPasteboardHelper &helper = HBPasteboardHelper::sharedHelper();
    for (auto _ : state) {
        // A drop's pasteboard is made fresh for each drop, as a drop event does.
        HBMimePasteboard pasteboard(&mime);
        if (!helper.acceptDrop(&pasteboard))
            state.SkipWithError("drop refused");
        state.PauseTiming();
        if (HBObjectStore::shared()->defaultContext()->countItems() != existing + expectedItems)
            state.SkipWithError("unexpected item count");
        removeNewItems(existing);
        state.ResumeTiming();
    }
    HBObjectStore::shared()->close();
}

void BM_TextDrop(benchmark::State &state)
{
    QMimeData mime;
    mime.setData(QStringLiteral("text/plain;charset=utf-8"), "A few words dragged from an editor");
    mime.setData(QStringLiteral("text/html"), "<p>A few words dragged from an editor</p>");
    runDrop(state, mime, 1);
}

void BM_HundredFilesDrop(benchmark::State &state)
{
    QList<QUrl> urls;
    for (int i = 0; i < 100; ++i)
        urls.append(QUrl::fromLocalFile(QStringLiteral("/home/user/Pictures/holiday %1.jpg").arg(i)));
    QMimeData mime;
    mime.setUrls(urls);
    runDrop(state, mime, 100);
}

BENCHMARK(BM_TextDrop)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HundredFilesDrop)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // Never the user's store or settings: everything lives in a temporary home.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Writing items out as files: a burst of text drops, and a burst of large pictures against
// the time of simply writing their bytes. The counter "main_gap_ms" is the longest time the
// main thread's event loop went without running while the worker wrote: the main thread
// must stay free for the shelf.
#include "HBFileManager.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <unistd.h>

namespace {

QTemporaryDir *g_home = nullptr;

QList<PasteboardItem *> makeItems(int count, const QString &type, const QByteArray &data)
{
    HBObjectContext *context = HBObjectStore::shared()->defaultContext();
    QList<PasteboardItem *> items;
    for (int i = 0; i < count; ++i) {
        PasteboardItem *item = PasteboardItem::create(context);
        PasteboardType *row = PasteboardType::create(context);
        row->setType(type);
        row->setData(data);
        item->addTypesObject(row);
        item->setMainType(row->clone(context));
        item->setTitle(QStringLiteral("Item %1").arg(i));
        item->setOrder(i);
        items.append(item);
    }
    context->saveAndWait();
    // The setup's own writes are folded into the database file here, so that the timed part
    // does not pay for a checkpoint of what the intake wrote before it (in use, the intake's
    // small saves keep the log short).
    sqlite3 *db = nullptr;
    if (sqlite3_open(HBObjectStore::shared()->path().toUtf8().constData(), &db) == SQLITE_OK)
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return items;
}

/// Queues every item and runs the main loop until the last completion; answers the longest
/// stretch the main loop was kept from running.
qint64 materialiseAll(const QList<PasteboardItem *> &items)
{
    int done = 0;
    for (PasteboardItem *item : items)
        HBFileManager::sharedManager().makeFileForItemIfNeeded(item, nullptr, [&done] { ++done; });
    // A heartbeat wakes the loop every millisecond, so a long gap means the main thread was
    // busy (merging saves, running completions), not idle.
    QTimer heartbeat;
    heartbeat.start(1);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    while (done < items.size()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const qint64 now = clock.nsecsElapsed();
        longest = qMax(longest, now - last);
        last = now;
    }
    return longest;
}

void emptyStore()
{
    HBObjectContext *context = HBObjectStore::shared()->defaultContext();
    for (PasteboardItem *item : context->fetchItems())
        item->deleteEntity();
    context->saveAndWait();
    QCoreApplication::processEvents();
}

void BM_MaterialiseTextItems(benchmark::State &state)
{
    const int count = int(state.range(0));
    qint64 longestGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QList<PasteboardItem *> items = makeItems(
            count, PasteboardTypes::NSStringPboardType, QByteArrayLiteral("Some text, a line or two."));
        state.ResumeTiming();
        longestGap = qMax(longestGap, materialiseAll(items));
        state.PauseTiming();
        emptyStore();
        state.ResumeTiming();
    }
    state.counters["items_per_s"]
        = benchmark::Counter(double(count), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["main_gap_ms"] = double(longestGap) / 1e6;
}
BENCHMARK(BM_MaterialiseTextItems)->Arg(1000)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

/// A 12-megapixel photograph-like JPEG (smooth with grain, so it compresses as photos do).
QByteArray twelveMegapixelJpeg()
{
    static QByteArray bytes;
    if (bytes.isEmpty()) {
        QImage image(4000, 3000, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < image.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grain = int(random.bounded(24));
                line[x]
                    = qRgb((x / 16 + grain) & 0xff, (y / 12 + grain) & 0xff, ((x + y) / 28 + grain) & 0xff);
            }
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", 92);
    }
    return bytes;
}

void BM_MaterialisePictures(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QByteArray picture = twelveMegapixelJpeg();
    qint64 longestGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QList<PasteboardItem *> items = makeItems(count, QStringLiteral("image/jpeg"), picture);
        state.ResumeTiming();
        longestGap = qMax(longestGap, materialiseAll(items));
        state.PauseTiming();
        emptyStore();
        state.ResumeTiming();
    }
    state.counters["MB_per_s"] = benchmark::Counter(
        double(count) * double(picture.size()) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["picture_MB"] = double(picture.size()) / 1e6;
    state.counters["main_gap_ms"] = double(longestGap) / 1e6;
}
BENCHMARK(BM_MaterialisePictures)->Arg(100)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The floor for the pictures: the same bytes written to new files, one folder each.
void BM_WritePictureBytes(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QByteArray picture = twelveMegapixelJpeg();
    const QString root = g_home->path() + QStringLiteral("/plain");
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            const QString folder = root + QStringLiteral("/%1").arg(i);
            QDir().mkpath(folder);
            QFile file(folder + QStringLiteral("/picture.jpg"));
            if (!file.open(QIODevice::WriteOnly) || file.write(picture) != picture.size())
                state.SkipWithError("write failed");
            // Arg 1: as durable as the file manager's writes (on disk before recorded).
            if (state.range(1) != 0) {
                file.flush();
                ::fdatasync(file.handle());
            }
        }
        state.PauseTiming();
        QDir(root).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["MB_per_s"] = benchmark::Counter(
        double(count) * double(picture.size()) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WritePictureBytes)
    ->Args({100, 0})
    ->Args({100, 1})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    // Never the user's store or files: every path below comes from this temporary home.
    // KELVORA_BENCH_DIR puts it on a chosen disk (the default temporary folder may be memory).
    const QString parent = qEnvironmentVariableIsSet("KELVORA_BENCH_DIR")
        ? qEnvironmentVariable("KELVORA_BENCH_DIR")
        : QDir::tempPath();
    QTemporaryDir home(parent + QStringLiteral("/kelvora-bench-XXXXXX"));
    if (!home.isValid())
        return 2;
    g_home = &home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    HBObjectStore::shared()->setup();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    HBObjectStore::shared()->close();
    return 0;
}

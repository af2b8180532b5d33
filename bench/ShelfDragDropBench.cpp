// SPDX-License-Identifier: GPL-3.0-or-later
// Drag and drop through the shelf: preparing a drag out of 1,000 items (the pasteboard and
// the MIME data handed to the drag), and a drop of 1,000 files, one item per file, through
// the shelf window's drop handling (intake, a saved item and a row per file). Offscreen.
#include "HBDockWindowController.h"
#include "HBMimePasteboard.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "HBUserDefaults.h"
#include "HBWindowBackgroundView.h"
#include "PasteboardItem.h"
#include "PasteboardType.h"
#include "PasteboardTypes.h"
#include "PropertyList.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

namespace T = PasteboardTypes;

QTemporaryDir *g_home = nullptr;

void openNewStore()
{
    static int serial = 0;
    HBObjectStore::shared()->setup(
        g_home->path() + QStringLiteral("/store-%1/Harbrook.sqlite").arg(++serial));
}

// 1,000 items as the file manager leaves them: half text written to a file, half pictures
// written to a file (whose picture data a drag must leave out).
void fillStore(int count)
{
    openNewStore();
    HBObjectContext *context = HBObjectStore::shared()->defaultContext();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QByteArray picture(20000, '\x7f');
    for (int i = 0; i < count; ++i) {
        PasteboardItem *item = PasteboardItem::create(context);
        const bool text = i % 2 == 0;
        const QString path = g_home->path() + QStringLiteral("/files/%1.%2").arg(i).arg(text ? "txt" : "png");
        item->setTitle(path.section(u'/', -1));
        item->setDate(now);
        item->setOrder(i);
        PasteboardType *main = PasteboardType::create(context);
        main->setType(T::NSFilenamesPboardType);
        main->setData(PropertyList::xmlStringArray({path}));
        item->setMainType(main);
        const QList<std::pair<QString, QByteArray>> types = text
            ? QList<std::pair<QString, QByteArray>>{{T::NSStringPboardType,
                                                        "some text " + QByteArray::number(i)},
                {T::NSRTFPboardType, "{\\rtf1 some text}"}, {QStringLiteral("text/plain"), "some text"}}
            : QList<std::pair<QString, QByteArray>>{
                {T::NSTIFFPboardType, picture}, {QStringLiteral("image/png"), picture}};
        for (const auto &[name, data] : types) {
            PasteboardType *type = PasteboardType::create(context);
            type->setType(name);
            type->setData(data);
            type->setItem(item);
        }
    }
    context->saveAndWait();
}

void BM_DragOut1000Items(benchmark::State &state)
{
    fillStore(1000);
    HBUserDefaults::standardUserDefaults().setDisableAnimations(true);
    auto controller = HBDockWindowController::controller();
    QList<int> rows;
    for (int i = 0; i < 1000; ++i)
        rows.append(i);
    qsizetype bytes = 0;
    for (auto _ : state) {
        HBMimePasteboard pasteboard;
        controller->writeRowsWithIndexes(rows, &pasteboard);
        const std::unique_ptr<QMimeData> mime = pasteboard.mimeData(false);
        bytes = mime->data(QStringLiteral("text/uri-list")).size();
        benchmark::DoNotOptimize(mime.get());
        controller->draggingSessionEnded(QPoint(), Qt::IgnoreAction);
    }
    state.counters["uri_list_bytes"] = double(bytes);
    controller.reset();
    HBObjectStore::shared()->close();
}
BENCHMARK(BM_DragOut1000Items)->Unit(benchmark::kMillisecond);

void BM_Drop1000Files(benchmark::State &state)
{
    HBUserDefaults &defaults = HBUserDefaults::standardUserDefaults();
    defaults.setDisableAnimations(true);
    defaults.setCombineIntoStacks(false);
    const QString folder = g_home->path() + QStringLiteral("/dropped");
    QDir().mkpath(folder);
    QList<QUrl> urls;
    for (int i = 0; i < 1000; ++i) {
        QFile file(folder + QStringLiteral("/file %1.txt").arg(i));
        file.open(QIODevice::WriteOnly);
        file.write("x");
        urls.append(QUrl::fromLocalFile(file.fileName()));
    }
    QMimeData mime;
    mime.setUrls(urls);
    qsizetype rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        openNewStore();
        auto controller = HBDockWindowController::controller();
        // As drag detection shows the empty shelf for a drag that may be dropped.
        controller->actuallyShowWindow();
        QWidget *target = controller->contentView();
        state.ResumeTiming();

        // A drop always follows the drag's arrival over the window.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &move);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        if (!drop.isAccepted())
            state.SkipWithError("drop refused");

        state.PauseTiming();
        rows = controller->itemsArray().size();
        controller.reset();
        HBObjectStore::shared()->close();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_Drop1000Files)->Unit(benchmark::kMillisecond)->Iterations(5);

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

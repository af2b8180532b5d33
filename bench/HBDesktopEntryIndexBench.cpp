// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace consults the desktop entry index on every change of the frontmost
// application: checking the folders for changes and matching a window class must stay
// far below a frame. Runs against 400 generated entries (a well-filled desktop) in a
// user and a system folder.
#include "HBDesktopEntryIndex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QStringList g_folders;

void writeEntries(const QString &dataDirectory, const QString &prefix, int count)
{
    for (int i = 0; i < count; ++i) {
        const QString folder = dataDirectory + QStringLiteral("/applications/")
            + (i % 4 == 0 ? QStringLiteral("sub/") : QString());
        QDir().mkpath(folder);
        QFile file(folder + prefix + QString::number(i) + QStringLiteral(".desktop"));
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write("[Desktop Entry]\nType=Application\nName=Program " + QByteArray::number(i)
            + "\nName[de]=Programm\nName[fr]=Programme\nComment=Does things\nExec=program %F\nIcon=program\n"
              "StartupWMClass=Program"
            + QByteArray::number(i)
            + "\nCategories=Utility;\n\n"
              "[Desktop Action new]\nName=New\nExec=program --new\n");
    }
}

HBDesktopEntryIndex makeIndex()
{
    return HBDesktopEntryIndex(g_folders, QStringLiteral("de_DE.UTF-8"));
}

void loadIndex(benchmark::State &state)
{
    for (auto _ : state) {
        HBDesktopEntryIndex index = makeIndex();
        benchmark::DoNotOptimize(index.entries().size());
    }
    state.counters["entries"] = double(makeIndex().entries().size());
}
BENCHMARK(loadIndex)->Unit(benchmark::kMillisecond);

void reloadIfChangedUnchanged(benchmark::State &state)
{
    HBDesktopEntryIndex index = makeIndex();
    for (auto _ : state)
        index.reloadIfChanged();
}
BENCHMARK(reloadIfChangedUnchanged)->Unit(benchmark::kMicrosecond);

void matchUnknownWindowClass(benchmark::State &state)
{
    // An unknown class walks every entry under all three rules: the slowest lookup.
    HBDesktopEntryIndex index = makeIndex();
    const QString instance = QStringLiteral("no-such-program");
    const QString className = QStringLiteral("No-such-program");
    for (auto _ : state)
        benchmark::DoNotOptimize(index.entryForWindowClass(instance, className));
}
BENCHMARK(matchUnknownWindowClass)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    g_folders = {root.path() + QStringLiteral("/user"), root.path() + QStringLiteral("/system")};
    writeEntries(g_folders.at(0), QStringLiteral("org.example.user"), 40);
    writeEntries(g_folders.at(1), QStringLiteral("org.example.app"), 360);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

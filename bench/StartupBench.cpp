// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-process start-up: Kelvora with 1,000 stored items, from exec until its first
// window is exposed, against a bare Qt window program doing the same, alternated in one
// run. Reports the median wall time and peak resident memory of each and their ratios.
// Needs an X display (eval "$(scripts/display.sh)") and, for Kelvora's single-instance
// check, a session bus (dbus-run-session).
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardItem.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Sample
{
    double milliseconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Sample runOnce(const QByteArray &program)
{
    const double start = now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("KELVORA_EXIT_WHEN_SHOWN", "1", 1);
        alarm(30);
        execl(program.constData(), program.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return {};
    return {now() - start, usage.ru_maxrss, WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s KELVORA BARE_WINDOW [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 20;
    QTemporaryDir home;
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        qputenv(name, (home.path() + u'/' + QLatin1String(name)).toLocal8Bit());
    {
        QCoreApplication app(argc, argv);
        HBObjectStore *store = HBObjectStore::shared();
        if (!store->setup())
            return 1;
        for (int i = 0; i < 1000; ++i) {
            PasteboardItem *item = PasteboardItem::pasteboardItemWithFilePaths(
                {QStringLiteral("/home/user/Documents/report %1.pdf").arg(i)});
            item->setOrder(i);
            item->setDate(QDateTime::currentDateTimeUtc());
        }
        store->defaultContext()->saveAndWait();
        store->close();
    }

    std::vector<double> kelvoraMs, bareMs, kelvoraKiB, bareKiB;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        const Sample bare = runOnce(argv[2]);
        const Sample kelvora = runOnce(argv[1]);
        failures += !bare.ok + !kelvora.ok;
        if (bare.ok && kelvora.ok) {
            bareMs.push_back(bare.milliseconds);
            kelvoraMs.push_back(kelvora.milliseconds);
            bareKiB.push_back(double(bare.peakKiB));
            kelvoraKiB.push_back(double(kelvora.peakKiB));
        }
    }
    const double km = median(kelvoraMs), bm = median(bareMs);
    const double kk = median(kelvoraKiB), bk = median(bareKiB);
    std::printf("runs: %zu (failed: %d)\n", kelvoraMs.size(), failures);
    std::printf("bare window:  %.1f ms  %.1f MiB peak\n", bm, bk / 1024);
    std::printf("kelvora:      %.1f ms  %.1f MiB peak (1,000 stored items)\n", km, kk / 1024);
    std::printf("ratio:        time %.2f  memory %.2f (target: at most 1.5 each)\n", bm > 0 ? km / bm : 0,
                bk > 0 ? kk / bk : 0);
    return failures ? 1 : 0;
}

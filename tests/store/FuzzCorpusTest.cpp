// SPDX-License-Identifier: GPL-3.0-or-later
// Replays every checked-in fuzz input through the fuzz targets' own bodies, so that an
// input that once crashed a reader keeps being run by the normal test suite.
#include "FuzzEntries.h"
#include "TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

struct Target
{
    const char *name;
    void (*run)(const uint8_t *, size_t);
};

void PrintTo(const Target &target, std::ostream *os)
{
    *os << target.name;
}

std::string targetName(const ::testing::TestParamInfo<Target> &param)
{
    return param.param.name;
}

class FuzzCorpus : public ::testing::TestWithParam<Target>
{
};

TEST_P(FuzzCorpus, EveryInputRunsCleanly)
{
    FuzzEntries::silenceLogs();
    const QDir corpus(QStringLiteral(KELVORA_FUZZ_CORPUS_DIR "/") + QString::fromLatin1(GetParam().name));
    const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << qPrintable(corpus.path());
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray input = TestSupport::readFile(corpus.filePath(file));
        ASSERT_FALSE(input.isNull());
        // A broken invariant aborts the process, which fails the test.
        GetParam().run(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus,
    ::testing::Values(Target{"rtf_text", FuzzEntries::rtfText},
        Target{"html_image_source", FuzzEntries::htmlImageSource},
        Target{"property_list", FuzzEntries::propertyList}, Target{"item_titles", FuzzEntries::itemTitles}),
    targetName);

} // namespace

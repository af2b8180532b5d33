// SPDX-License-Identifier: GPL-3.0-or-later
#include "PropertyListGuard.h"
#include "PropertyList.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <variant>
#include <vector>

namespace {

// A binary property list built by hand, so that shapes no writer produces (cycles, shared
// containers, absurd nesting) can be made. Each object is a short ASCII string or an
// array of references to other objects; references and offsets are 4 bytes wide.
using Object = std::variant<QByteArray, std::vector<quint32>>;

QByteArray binaryPlist(const std::vector<Object> &objects, quint32 root = 0)
{
    QByteArray data("bplist00");
    std::vector<quint32> offsets;
    const auto appendBigEndian = [&data](quint64 value, int size) {
        for (int i = size - 1; i >= 0; --i)
            data.append(char((value >> (8 * i)) & 0xFF));
    };
    const auto appendMarker = [&](int type, size_t count) {
        if (count < 15) {
            data.append(char((type << 4) | int(count)));
        } else {
            data.append(char((type << 4) | 0x0F));
            data.append(char(0x12));
            appendBigEndian(count, 4);
        }
    };
    for (const Object &object : objects) {
        offsets.push_back(quint32(data.size()));
        if (const auto *text = std::get_if<QByteArray>(&object)) {
            appendMarker(0x5, size_t(text->size()));
            data.append(*text);
        } else {
            const auto &refs = std::get<std::vector<quint32>>(object);
            appendMarker(0xA, refs.size());
            for (const quint32 ref : refs)
                appendBigEndian(ref, 4);
        }
    }
    const quint64 tableOffset = quint64(data.size());
    for (const quint32 offset : offsets)
        appendBigEndian(offset, 4);
    data.append(QByteArray(6, '\0'));
    data.append(char(4));
    data.append(char(4));
    appendBigEndian(objects.size(), 8);
    appendBigEndian(root, 8);
    appendBigEndian(tableOffset, 8);
    return data;
}

// Object i is an array holding object i + 1 `fanOut` times; the last one is a string.
QByteArray chain(int length, int fanOut)
{
    std::vector<Object> objects;
    for (int i = 0; i < length; ++i)
        objects.emplace_back(std::vector<quint32>(size_t(fanOut), quint32(i + 1)));
    objects.emplace_back(QByteArray("leaf"));
    return binaryPlist(objects);
}

QByteArray xmlNesting(int depth)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i)
        xml += "<array>";
    xml += "<string>x</string><array/>";
    for (int i = 0; i < depth; ++i)
        xml += "</array>";
    return xml + "</plist>";
}

TEST(PropertyListGuard, SoundBinaryListsAreRead)
{
    // Writers share equal leaves: three references to one string.
    const QByteArray shared
        = binaryPlist({std::vector<quint32>{1, 2, 1, 1}, QByteArray("/a"), QByteArray("/b")});
    EXPECT_EQ(PropertyList::fromData(shared).toStringList(), QStringList({"/a", "/b", "/a", "/a"}));

    std::vector<Object> many{std::vector<quint32>()};
    for (quint32 i = 1; i <= 40; ++i) {
        std::get<std::vector<quint32>>(many[0]).push_back(i);
        many.emplace_back(QByteArray("f") + QByteArray::number(i));
    }
    EXPECT_EQ(PropertyList::fromData(binaryPlist(many)).toList().size(), 40);

    EXPECT_TRUE(PropertyList::fromData(chain(100, 1)).isValid());
}

struct RefusedCase
{
    const char *name;
    QByteArray data;
};

class RefusedInput : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(RefusedInput, IsNotHandedToTheParser)
{
    EXPECT_FALSE(PropertyListGuard::withinLimits(GetParam().data));
    EXPECT_FALSE(PropertyList::fromData(GetParam().data).isValid());
}

std::string caseName(const ::testing::TestParamInfo<RefusedCase> &param)
{
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Shapes, RefusedInput,
    ::testing::Values(RefusedCase{"DeepBinary", chain(100000, 1)},
        RefusedCase{"JustTooDeepBinary", chain(PropertyListGuard::kMaxDepth + 1, 1)},
        // 2^60 copies of one leaf from 60 small arrays.
        RefusedCase{"SharedContainersExpand", chain(60, 2)},
        RefusedCase{"Cycle", binaryPlist({std::vector<quint32>{1}, std::vector<quint32>{0}})},
        RefusedCase{"ReferenceOutOfRange", binaryPlist({std::vector<quint32>{7}})},
        RefusedCase{"RootOutOfRange", binaryPlist({QByteArray("x")}, 3)},
        RefusedCase{"TruncatedTrailer", binaryPlist({QByteArray("x")}).chopped(1)},
        RefusedCase{"DeepXml", xmlNesting(100000)},
        // libplist aborts on these rather than failing.
        RefusedCase{"NulInBinaryString", binaryPlist({std::vector<quint32>{1}, QByteArray("a\0b", 3)})},
        RefusedCase{
            "NulInXmlString", QByteArray("<plist version=\"1.0\"><string>a\0b</string></plist>", 49)}),
    caseName);

TEST(PropertyListGuard, XmlNestingLimit)
{
    EXPECT_TRUE(PropertyListGuard::withinLimits(xmlNesting(PropertyListGuard::kMaxDepth - 2)));
    EXPECT_FALSE(PropertyListGuard::withinLimits(xmlNesting(PropertyListGuard::kMaxDepth)));
    EXPECT_TRUE(PropertyList::fromData(xmlNesting(100)).isValid());
    // Comments, declarations and empty elements don't nest.
    QByteArray flat = "<?xml version=\"1.0\"?><!DOCTYPE plist><plist version=\"1.0\"><array>";
    for (int i = 0; i < 2000; ++i)
        flat += "<!-- c --><true/><string>s</string>";
    flat += "</array></plist>";
    EXPECT_EQ(PropertyList::fromData(flat).toList().size(), 4000);
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11/X11NetWmIcon.h"

#include <QImage>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<quint32> square(quint32 side, quint32 argb)
{
    std::vector<quint32> values{side, side};
    values.insert(values.end(), std::size_t(side) * side, argb);
    return values;
}

std::vector<quint32> operator+(std::vector<quint32> a, const std::vector<quint32> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Row
{
    const char *what;
    std::vector<quint32> values;
    QList<QSize> sizes;
};

TEST(NetWmIcon, DecodesWellFormedSizesAndStopsAtTheFirstBadOne)
{
    const quint32 red = 0xffff0000;
    const Row rows[] = {
        {"one size", square(16, red), {QSize(16, 16)}},
        {"two sizes", square(16, red) + square(32, red), {QSize(16, 16), QSize(32, 32)}},
        {"empty", {}, {}},
        {"only a width", {16}, {}},
        {"truncated pixels", {4, 4, red, red, red}, {}},
        {"truncated second size", square(8, red) + std::vector<quint32>{8, 8, red}, {QSize(8, 8)}},
        {"zero width", std::vector<quint32>{0, 4} + square(8, red), {}},
        {"larger than allowed", {X11NetWmIcon::largestSide + 1, 1}, {}},
        {"overflowing product", {0xffffffff, 0xffffffff, red}, {}},
        {"rectangle", std::vector<quint32>{3, 2, red, red, red, red, red, red}, {QSize(3, 2)}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const QIcon icon = X11NetWmIcon::decode(row.values.data(), qsizetype(row.values.size()));
        EXPECT_EQ(icon.availableSizes(), row.sizes);
    }
    EXPECT_TRUE(X11NetWmIcon::decode(nullptr, 4).isNull());
}

TEST(NetWmIcon, KeepsColourAndAlpha)
{
    const std::vector<quint32> values{2, 1, 0xff00ff00, 0x800000ff};
    const QImage image
        = X11NetWmIcon::decode(values.data(), qsizetype(values.size())).pixmap(QSize(2, 1)).toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(1, 0).alpha(), 0x80);
    EXPECT_EQ(image.pixelColor(1, 0).blue(), 255);
}

} // namespace

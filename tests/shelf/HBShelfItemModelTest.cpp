// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf list's model: row-precise changes under QAbstractItemModelTester, and what a
// row shows.
#include "HBShelfItemModel.h"
#include "HBObjectContext.h"
#include "HBObjectStore.h"
#include "PasteboardItem.h"

#include <QAbstractItemModelTester>
#include <QIcon>
#include <QImage>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class ShelfModelTest : public ::testing::Test
{
protected:
    void SetUp() override { HBObjectStore::shared()->setup(); }
    void TearDown() override { HBObjectStore::shared()->close(); }

    QList<PasteboardItem *> make(int count)
    {
        QList<PasteboardItem *> items;
        for (int i = 0; i < count; ++i) {
            PasteboardItem *item = PasteboardItem::create();
            item->setTitle(QStringLiteral("item %1").arg(i));
            items.append(item);
        }
        return items;
    }
};

} // namespace

TEST_F(ShelfModelTest, SetItemsAnnouncesInsertsRemovalsAndMovesWithoutReset)
{
    HBShelfItemModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy moves(&model, &QAbstractItemModel::rowsMoved);
    const QList<PasteboardItem *> items = make(6);
    const auto at = [&](std::initializer_list<int> rows) {
        QList<PasteboardItem *> list;
        for (int row : rows)
            list.append(items.at(row));
        return list;
    };

    struct Step
    {
        const char *name;
        QList<PasteboardItem *> list;
    };
    const Step steps[] = {
        {"load", at({0, 1, 2, 3})},
        {"same list", at({0, 1, 2, 3})},
        {"remove middle and end", at({0, 2})},
        {"insert at the top and between", at({4, 0, 5, 2})},
        {"reorder", at({2, 5, 0, 4})},
        {"remove and insert together", at({1, 5, 3})},
        {"empty", {}},
        {"again", at({3, 1})},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        model.setItems(step.list);
        EXPECT_EQ(model.items(), step.list);
    }
    EXPECT_EQ(resets.count(), 0);
    EXPECT_GT(inserts.count(), 0);
    EXPECT_GT(removals.count(), 0);
    EXPECT_GT(moves.count(), 0);

    model.removeRowsAt({1, 0, 7, -1});
    EXPECT_TRUE(model.isEmpty());
    model.appendItem(items.at(0));
    model.appendItem(items.at(1));
    model.appendItem(items.at(2));
    model.removeRowsAt({0, 2});
    EXPECT_EQ(model.items(), at({1}));
}

TEST_F(ShelfModelTest, RowShowsTitlePictureAndPendingAlpha)
{
    PasteboardItem *untitled = PasteboardItem::create();
    PasteboardItem *text = PasteboardItem::create();
    text->setTitle(QStringLiteral("notes.txt"));
    PasteboardItem *picture = PasteboardItem::create();
    picture->setTitle(QStringLiteral("photo"));
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::red);
    picture->setIconImage(image);
    picture->setIconIsPending(true);

    HBShelfItemModel model;
    model.setItems({untitled, text, picture});
    EXPECT_EQ(model.index(0).data().toString(), QStringLiteral("<No Title>"));
    EXPECT_EQ(model.index(1).data().toString(), QStringLiteral("notes.txt"));
    // Without a picture of its own a row shows its type's icon.
    EXPECT_EQ(model.index(1).data(HBShelfItemModel::PictureRole).userType(), QMetaType::QIcon);
    EXPECT_FALSE(model.index(1).data(HBShelfItemModel::PictureRole).value<QIcon>().isNull());
    EXPECT_FALSE(model.index(0).data(HBShelfItemModel::PictureRole).value<QIcon>().isNull())
        << "no extension: the generic file icon";
    EXPECT_EQ(model.index(2).data(HBShelfItemModel::PictureRole).value<QImage>(), image);
    EXPECT_DOUBLE_EQ(model.index(1).data(HBShelfItemModel::PictureAlphaRole).toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(model.index(2).data(HBShelfItemModel::PictureAlphaRole).toDouble(), 0.8);

    // A changed item is announced on its row alone.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.itemChanged(text);
    EXPECT_EQ(changed.count(), 1);
}

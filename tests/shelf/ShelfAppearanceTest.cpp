// SPDX-License-Identifier: GPL-3.0-or-later
// The shelf's look: luminosity, the buttons and labels that follow the shelf colour, the
// corner shapes of the background and of the list's mask, and the views that let input
// through.
#include "HBDynamicColorView.h"
#include "HBNoInteractionImageView.h"
#include "HBNoInteractionView.h"
#include "HBRoundedCornersScrollView.h"
#include "HBUserDefaults.h"
#include "HBWindowBackgroundView.h"
#include "JVMagicalButton.h"
#include "JVMagicalTextField.h"
#include "NSColorHelpers.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

HBUserDefaults &defaults()
{
    return HBUserDefaults::standardUserDefaults();
}

QImage rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(ShelfLuminosity, WeighsRedGreenAndBlueAndConvertsOtherModels)
{
    EXPECT_DOUBLE_EQ(nv_luminosity(Qt::black), 0);
    EXPECT_DOUBLE_EQ(nv_luminosity(QColor::fromRgbF(1, 0, 0)), double(0.299f));
    EXPECT_DOUBLE_EQ(nv_luminosity(QColor::fromRgbF(0, 1, 0)), double(0.587f));
    EXPECT_DOUBLE_EQ(nv_luminosity(QColor::fromRgbF(0, 0, 1)), double(0.114f));
    // The single-precision factors add up to slightly more than 1, so mid grey is light.
    EXPECT_TRUE(nv_isLightColor(QColor::fromRgbF(0.5f, 0.5f, 0.5f)));
    EXPECT_FALSE(nv_isLightColor(QColor::fromRgbF(0.49f, 0.49f, 0.49f)));
    // A grey given in another model measures as its RGB equivalent.
    const QColor hsvGrey = QColor::fromHsvF(0, 0, 0.5f);
    const QColor cmykGrey = QColor::fromCmykF(0, 0, 0, 0.5f);
    EXPECT_NEAR(nv_luminosity(hsvGrey), nv_luminosity(QColor::fromRgbF(0.5f, 0.5f, 0.5f)), 1e-4);
    EXPECT_NEAR(nv_luminosity(cmykGrey), nv_luminosity(QColor::fromRgbF(0.5f, 0.5f, 0.5f)), 1e-4);
    EXPECT_DOUBLE_EQ(nv_luminosity(QColor()), 0);
    // Either side of the threshold.
    EXPECT_TRUE(nv_isLightColor(QColor::fromRgbF(1, 0.343f, 0)));
    EXPECT_FALSE(nv_isLightColor(QColor::fromRgbF(1, 0.341f, 0)));
}

TEST(ShelfMagicalViews, ButtonsAndLabelsSwitchWithTheShelfColour)
{
    JVMagicalButton button;
    button.setImageName(QStringLiteral("icon-settings"));
    button.setDarkImageName(QStringLiteral("icon-settings-dark"));
    JVMagicalTextField label;
    ASSERT_FALSE(button.originalImage().isNull());
    ASSERT_FALSE(button.darkImage().isNull());

    // The default colour is dark: the layout's image, white text.
    EXPECT_FALSE(button.showsDarkImage());
    EXPECT_EQ(label.textColor(), QColor(Qt::white));
    EXPECT_EQ(label.originalColor(), QColor(Qt::white));

    defaults().setWindowColor(Qt::white);
    EXPECT_TRUE(button.showsDarkImage());
    EXPECT_NEAR(button.lastCheck(), 1.0, 1e-6);
    EXPECT_EQ(label.textColor(), QColor::fromRgbF(0, 0, 0, 0.9f));

    defaults().setWindowColor(QColor(20, 30, 40));
    EXPECT_FALSE(button.showsDarkImage());
    EXPECT_EQ(label.textColor(), QColor(Qt::white));

    // The emphasised row style gives white text; the normal one the original colour.
    label.setBackgroundStyle(JVMagicalTextField::EmphasizedBackgroundStyle);
    EXPECT_EQ(label.textColor(), QColor(Qt::white));
}

TEST(ShelfMagicalViews, LabelAdaptsOnceToTheSameColour)
{
    JVMagicalTextField label;
    const int atLoad = label.textColorChanges();
    EXPECT_EQ(atLoad, 1) << "the first evaluation always applies";
    label.setBackgroundColor(Qt::yellow);
    label.setBackgroundColor(Qt::yellow);
    EXPECT_EQ(label.textColorChanges(), atLoad + 1);
    EXPECT_EQ(label.textColor(), QColor::fromRgbF(0, 0, 0, 0.9f));

    // Black at load (luminosity 0, the starting value) still sets the text colour.
    defaults().setWindowColor(Qt::black);
    JVMagicalTextField onBlack;
    EXPECT_EQ(onBlack.textColorChanges(), 1);
    EXPECT_EQ(onBlack.textColor(), QColor(Qt::white));
}

TEST(ShelfBackground, CornersCurveOnTheSideFacingTheScreensInterior)
{
    HBWindowBackgroundView view;
    view.resize(60, 80);
    view.setCornerRadius(12);
    EXPECT_EQ(view.backgroundColor(), defaults().windowColor());

    // Pixels just inside each corner: (left, top), (right, top), (left, bottom), (right, bottom).
    const QPoint corners[] = {{1, 1}, {58, 1}, {1, 78}, {58, 78}};
    struct Row
    {
        int shape;
        bool filled[4];
    };
    const Row rows[] = {
        {0, {true, false, true, false}},
        {1, {false, true, false, true}},
        {2, {false, false, false, false}},
        {7, {false, false, false, false}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.shape);
        view.setCurvedCorners(row.shape);
        const QImage image = rendered(view);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(qAlpha(image.pixel(corners[i])) > 200, row.filled[i]) << i;
        EXPECT_EQ(qAlpha(image.pixel(30, 40)), 255);
    }

    // The colour follows the setting.
    defaults().setWindowColor(QColor(200, 10, 10));
    EXPECT_EQ(view.backgroundColor(), QColor(200, 10, 10));
    HBDynamicColorView plain;
    EXPECT_EQ(plain.backgroundColor(), QColor(200, 10, 10));
}

TEST(ShelfBackground, ListMaskHasTheSameShape)
{
    HBRoundedCornersScrollView scroll;
    scroll.resize(60, 80);
    scroll.show();
    scroll.setCornerRadius(12);
    scroll.setCurvedCorners(0);
    EXPECT_TRUE(scroll.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(scroll.mask().contains(QPoint(59, 0)));
    EXPECT_FALSE(scroll.mask().contains(QPoint(59, 79)));
    scroll.setCurvedCorners(1);
    EXPECT_FALSE(scroll.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(scroll.mask().contains(QPoint(59, 0)));
    // The mask follows the size.
    scroll.resize(60, 200);
    EXPECT_TRUE(scroll.mask().contains(QPoint(59, 150)));
    EXPECT_FALSE(scroll.mask().contains(QPoint(0, 199)));
}

TEST(ShelfNoInteraction, ClicksAndDropsPassThrough)
{
    QWidget parent;
    parent.resize(100, 100);
    auto *beneath = new QWidget(&parent);
    beneath->setGeometry(0, 0, 100, 100);
    auto *cover = new HBNoInteractionView(&parent);
    cover->setGeometry(0, 0, 100, 100);
    auto *image = new HBNoInteractionImageView(&parent);
    image->setGeometry(0, 0, 50, 50);
    image->setImageName(QStringLiteral("icon-arrow"));
    EXPECT_FALSE(image->image().isNull());
    // Qt's hit test for the pointer and for drag and drop.
    EXPECT_EQ(parent.childAt(10, 10), beneath);
    EXPECT_EQ(parent.childAt(80, 80), beneath);
    EXPECT_EQ(cover->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(image->acceptDrops());
}

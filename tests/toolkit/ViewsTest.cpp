// SPDX-License-Identifier: GPL-3.0-or-later
// The base views: NVView's drawing, NVButton's hover state and NVNoScrollView's switch.
#include "NVButton.h"
#include "NVNoScrollView.h"
#include "NVView.h"

#include "TestSupport.h"

#include <QEnterEvent>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

QImage rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(NVView, BackgroundAlphaIsMultipliedByTheViewsAlpha)
{
    NVView view;
    view.resize(40, 40);
    view.setBackgroundColor(QColor::fromRgbF(1, 0, 0, 0.5));
    view.setAlphaValue(0.5);

    const QRgb centre = rendered(view).pixel(20, 20);
    EXPECT_NEAR(qAlpha(centre), 64, 1) << "0.5 x 0.5 = 0.25 of 255";
    EXPECT_EQ(qRed(centre), 255);
    EXPECT_EQ(qGreen(centre), 0);

    view.setAlphaValue(1);
    EXPECT_NEAR(qAlpha(rendered(view).pixel(20, 20)), 128, 1);
}

TEST(NVView, DrawsRoundedCornersBorderAndImage)
{
    NVView view;
    view.resize(40, 40);
    view.setBackgroundColor(Qt::blue);
    view.setCornerRadius(12);
    view.setBorderColor(Qt::green);
    view.setBorderWidth(4);

    QImage image = rendered(view);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "outside the rounded corner";
    EXPECT_EQ(image.pixel(20, 20), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(20, 0), qRgb(0, 255, 0)) << "the border is stroked on the bounds";

    // A border of width 0 is not drawn.
    view.setBorderWidth(0);
    EXPECT_EQ(rendered(view).pixel(20, 0), qRgb(0, 0, 255));

    // The image covers the bounds over the background, at the view's alpha.
    QImage white(4, 4, QImage::Format_ARGB32);
    white.fill(Qt::white);
    view.setBackgroundImage(white);
    view.setAlphaValue(0.5);
    image = rendered(view);
    // White at 0.5 over blue at 0.5: alpha 0.5 + 0.5 x 0.5 = 0.75, red 0.5 / 0.75 of 255.
    const QRgb mixed = image.pixel(20, 20);
    EXPECT_NEAR(qAlpha(mixed), 191, 2);
    EXPECT_NEAR(qRed(mixed), 170, 2);
}

TEST(NVView, ShadowDrawsBelowTheBackground)
{
    NVView view;
    view.resize(60, 60);
    view.setShadow(QColor(0, 0, 0, 200), {6, 6}, 0);
    EXPECT_TRUE(view.hasShadow());
    const QImage image = rendered(view);
    EXPECT_GT(qAlpha(image.pixel(58, 58)), 150) << "the shadow, moved by its offset";
    EXPECT_EQ(qAlpha(image.pixel(2, 2)), 0);
}

TEST(NVView, ControllerGetsTheInputTheViewLeaves)
{
    struct Controller : QObject
    {
        bool event(QEvent *event) override
        {
            if (event->type() != QEvent::KeyPress)
                return QObject::event(event);
            ++keys;
            event->accept();
            return true;
        }
        int keys = 0;
    } controller;

    NVView view;
    view.setViewController(&controller);
    QTest::keyClick(&view, Qt::Key_A);
    EXPECT_EQ(controller.keys, 1);
    view.setViewController(nullptr);
    QTest::keyClick(&view, Qt::Key_A);
    EXPECT_EQ(controller.keys, 1);
}

TEST(NVButton, HoverStateAndPointingHandFollowThePointer)
{
    NVButton button;
    button.resize(80, 30);
    EXPECT_FALSE(button.isHovered());

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHovered());
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.isHovered());
    EXPECT_EQ(button.cursor().shape(), Qt::ArrowCursor);
}

TEST(NVNoScrollView, WheelScrollsOnlyWhenEnabled)
{
    NVNoScrollView scrollView;
    scrollView.resize(200, 100);
    auto *content = new QWidget;
    content->resize(200, 1000);
    scrollView.setWidget(content);
    scrollView.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scrollView));
    EXPECT_FALSE(scrollView.scrollingEnabled());

    const auto wheel = [&] {
        const QPointF at(50, 50);
        QWheelEvent event(at, scrollView.viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(scrollView.viewport(), &event);
    };
    wheel();
    EXPECT_EQ(scrollView.verticalScrollBar()->value(), 0);

    scrollView.setScrollingEnabled(true);
    wheel();
    EXPECT_GT(scrollView.verticalScrollBar()->value(), 0);
}

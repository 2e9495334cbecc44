#include <gtest/gtest.h>

#include <QAccessible>

#include "Tavix/ui/SystemColor.h"
#include "Tavix/ui/TouchPreview.h"
#include "Tavix/ui/WidgetSnapshot.h"
#include "tests/ui/ImageCompare.h"
#include "tests/ui/UiTest.h"

namespace tavix::ui {
namespace {

constexpr double kSettled = TouchPreview::kAnimationSeconds + 0.01;

class Preview : public testing::Test {
  protected:
    Preview() {
        QPalette fixed = preview.palette();
        fixed.setColor(QPalette::Highlight, systemColor(SystemColor::blue));
        preview.setPalette(fixed);
    }
    void show(const QList<QPointF>& points) {
        preview.setPoints(points);
        test::clock().advance(kSettled);
    }
    QPointF centre(int i) { return preview.dots().at(i).centre; }

    TouchPreview preview;
};

TEST_F(Preview, CornersOfTheSurfaceMapToCornersOfTheDotAreaFlippedUpright) {
    EXPECT_EQ(preview.sizeHint(), QSize(58 + 24, 96 + 24));
    const QRectF surface = preview.surfaceRect();
    EXPECT_EQ(surface.size(), QSizeF(58, 96));

    show({{0, 0}, {1, 1}, {0.5, 0.5}});
    EXPECT_EQ(centre(0), QPointF(surface.left() + 6, surface.bottom() - 6));
    EXPECT_EQ(centre(1), QPointF(surface.right() - 6, surface.top() + 6));
    EXPECT_EQ(centre(2), surface.center());
}

TEST_F(Preview, PointsPastTheTopAreDrawnAboveTheSurfaceUnclipped) {
    show({{0.5, 1.1}});
    const QRectF area = preview.dotArea();
    const QPointF c = centre(0);
    EXPECT_NEAR(c.y(), area.top() - 0.1 * area.height(), 1e-9);
    EXPECT_LT(c.y() - TouchPreview::kDotDiameter / 2, preview.surfaceRect().top());

    const QImage image = WidgetSnapshot::render(preview, 1);
    const QColor above = image.pixelColor(int(c.x()), int(preview.surfaceRect().top()) - 1);
    EXPECT_GT(above.blue(), above.red() + 60) << "the dot is clipped at the surface";
}

TEST_F(Preview, OnlyAChangeOfCountAnimates) {
    auto& clock = test::clock();
    show({{0.2, 0.2}, {0.8, 0.2}});
    const QPointF first = centre(0);

    // Two → three: the first two glide, the third fades in.
    preview.setPoints({{0.2, 0.6}, {0.8, 0.6}, {0.5, 0.9}});
    EXPECT_TRUE(preview.isAnimating());
    EXPECT_EQ(centre(0), first);
    EXPECT_EQ(preview.dots().at(2).opacity, 0);
    clock.advance(TouchPreview::kAnimationSeconds / 2);
    const QPointF halfway = centre(0);
    const QPointF target = TouchPreview::dotCentre({0.2, 0.6}, preview.dotArea());
    EXPECT_LT(halfway.y(), first.y());
    EXPECT_GT(halfway.y(), target.y());
    // Ease-out: more than half of the way in the first half of the time.
    EXPECT_GT(first.y() - halfway.y(), (first.y() - target.y()) / 2);
    EXPECT_GT(preview.dots().at(2).opacity, 0.5);
    clock.advance(kSettled);
    EXPECT_FALSE(preview.isAnimating());
    EXPECT_EQ(centre(0), target);

    // Three → three others: a jump.
    preview.setPoints({{0.1, 0.1}, {0.9, 0.1}, {0.5, 0.5}});
    EXPECT_FALSE(preview.isAnimating());
    EXPECT_EQ(centre(2), preview.dotArea().center());

    // Three → two: the first two glide to the new places, the third fades where it was.
    const QPointF third = centre(2);
    preview.setPoints({{0.3, 0.3}, {0.7, 0.3}});
    ASSERT_EQ(preview.dots().size(), 3);
    EXPECT_EQ(preview.dots().at(2).centre, third);
    EXPECT_EQ(preview.dots().at(2).opacity, 1);
    clock.advance(kSettled);
    EXPECT_EQ(preview.dots().size(), 2);
    EXPECT_EQ(centre(1), TouchPreview::dotCentre({0.7, 0.3}, preview.dotArea()));
}

TEST_F(Preview, EmptyAndThreeFingersMatchTheirReferenceImages) {
    show({});
    EXPECT_TRUE(test::matchesReference(WidgetSnapshot::render(preview),
                                       QStringLiteral("touch-preview-empty")));
    show({{0.25, 0.3}, {0.55, 0.75}, {0.85, 0.4}});
    EXPECT_TRUE(test::matchesReference(WidgetSnapshot::render(preview),
                                       QStringLiteral("touch-preview-three")));
}

TEST_F(Preview, ScreenReadersHearHowManyFingersAreDown) {
    show({{0.5, 0.5}, {0.6, 0.6}});
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&preview);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("触控预览"));
    EXPECT_EQ(a->text(QAccessible::Description), QStringLiteral("2 个手指"));
}

}  // namespace
}  // namespace tavix::ui

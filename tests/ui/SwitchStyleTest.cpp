#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QTest>

#include "Tavix/ui/IOSSwitchStyle.h"
#include "Tavix/ui/WidgetSnapshot.h"
#include "tests/ui/ImageCompare.h"
#include "tests/ui/UiTest.h"

namespace tavix::ui {
namespace {

class SwitchStyle : public testing::Test {
  protected:
    IOSSwitchStyle* style = IOSSwitchStyle::install();

    QRect capsule(const QCheckBox& box) {
        QStyleOptionButton option;
        option.initFrom(&box);
        option.rect = box.rect();
        return style->subElementRect(QStyle::SE_CheckBoxClickRect, &option, &box);
    }
    // The track's colour beside the knob: near the off end when on, near the on end when off.
    QColor trackColour(QCheckBox& box) {
        const QImage image = WidgetSnapshot::render(box, 1);
        const QRect c = capsule(box);
        const int x = box.isChecked() ? c.left() + 4 : c.right() - 4;
        return image.pixelColor(x, c.center().y());
    }
};

TEST_F(SwitchStyle, InstalledOnceEveryCheckBoxDrawsAsASwitch) {
    EXPECT_EQ(IOSSwitchStyle::install(), style);
    EXPECT_EQ(QApplication::style(), style);

    QCheckBox bare;
    EXPECT_EQ(bare.sizeHint(), QSize(38, 23));
    QCheckBox labelled(QStringLiteral("自然滚动"));
    EXPECT_GE(labelled.sizeHint().width(), 38 + 8 + 20);
    EXPECT_GE(labelled.sizeHint().height(), 23);
}

TEST_F(SwitchStyle, OnlyTheCapsuleTakesClicks) {
    QCheckBox box(QStringLiteral("自然滚动"));
    box.resize(220, 30);
    box.show();
    const QRect c = capsule(box);
    EXPECT_EQ(c, QRect(220 - 38, (30 - 23) / 2, 38, 23));

    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(10, 15));
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(c.left() - 4, c.center().y()));
    EXPECT_FALSE(box.isChecked());
    QTest::mouseClick(&box, Qt::LeftButton, {}, c.center());
    EXPECT_TRUE(box.isChecked());
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(c.left() + 2, c.top() + 2));
    EXPECT_FALSE(box.isChecked());
}

TEST_F(SwitchStyle, TurningOnProgrammaticallyMovesKnobAndTrackOnTheSpring) {
    auto& clock = test::clock();
    QCheckBox box;
    box.resize(38, 23);
    box.show();
    EXPECT_EQ(style->progress(box), 0);
    const QColor off = trackColour(box);
    EXPECT_EQ(off.rgb(), QColor::fromRgbF(0.86f, 0.86f, 0.86f).rgb());

    {
        // An owner updating the switch quietly still gets the animation.
        const QSignalBlocker quiet(box);
        box.setChecked(true);
    }
    const double start = clock.uptime();
    EXPECT_EQ(style->progress(box), 0);
    clock.set(start + 0.08);
    const double early = style->progress(box);
    EXPECT_GT(early, 0.2);
    EXPECT_LT(early, 0.9);
    const QColor midway = trackColour(box);
    EXPECT_LT(midway.red(), 200);
    EXPECT_GT(midway.red(), 60);

    clock.set(start + 0.208);
    EXPECT_GT(style->progress(box), 1.01);
    clock.set(start + 1);
    EXPECT_NEAR(style->progress(box), 1, 1e-6);
    EXPECT_EQ(trackColour(box).rgb(), QColor::fromRgbF(0.20f, 0.78f, 0.35f).rgb());
}

TEST_F(SwitchStyle, OnAndOffMatchTheirReferenceImages) {
    auto& clock = test::clock();
    QCheckBox box;
    EXPECT_TRUE(test::matchesReference(WidgetSnapshot::render(box), QStringLiteral("switch-off")));
    box.setChecked(true);
    WidgetSnapshot::render(box);
    clock.advance(1);
    EXPECT_TRUE(test::matchesReference(WidgetSnapshot::render(box), QStringLiteral("switch-on")));
}

TEST_F(SwitchStyle, ScreenReadersSeeACheckableSwitchWithItsName) {
    QCheckBox box;
    box.setAccessibleName(QStringLiteral("启用 Tavix"));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&box);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::CheckBox);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("启用 Tavix"));
    EXPECT_TRUE(a->state().checkable);
    EXPECT_FALSE(a->state().checked);
    box.setChecked(true);
    EXPECT_TRUE(a->state().checked);
    // Operable without a pointer: the toggle action flips it.
    ASSERT_NE(a->actionInterface(), nullptr);
    a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(box.isChecked());
}

}  // namespace
}  // namespace tavix::ui

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <vector>

#include "Tavix/ui/SliderRow.h"
#include "Tavix/ui/SystemColor.h"
#include "Tavix/ui/ValueSlider.h"

namespace tavix::ui {
namespace {

// The double-click interval row of the settings window, with an owner that stores what the
// user picks and hands it back, as a property of the application state would.
struct DoubleClickRow {
    std::vector<double> commits;
    double stored = 0.5;
    SliderRow row{{.title = QStringLiteral("连按速度"),
                   .symbol = QStringLiteral("cursorarrow.click.2"),
                   .color = systemColor(SystemColor::mint),
                   .value = 0.5,
                   .lower = 0.15,
                   .upper = 2.0,
                   .reversed = true,
                   .onCommit = [this](double v) { commits.push_back(v); }}};

    DoubleClickRow() {
        QObject::connect(&row, &SliderRow::valueEdited, [this](double v) {
            stored = v;
            row.setValue(v);
        });
    }
};

TEST(SliderRow, ReversedRowShowsTheMirroredPositionAndStoresExactEnds) {
    DoubleClickRow r;
    EXPECT_NEAR(r.row.sliderPosition(), 1.65, 0.002);
    EXPECT_EQ(r.row.minLabel()->text(), QStringLiteral("慢"));
    EXPECT_EQ(r.row.maxLabel()->text(), QStringLiteral("快"));

    r.row.setValue(2.0);
    EXPECT_EQ(r.row.slider()->value(), r.row.slider()->minimum());
    r.row.setValue(0.15);
    EXPECT_EQ(r.row.slider()->value(), r.row.slider()->maximum());

    r.row.slider()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(r.stored, 2.0);
    EXPECT_EQ(r.row.value(), 2.0);
    r.row.slider()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(r.stored, 0.15);
    EXPECT_EQ(r.row.value(), 0.15);
}

TEST(SliderRow, CommitsEveryChangeWhileShownButNotTheFirstValue) {
    DoubleClickRow r;
    r.row.setValue(1.0);  // before it is shown
    r.row.show();
    EXPECT_TRUE(r.commits.empty());

    // The user: one commit per value, although the owner hands each one back.
    r.row.slider()->edit(1.2);
    ASSERT_EQ(r.commits.size(), 1u);
    EXPECT_NEAR(r.commits[0], 1.2, 0.002);
    EXPECT_EQ(r.commits[0], r.stored);

    // The owner, for instance reloading from the system.
    r.row.setValue(0.8);
    r.row.setValue(0.8);
    ASSERT_EQ(r.commits.size(), 2u);
    EXPECT_EQ(r.commits[1], 0.8);

    // Off screen nothing is committed, and the value it comes back with is its first again.
    r.row.hide();
    r.row.setValue(1.5);
    r.row.show();
    r.row.setValue(1.6);
    ASSERT_EQ(r.commits.size(), 3u);
    EXPECT_EQ(r.commits[2], 1.6);
}

TEST(SliderRow, ADragCommitsEveryIntermediateValue) {
    std::vector<double> commits;
    SliderRow row({.title = QStringLiteral("跟踪速度"),
                   .symbol = QStringLiteral("cursorarrow.motionlines"),
                   .color = systemColor(SystemColor::blue),
                   .value = 1.0,
                   .lower = 0,
                   .upper = 3,
                   .onCommit = [&](double v) { commits.push_back(v); }});
    row.show();
    EXPECT_NEAR(row.sliderPosition(), 1.0, 0.002);

    ValueSlider& slider = *row.slider();
    slider.setSliderDown(true);
    for (int step = slider.value() + 7; step <= 2 * slider.maximum() / 3; step += 7)
        slider.setSliderPosition(step);
    // Decimal stops are exact, not 2.001.
    slider.setSliderPosition(2 * slider.maximum() / 3);
    EXPECT_EQ(commits.back(), 2.0);
    slider.triggerAction(QAbstractSlider::SliderToMaximum);
    slider.setSliderDown(false);

    ASSERT_GT(commits.size(), 40u);
    for (size_t i = 1; i < commits.size(); ++i) ASSERT_GT(commits[i], commits[i - 1]);
    EXPECT_EQ(commits.back(), 3.0);
    EXPECT_EQ(row.value(), 3.0);
}

TEST(SliderRow, AnOwnerThatClampsKeepsItsValue) {
    SliderRow row({.title = QStringLiteral("轻触判定时长"),
                   .symbol = QStringLiteral("timer"),
                   .color = systemColor(SystemColor::gray),
                   .value = 0.3,
                   .lower = 0.18,
                   .upper = 0.5});
    QObject::connect(&row, &SliderRow::valueEdited,
                     [&](double v) { row.setValue(std::min(v, 0.4)); });
    row.slider()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(row.value(), 0.4);
}

TEST(SliderRow, ScreenReadersReadAndSetTheStoredValueWithinItsRange) {
    DoubleClickRow r;
    r.row.show();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(r.row.slider());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Slider);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("连按速度"));
    QAccessibleValueInterface* value = a->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_NEAR(value->currentValue().toDouble(), 0.5, 0.002);
    EXPECT_EQ(value->minimumValue().toDouble(), 0.15);
    EXPECT_EQ(value->maximumValue().toDouble(), 2.0);

    value->setCurrentValue(1.0);
    EXPECT_NEAR(r.stored, 1.0, 0.002);
    ASSERT_EQ(r.commits.size(), 1u);
    EXPECT_EQ(r.commits[0], r.stored);
}

}  // namespace
}  // namespace tavix::ui

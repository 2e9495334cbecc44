#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>

#include "Tavix/ui/IconBadge.h"
#include "Tavix/ui/PermissionRow.h"
#include "Tavix/ui/RowLabel.h"
#include "Tavix/ui/SystemColor.h"
#include "Tavix/ui/WidgetSnapshot.h"

namespace tavix::ui {
namespace {

int verticalCentre(const QWidget* w, const QWidget* in) {
    return w->mapTo(in, w->rect().center()).y();
}

TEST(RowLabel, WithoutSubtitleOneLineSitsCentredBesideTheBadge) {
    RowLabel label(QStringLiteral("打开系统鼠标设置"), std::nullopt,
                   QStringLiteral("gearshape.fill"), systemColor(SystemColor::gray));
    label.show();
    EXPECT_FALSE(label.subtitleLabel()->isVisible());
    EXPECT_NEAR(verticalCentre(label.titleLabel(), &label), verticalCentre(label.badge(), &label),
                1);
    EXPECT_EQ(label.titleLabel()->x() - label.badge()->geometry().right() - 1, RowLabel::kSpacing);

    label.setSubtitle(QStringLiteral("内容跟随手指方向移动"));
    EXPECT_TRUE(label.subtitleLabel()->isVisible());
    EXPECT_EQ(label.accessibleName(), QStringLiteral("打开系统鼠标设置"));
    EXPECT_EQ(label.accessibleDescription(), QStringLiteral("内容跟随手指方向移动"));
    label.setSubtitle(std::nullopt);
    EXPECT_FALSE(label.subtitleLabel()->isVisible());
}

TEST(PermissionRow, ShowsLockAndOrangeUntilGrantedThenShieldAndGreen) {
    PermissionRow row(QStringLiteral("辅助功能"), QStringLiteral("模拟右键、点按与缩放"), false);
    const QColor orange = systemColor(SystemColor::orange);
    EXPECT_EQ(row.label()->badge()->symbol(), QStringLiteral("lock.shield.fill"));
    EXPECT_EQ(row.label()->badge()->color(), orange);
    EXPECT_EQ(row.statusLabel()->text(), QStringLiteral("未授权"));
    EXPECT_EQ(row.statusLabel()->palette().color(QPalette::WindowText), orange);
    EXPECT_EQ(row.label()->subtitle(), QStringLiteral("模拟右键、点按与缩放"));

    row.setOk(true);
    const QColor green = systemColor(SystemColor::green);
    EXPECT_EQ(row.label()->badge()->symbol(), QStringLiteral("checkmark.shield.fill"));
    EXPECT_EQ(row.label()->badge()->color(), green);
    EXPECT_EQ(row.statusLabel()->text(), QStringLiteral("已就绪"));
    EXPECT_EQ(row.statusLabel()->palette().color(QPalette::WindowText), green);

    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&row);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("辅助功能"));
    EXPECT_EQ(a->text(QAccessible::Description), QStringLiteral("已就绪"));
}

TEST(IconBadge, RoundedShadedSquareWithAWhiteGlyph) {
    IconBadge badge(QStringLiteral("timer"), systemColor(SystemColor::blue));
    EXPECT_EQ(badge.sizeHint(), QSize(24, 24));
    const QImage image = WidgetSnapshot::render(badge, 1).convertToFormat(QImage::Format_ARGB32);
    const QColor background = QApplication::palette().color(QPalette::Window);
    EXPECT_EQ(image.pixelColor(0, 0), background);  // outside the rounded corner
    const QColor top = image.pixelColor(2, 8);
    const QColor bottom = image.pixelColor(2, 21);
    EXPECT_GT(top.red(), bottom.red());  // lighter at the top
    EXPECT_NEAR(bottom.blue(), 255, 8);
    int white = 0;
    for (int y = 4; y < 20; ++y)
        for (int x = 4; x < 20; ++x)
            if (image.pixelColor(x, y).green() > 220) ++white;
    EXPECT_GT(white, 20);
}

}  // namespace
}  // namespace tavix::ui

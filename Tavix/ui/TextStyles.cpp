#include "Tavix/ui/TextStyles.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <cmath>

namespace tavix::ui {
namespace {

// Sizes relative to the body text, as the original text styles relate (13 : 12 : 10 : 22).
constexpr double kCallout = 12.0 / 13.0;
constexpr double kCaption = 10.0 / 13.0;
constexpr double kTitle = 22.0 / 13.0;
constexpr int kSmallestPixelSize = 9;

QFont scaled(double factor) {
    QFont font = QGuiApplication::font();
    const int base = QFontInfo(font).pixelSize();
    font.setPixelSize(std::max(kSmallestPixelSize, static_cast<int>(std::lround(base * factor))));
    return font;
}

}  // namespace

QFont TextStyles::body() {
    return QGuiApplication::font();
}

QFont TextStyles::callout() {
    return scaled(kCallout);
}

QFont TextStyles::caption() {
    return scaled(kCaption);
}

QFont TextStyles::captionMedium() {
    QFont font = caption();
    font.setWeight(QFont::Medium);
    return font;
}

QFont TextStyles::monospacedCaption() {
    QFont font = caption();
    QStringList families{QFontDatabase::systemFont(QFontDatabase::FixedFont).family()};
    families += QGuiApplication::font().families();
    font.setFamilies(families);
    font.setStyleHint(QFont::Monospace);
    return font;
}

QFont TextStyles::title() {
    QFont font = scaled(kTitle);
    font.setBold(true);
    return font;
}

std::optional<QString> TextStyles::chineseFamily() {
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    // Proportional faces first: a fixed-width CJK face looks wrong in running text.
    for (const QString& family : families)
        if (!QFontDatabase::isFixedPitch(family)) return family;
    if (!families.isEmpty()) return families.first();
    return std::nullopt;
}

bool TextStyles::installChineseFallback() {
    const auto chinese = chineseFamily();
    if (!chinese) return false;
    QFont font = QGuiApplication::font();
    QStringList families = font.families();
    if (families.isEmpty()) families << font.family();
    if (!families.contains(*chinese)) families << *chinese;
    font.setFamilies(families);
    QGuiApplication::setFont(font);
    return true;
}

}  // namespace tavix::ui

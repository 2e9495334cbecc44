#pragma once

#include <QColor>
#include <QPalette>

namespace tavix::ui {

// The named colours the rows of the settings window are tinted with.
enum class SystemColor {
    blue,
    indigo,
    purple,
    green,
    teal,
    gray,
    cyan,
    mint,
    orange,
    pink,
    yellow
};

QColor systemColor(SystemColor color);

// Text colours one and two steps quieter than the palette's own text colour.
QColor secondaryTextColor(const QPalette& palette);
QColor tertiaryTextColor(const QPalette& palette);

}  // namespace tavix::ui

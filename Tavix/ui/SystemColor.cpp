#include "Tavix/ui/SystemColor.h"

namespace tavix::ui {

// The light-appearance values of the familiar system palette.
QColor systemColor(SystemColor color) {
    switch (color) {
        case SystemColor::blue:
            return QColor(0, 122, 255);
        case SystemColor::indigo:
            return QColor(88, 86, 214);
        case SystemColor::purple:
            return QColor(175, 82, 222);
        case SystemColor::green:
            return QColor(52, 199, 89);
        case SystemColor::teal:
            return QColor(48, 176, 199);
        case SystemColor::gray:
            return QColor(142, 142, 147);
        case SystemColor::cyan:
            return QColor(50, 173, 230);
        case SystemColor::mint:
            return QColor(0, 199, 190);
        case SystemColor::orange:
            return QColor(255, 149, 0);
        case SystemColor::pink:
            return QColor(255, 45, 85);
        case SystemColor::yellow:
            return QColor(255, 204, 0);
    }
    return {};
}

QColor secondaryTextColor(const QPalette& palette) {
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(0.55f);
    return c;
}

QColor tertiaryTextColor(const QPalette& palette) {
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(0.3f);
    return c;
}

}  // namespace tavix::ui

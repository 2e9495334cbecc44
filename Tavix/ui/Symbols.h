#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QString>
#include <QStringList>

namespace tavix::ui {

// The named symbols of the interface, drawn from our own SVG icons.
class Symbols {
  public:
    // Every symbol name the interface uses.
    static QStringList names();
    static bool contains(const QString& name);
    // The resource holding the symbol's drawing; empty for an unknown name.
    static QString resourcePath(const QString& name);
    // The symbol in one colour, fitted into a `size` × `size` square (logical pixels), at the
    // device pixel ratio `dpr`. Null for an unknown name.
    static QPixmap pixmap(const QString& name, int size, const QColor& color, qreal dpr);

    // The tray icon: light glyph for dark panels, dark glyph for light ones.
    static QIcon trayIcon(bool darkPanel);
    // Whether a panel drawn with `palette` is dark, so that it needs the light glyph.
    static bool isDark(const QPalette& palette);
};

}  // namespace tavix::ui

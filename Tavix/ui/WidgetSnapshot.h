#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace tavix::ui {

// Renders widgets to images without putting anything on the screen: the base of the
// screenshot tooling and of the rendering tests. Works on the offscreen platform.
class WidgetSnapshot {
  public:
    // The widget, laid out at its size (its size hint when it has none yet), with its
    // children, at the device pixel ratio `dpr`.
    static QImage render(QWidget& widget, qreal dpr = 2);
    static bool save(QWidget& widget, const QString& path, qreal dpr = 2);
};

}  // namespace tavix::ui

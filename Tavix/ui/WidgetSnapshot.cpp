#include "Tavix/ui/WidgetSnapshot.h"

#include <QCoreApplication>
#include <QLayout>
#include <QWidget>

namespace tavix::ui {

QImage WidgetSnapshot::render(QWidget& widget, qreal dpr) {
    // A widget lays itself out and polishes its children only once shown; show it where no
    // screen can see it, and take it back afterwards.
    const bool wasShown = widget.isVisible();
    if (!wasShown) {
        widget.setAttribute(Qt::WA_DontShowOnScreen, true);
        if (widget.size().isEmpty() || !widget.testAttribute(Qt::WA_Resized)) widget.adjustSize();
        widget.show();
    }
    if (widget.layout()) widget.layout()->activate();
    QCoreApplication::sendPostedEvents();

    QImage image(widget.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);

    if (!wasShown) {
        widget.hide();
        widget.setAttribute(Qt::WA_DontShowOnScreen, false);
    }
    return image;
}

bool WidgetSnapshot::save(QWidget& widget, const QString& path, qreal dpr) {
    return render(widget, dpr).save(path, "PNG");
}

}  // namespace tavix::ui

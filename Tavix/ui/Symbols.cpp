#include "Tavix/ui/Symbols.h"

#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>
#include <array>

// The resources of a static library are registered only when something calls this.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace tavix::ui {
namespace {

struct Entry {
    const char* name;
    const char* resource;
};

// Symbol name → drawing. All of them ours (see icons/README.md).
constexpr std::array kTable{
    Entry{"arrow.left.arrow.right", ":/icons/arrow.left.arrow.right.svg"},
    Entry{"arrow.up.and.down", ":/icons/arrow.up.and.down.svg"},
    Entry{"arrow.up.forward.app.fill", ":/icons/arrow.up.forward.app.fill.svg"},
    Entry{"arrow.up.right", ":/icons/arrow.up.right.svg"},
    Entry{"checkmark.shield.fill", ":/icons/checkmark.shield.fill.svg"},
    Entry{"computermouse.fill", ":/icons/computermouse.fill.svg"},
    Entry{"cursorarrow.click.2", ":/icons/cursorarrow.click.2.svg"},
    Entry{"cursorarrow.motionlines", ":/icons/cursorarrow.motionlines.svg"},
    Entry{"dial.medium.fill", ":/icons/dial.medium.fill.svg"},
    Entry{"exclamationmark.triangle.fill", ":/icons/exclamationmark.triangle.fill.svg"},
    Entry{"gearshape.fill", ":/icons/gearshape.fill.svg"},
    Entry{"hand.point.up.fill", ":/icons/hand.point.up.fill.svg"},
    Entry{"hand.point.up.left.and.text", ":/icons/hand.point.up.left.and.text.svg"},
    Entry{"hand.tap.fill", ":/icons/hand.tap.fill.svg"},
    Entry{"lock.shield.fill", ":/icons/lock.shield.fill.svg"},
    Entry{"magnifyingglass", ":/icons/magnifyingglass.svg"},
    Entry{"plus.magnifyingglass", ":/icons/plus.magnifyingglass.svg"},
    Entry{"power", ":/icons/power.svg"},
    Entry{"rectangle.on.rectangle", ":/icons/rectangle.on.rectangle.svg"},
    Entry{"scroll.fill", ":/icons/scroll.fill.svg"},
    Entry{"slider.horizontal.3", ":/icons/slider.horizontal.3.svg"},
    Entry{"speedometer", ":/icons/speedometer.svg"},
    Entry{"square.grid.2x2.fill", ":/icons/square.grid.2x2.fill.svg"},
    Entry{"square.grid.3x3.fill", ":/icons/square.grid.3x3.fill.svg"},
    Entry{"timer", ":/icons/timer.svg"},
};

void ensureResources() {
    static const bool done = (initIconResources(), true);
    (void)done;
}

QPixmap render(const QString& resource, int size, const QColor& color, qreal dpr) {
    QSvgRenderer renderer(resource);
    if (!renderer.isValid()) return {};
    QImage image(QSize(size, size) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(image.rect(), color);
    }
    image.setDevicePixelRatio(dpr);
    return QPixmap::fromImage(std::move(image));
}

}  // namespace

QStringList Symbols::names() {
    QStringList list;
    for (const Entry& e : kTable) list << QString::fromLatin1(e.name);
    return list;
}

bool Symbols::contains(const QString& name) {
    return !resourcePath(name).isEmpty();
}

QString Symbols::resourcePath(const QString& name) {
    for (const Entry& e : kTable)
        if (name == QLatin1String(e.name)) return QString::fromLatin1(e.resource);
    return {};
}

QPixmap Symbols::pixmap(const QString& name, int size, const QColor& color, qreal dpr) {
    const QString resource = resourcePath(name);
    if (resource.isEmpty()) return {};
    ensureResources();
    const QString key = QStringLiteral("tavix-symbol:%1:%2:%3:%4")
                            .arg(name)
                            .arg(size)
                            .arg(color.rgba(), 0, 16)
                            .arg(dpr);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) return cached;
    QPixmap drawn = render(resource, size, color, dpr);
    QPixmapCache::insert(key, drawn);
    return drawn;
}

QIcon Symbols::trayIcon(bool darkPanel) {
    ensureResources();
    return QIcon(darkPanel ? QStringLiteral(":/icons/tray-dark.svg")
                           : QStringLiteral(":/icons/tray-light.svg"));
}

bool Symbols::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

}  // namespace tavix::ui

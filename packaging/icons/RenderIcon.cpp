#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

// render-icon SVG SIZE PNG: the application icon as a SIZE × SIZE PNG for the hicolor theme.
int main(int argc, char** argv) {
    if (argc != 4) {
        (void)std::fputs("usage: render-icon SVG SIZE PNG\n", stderr);
        return 2;
    }
    // Shapes only, no text: painting into an image needs no application object.
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    bool ok = false;
    const int size = QByteArray(argv[2]).toInt(&ok);
    if (!renderer.isValid() || !ok || size <= 0 || size > 1024) {
        (void)std::fprintf(stderr, "render-icon: cannot render %s at %s\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
}

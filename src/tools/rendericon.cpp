// Renders an SVG drawing into a square PNG of a given size; the build uses it for the desktop theme's icons.
//   tagscope-rendericon <input.svg> <size> <output.png>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: tagscope-rendericon <input.svg> <size> <output.png>\n");
        return 2;
    }
    bool sizeOk = false;
    const int size = args.at(2).toInt(&sizeOk);
    // 1024 is far beyond any size an icon theme asks for; it only guards against a mistyped argument.
    if (!sizeOk || size < 1 || size > 1024) {
        std::fprintf(stderr, "tagscope-rendericon: bad size \"%s\"\n", qPrintable(args.at(2)));
        return 2;
    }

    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "tagscope-rendericon: cannot read \"%s\"\n", qPrintable(args.at(1)));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size, size));
    }
    if (!image.save(args.at(3), "PNG")) {
        std::fprintf(stderr, "tagscope-rendericon: cannot write \"%s\"\n", qPrintable(args.at(3)));
        return 1;
    }
    return 0;
}

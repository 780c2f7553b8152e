// SPDX-License-Identifier: GPL-3.0-or-later
// Build tool: writes a picture as PNG, the format desktops read for a
// program's icon. An XPM picture is written as drawn; an SVG drawing is
// rendered at the size asked for, as a square.
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

namespace {

QImage rendered(const QString &svg, int size)
{
    QSvgRenderer drawing(svg);
    if (!drawing.isValid() || size <= 0)
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawing.render(&painter);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: %s PICTURE.xpm PICTURE.png\n"
                     "       %s DRAWING.svg PICTURE.png SIZE\n",
                     argv[0], argv[0]);
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QImage picture = argc == 4 ? rendered(input, std::atoi(argv[3])) : QImage(input, "XPM");
    if (picture.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    if (!picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}

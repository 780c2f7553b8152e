// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pictures.h"

#include "DeferredIconEngine.h"

#include <QImageReader>
#include <QPixmap>

#include "folder_closed20.xpm"
#include "folder_closed32.xpm"
#include "folder_open20.xpm"
#include "folder_open32.xpm"
#include "globe16.xpm"
#include "globe32.xpm"
#include "hand20.xpm"
#include "hand32.xpm"

namespace kestrelon::Pictures {

namespace {

// The sizes rendered from the globe's drawing when the program was built.
constexpr int renderedGlobeSizes[] = {22, 24, 48, 64, 128, 256};
// The globe's pictures a title bar or a task bar shows.
constexpr int largestForTitleBar = 48;

// One icon whose selected look is the picture itself, not a tinted copy.
QIcon untinted(const char *const xpm[])
{
    const QPixmap pixmap(xpm);
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Selected);
    return icon;
}

// The globe rendered at one of those sizes. Read as the PNG it is, without
// loading every image plugin to ask whether it knows the picture.
QPixmap renderedGlobe(int size)
{
    QImageReader reader(QStringLiteral(":/icons/%1/kestrelon.png").arg(size), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// The globe's pictures up to `largest` pixels, read when first shown.
QIcon globeUpTo(int largest)
{
    QList<QSize> sizes{QSize(16, 16), QSize(32, 32)};
    for (const int size : renderedGlobeSizes)
        if (size <= largest)
            sizes << QSize(size, size);
    return QIcon(new DeferredIconEngine(sizes, [largest] {
        QIcon icon;
        icon.addPixmap(QPixmap(globe16_xpm));
        icon.addPixmap(QPixmap(globe32_xpm));
        for (const int size : renderedGlobeSizes)
            if (size <= largest)
                icon.addPixmap(renderedGlobe(size));
        return icon;
    }));
}

} // namespace

QIcon globe()
{
    return globeUpTo(renderedGlobeSizes[std::size(renderedGlobeSizes) - 1]);
}

QIcon globeForTitleBar()
{
    return globeUpTo(largestForTitleBar);
}

QList<QIcon> imageList1()
{
    return {untinted(folder_closed32_xpm), untinted(folder_open32_xpm), untinted(hand32_xpm)};
}

QList<QIcon> imageList2()
{
    return {untinted(folder_closed20_xpm), untinted(folder_open20_xpm), untinted(hand20_xpm)};
}

} // namespace kestrelon::Pictures

// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeferredIconEngine.h"

#include <QPainter>

namespace kestrelon {

DeferredIconEngine::DeferredIconEngine(QList<QSize> sizes, Build build)
    : sizes_(std::move(sizes)), build_(std::move(build))
{
}

QIcon &DeferredIconEngine::icon()
{
    if (!icon_)
        icon_ = build_();
    return *icon_;
}

// Sizes here are the device's pixels: the icon that asks has taken the
// screen's scale into account already.
QPixmap DeferredIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return icon().pixmap(size, 1.0, mode, state);
}

void DeferredIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
                               QIcon::State state)
{
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize DeferredIconEngine::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return icon().actualSize(size, mode, state);
}

QList<QSize> DeferredIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    if (mode == QIcon::Normal && state == QIcon::Off)
        return sizes_;
    return icon().availableSizes(mode, state);
}

QString DeferredIconEngine::key() const
{
    return QStringLiteral("DeferredIconEngine");
}

QIconEngine *DeferredIconEngine::clone() const
{
    return new DeferredIconEngine(*this);
}

} // namespace kestrelon

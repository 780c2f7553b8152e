// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QList>
#include <QSize>
#include <functional>
#include <optional>

namespace kestrelon {

// An icon that is put together only when a picture of it is first asked
// for: building the icon decodes nothing, so a program can hand it out at
// start-up and pay for its pictures when a window shows them. It knows its
// sizes beforehand; everything else it asks of the icon it builds.
class DeferredIconEngine : public QIconEngine
{
public:
    using Build = std::function<QIcon()>;

    DeferredIconEngine(QList<QSize> sizes, Build build);

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    bool isNull() override { return sizes_.isEmpty(); }
    QString key() const override;
    QIconEngine *clone() const override;

private:
    QIcon &icon();

    QList<QSize> sizes_;
    Build build_;
    std::optional<QIcon> icon_; // once built
};

} // namespace kestrelon

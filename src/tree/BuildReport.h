// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace kestrelon {

// A row the builder could not turn into a node, and why.
struct SkippedRow
{
    QString name;
    QString id;
    QString parentKey;
    QString reason;
};

// What one build left out: how many rows, and the first few of them.
class BuildReport
{
public:
    static constexpr int listedRows = 10;

    explicit BuildReport(QString hierarchy = {}) : hierarchy_(std::move(hierarchy)) {}

    void skip(SkippedRow row);

    const QString &hierarchy() const { return hierarchy_; }
    int skippedCount() const { return skippedCount_; }
    const QList<SkippedRow> &firstSkipped() const { return firstSkipped_; }

private:
    QString hierarchy_;
    int skippedCount_ = 0;
    QList<SkippedRow> firstSkipped_;
};

} // namespace kestrelon

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>

// The multi-line description box. Its text is lines separated by CR LF, and
// reads back exactly as it was written, whatever line-break characters the
// data brings; the editor underneath shows each line as a paragraph. Once
// the user types into the box, its text is what the editor holds.
//
// A very long line is shown as several paragraphs, which the editor lays
// out one at a time as they come into view: laid out whole, a line of
// megabytes takes seconds and gigabytes. The box's text, and what is
// copied from it, join them again.
class DescriptionBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit DescriptionBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

    // Longest piece of a line shown as one paragraph.
    static constexpr qsizetype longestPiece = 4096;

protected:
    QMimeData *createMimeDataFromSelection() const override;

private:
    // The editor's characters from `from` to `to`, its paragraphs joined by
    // `separator` except where a line was split for showing.
    QString textBetween(int from, int to, QStringView separator) const;

    QString written_;
};

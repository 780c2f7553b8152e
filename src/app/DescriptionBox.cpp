// SPDX-License-Identifier: GPL-3.0-or-later
#include "DescriptionBox.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// A paragraph's user state when it continues the line of the one before.
constexpr int ContinuesLine = 1;

// Where the editor starts a new paragraph.
bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) ||
           c == QChar(0xFDD1);
}

// Where a piece of a long line ends: at a space near its longest, so that
// words stay whole, and never inside a surrogate pair.
qsizetype pieceEnd(QStringView line, qsizetype start)
{
    qsizetype end = start + DescriptionBox::longestPiece;
    if (end >= line.size())
        return line.size();
    for (qsizetype at = end; at > end - DescriptionBox::longestPiece / 8; --at) {
        if (line.at(at - 1) == u' ')
            return at;
    }
    return line.at(end - 1).isHighSurrogate() ? end - 1 : end;
}

// The text as the editor is given it, every long line split into pieces by
// paragraph separators, and the numbers of the paragraphs that continue a
// line.
QString piecesForDisplay(const QString &text, QList<int> &continuations)
{
    QString shown;
    shown.reserve(text.size() + text.size() / DescriptionBox::longestPiece + 1);
    int paragraph = 0;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < text.size() && !isLineBreak(text.at(lineEnd)))
            ++lineEnd;
        const QStringView line = QStringView(text).mid(lineStart, lineEnd - lineStart);
        for (qsizetype start = 0, end = 0; start < line.size(); start = end) {
            end = pieceEnd(line, start);
            if (start > 0) {
                shown += QChar::ParagraphSeparator;
                continuations << ++paragraph;
            }
            shown += line.mid(start, end - start);
        }
        if (lineEnd == text.size())
            break;
        // CR LF makes one paragraph break, as in the editor.
        const qsizetype breakLength =
            text.at(lineEnd) == u'\r' && lineEnd + 1 < text.size() && text.at(lineEnd + 1) == u'\n'
                ? 2
                : 1;
        shown += QStringView(text).mid(lineEnd, breakLength);
        ++paragraph;
        lineStart = lineEnd + breakLength;
    }
    return shown;
}

} // namespace

DescriptionBox::DescriptionBox(QWidget *parent) : QPlainTextEdit(parent) {}

QString DescriptionBox::text() const
{
    // The editor turns every line break it is given (CR LF, a lone CR or LF,
    // a paragraph separator) into a paragraph, so only what was written
    // tells which one it was.
    if (!document()->isModified())
        return written_;
    return textBetween(0, document()->characterCount() - 1, u"\r\n");
}

void DescriptionBox::setText(const QString &text)
{
    written_ = text;
    QList<int> continuations;
    // Setting the text clears the editor's modified flag.
    setPlainText(piecesForDisplay(text, continuations));
    for (const int paragraph : continuations)
        document()->findBlockByNumber(paragraph).setUserState(ContinuesLine);
}

QMimeData *DescriptionBox::createMimeDataFromSelection() const
{
    const QTextCursor selection = textCursor();
    auto *data = new QMimeData;
    data->setText(textBetween(selection.selectionStart(), selection.selectionEnd(), u"\n"));
    return data;
}

QString DescriptionBox::textBetween(int from, int to, QStringView separator) const
{
    QString text;
    const QTextBlock first = document()->findBlock(from);
    const QTextBlock last = document()->findBlock(to);
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (block != first && block.userState() != ContinuesLine)
            text += separator;
        const int start = qMax(from - block.position(), 0);
        const int end = qMin(to - block.position(), block.length() - 1);
        text += QStringView(block.text()).mid(start, end - start);
        if (block == last)
            break;
    }
    return text;
}

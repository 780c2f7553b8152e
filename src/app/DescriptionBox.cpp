#include "DescriptionBox.h"

#include <QTextDocument>

DescriptionBox::DescriptionBox(QWidget *parent) : QPlainTextEdit(parent) {}

QString DescriptionBox::text() const
{
    // The editor turns every line break it is given (CR LF, a lone CR or LF,
    // a paragraph separator) into a paragraph, so only what was written
    // tells which one it was.
    if (!document()->isModified())
        return written_;
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

void DescriptionBox::setText(const QString &text)
{
    written_ = text;
    // Setting the text clears the editor's modified flag.
    setPlainText(text);
}

#include "DescriptionText.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace kestrelon {

void setDescriptionText(QPlainTextEdit &box, const QString &text)
{
    QString paragraphs = text;
    paragraphs.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setPlainText(paragraphs);
}

QString descriptionText(const QPlainTextEdit &box)
{
    QString text = box.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

} // namespace kestrelon

#pragma once

#include <QString>

class QPlainTextEdit;

namespace kestrelon {

// The description box holds lines separated by CR LF. The editor keeps
// paragraphs instead: these convert at its boundary so that text written
// and read back is the same.
void setDescriptionText(QPlainTextEdit &box, const QString &text);
QString descriptionText(const QPlainTextEdit &box);

} // namespace kestrelon

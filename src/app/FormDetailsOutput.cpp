#include "FormDetailsOutput.h"

#include "DescriptionBox.h"

#include <QLabel>

namespace kestrelon {

QString FormDetailsOutput::description() const
{
    return description_.text();
}

void FormDetailsOutput::setDescription(const QString &text)
{
    description_.setText(text);
}

void FormDetailsOutput::setLevelCaption(const QString &caption)
{
    level_.setText(caption);
}

} // namespace kestrelon

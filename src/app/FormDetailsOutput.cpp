#include "FormDetailsOutput.h"

#include "DescriptionText.h"

#include <QLabel>

namespace kestrelon {

QString FormDetailsOutput::description() const
{
    return descriptionText(description_);
}

void FormDetailsOutput::setDescription(const QString &text)
{
    setDescriptionText(description_, text);
}

void FormDetailsOutput::setLevelCaption(const QString &caption)
{
    level_.setText(caption);
}

} // namespace kestrelon

#pragma once

#include <QString>

namespace kestrelon {

// Where the detail views write: the description text box, whose lines are
// separated by CR LF, and the level label.
class DetailsOutput
{
public:
    virtual ~DetailsOutput() = default;
    virtual QString description() const = 0;
    virtual void setDescription(const QString &text) = 0;
    virtual void setLevelCaption(const QString &caption) = 0;
};

} // namespace kestrelon

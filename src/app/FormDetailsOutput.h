#pragma once

#include "details/DetailsOutput.h"

class DescriptionBox;
class QLabel;

namespace kestrelon {

// The detail views' output on the window: the description box and the
// level label.
class FormDetailsOutput : public DetailsOutput
{
public:
    FormDetailsOutput(DescriptionBox &description, QLabel &level)
        : description_(description), level_(level)
    {
    }

    QString description() const override;
    void setDescription(const QString &text) override;
    void setLevelCaption(const QString &caption) override;

private:
    DescriptionBox &description_;
    QLabel &level_;
};

} // namespace kestrelon

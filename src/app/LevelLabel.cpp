// SPDX-License-Identifier: GPL-3.0-or-later
#include "LevelLabel.h"

#include <QAccessibleWidget>

namespace {

// Qt names a label by a fixed accessible name when it has one, and by its
// caption otherwise; this label has no fixed name, so that QLabel reports
// each new caption as a change of name, and is named "Level" while empty.
class AccessibleLevelLabel : public QAccessibleWidget
{
public:
    explicit AccessibleLevelLabel(QWidget *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text which) const override
    {
        if (which != QAccessible::Name)
            return QAccessibleWidget::text(which);
        const QString caption = static_cast<const QLabel *>(widget())->text();
        return caption.isEmpty() ? LevelLabel::emptyName() : caption;
    }
};

QAccessibleInterface *accessibleLevelLabel(const QString &className, QObject *object)
{
    if (className == QLatin1String("LevelLabel") && object && object->isWidgetType())
        return new AccessibleLevelLabel(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

LevelLabel::LevelLabel(QWidget *parent) : QLabel(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleLevelLabel);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setAccessibleDescription(QStringLiteral("The level of the term last defined"));
}

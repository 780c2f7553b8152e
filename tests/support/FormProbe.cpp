// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormProbe.h"

#include <QSignalSpy>
#include <QTest>

namespace testsupport {

void FormProbe::select(const QString &key) const
{
    const QModelIndex index = tree->indexOf(tree->item(key));
    tv->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

bool FormProbe::pressDefine(int milliseconds) const
{
    QSignalSpy shown(form, &Form1::detailsShown);
    QTest::mouseClick(btn_define, Qt::LeftButton);
    return shown.wait(milliseconds);
}

QString outline(const kestrelon::TreeModel &tree, kestrelon::TreeModel::Node node)
{
    QString text = tree.text(node);
    if (tree.childCount(node) == 0)
        return text;
    QStringList children;
    for (int row = 0; row < tree.childCount(node); ++row)
        children << outline(tree, tree.childAt(node, row));
    return text + u'(' + children.join(u',') + u')';
}

QStringList FormProbe::rootTexts() const
{
    QStringList texts;
    for (int row = 0; row < tree->rowCount(); ++row)
        texts << tree->index(row, 0).data().toString();
    return texts;
}

} // namespace testsupport

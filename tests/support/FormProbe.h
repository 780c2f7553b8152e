// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/DescriptionBox.h"
#include "app/Form1.h"
#include "tree/TreeModel.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

namespace testsupport {

// The window's controls, found by name as a user's tools would find them.
struct FormProbe
{
    explicit FormProbe(Form1 &form)
        : form(&form), tv(form.findChild<QTreeView *>(QStringLiteral("tv"))),
          btn_define(form.findChild<QPushButton *>(QStringLiteral("btn_define"))),
          txtDescription(form.findChild<QPlainTextEdit *>(QStringLiteral("txtDescription"))),
          lbl_level(form.findChild<QLabel *>(QStringLiteral("lbl_level"))),
          tree(qobject_cast<kestrelon::TreeModel *>(tv->model()))
    {
    }

    // The node with this key, selected as a click would select it.
    void select(const QString &key) const;
    // Clicks "Define" and waits until the window shows what the request
    // found (or its error, or nothing for a cancelled one); false when that
    // does not come within the time, which allows for a data source that
    // runs into the program's time limit.
    bool pressDefine(int milliseconds = 120000) const;
    QStringList rootTexts() const;
    // The description box's text, lines separated by CR LF.
    QString description() const { return qobject_cast<DescriptionBox *>(txtDescription)->text(); }

    Form1 *form;
    QTreeView *tv;
    QPushButton *btn_define;
    QPlainTextEdit *txtDescription;
    QLabel *lbl_level;
    kestrelon::TreeModel *tree;
};

// The tree below a node as text: its text, its children in brackets.
QString outline(const kestrelon::TreeModel &tree, kestrelon::TreeModel::Node node);

} // namespace testsupport

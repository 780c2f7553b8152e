// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OdbcRows.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <optional>
#include <vector>

namespace model {

// What the window should show for a vocabulary read back through ODBC: the
// tree with every node's key, text and tag, the warning that names the rows
// left out, and what each press of "Define" writes.
class VocabularyModel
{
public:
    // The rows of "QryLithParent" as a forward-only cursor reads them, and
    // of "QryStratParent" (when the data source has it) as a cursor that
    // can move back to its first row reads them.
    VocabularyModel(const RowSetRead &lithology, const std::optional<RowSetRead> &stratigraphy);

    // One line a node, parents before children, children in the order
    // shown, indented by depth: key, text and tag.
    QString outline() const;
    // The warning's text; empty when no row was left out.
    const QString &warning() const { return warning_; }
    QStringList keys() const;
    QString textOf(const QString &key) const;
    bool isLithology(const QString &key) const;

    struct Shown
    {
        QString description;
        QString level;
    };
    // The text box and label after "Define" on the node with this key.
    Shown define(const QString &key) const;

private:
    struct Node
    {
        QString key;
        QString text;
        QString tag;
        int parent = -1;
        int depth = 0;
        bool lithology = true;
        std::vector<int> children;
    };
    struct Rules
    {
        QString rootKey;
        qint64 firstLevel;
        bool sortsFirstLevel;
        QStringList columns; // name, parent, level, id, parent id, parent level, tag
    };
    struct Skipped
    {
        QString name, id, parentKey, reason;
    };

    int addRoot(const QString &key, const QString &text, bool lithology);
    QList<Skipped> place(const RowSetRead &rows, const Rules &rules, int root);
    // Places one row, or gives why it was left out; nothing for a row that
    // does not qualify.
    std::optional<QString> placeRow(const RowSetRead &rows, int row, const Rules &rules, int root);
    void sortChildren(int node);
    void appendOutline(int node, QString &out) const;
    static QString warningFor(const QString &rootText, const QList<Skipped> &skipped);

    std::vector<Node> nodes_;
    std::vector<int> roots_;
    QHash<QString, int> byKey_;
    QSet<QString> leftOut_;
    RowSetRead lithology_;
    std::optional<RowSetRead> stratigraphy_;
    QString warning_;
};

} // namespace model

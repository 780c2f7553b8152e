// SPDX-License-Identifier: GPL-3.0-or-later
#include "VocabularyModel.h"

#include <algorithm>

namespace model {

namespace {

const QString lithologyRoot = QStringLiteral("Lithology Version 6");
const QString stratigraphyRoot = QStringLiteral("Stratigraphic Age");

// A listed field on one line: control characters and line or paragraph
// separators become spaces.
QString onOneLine(QString text)
{
    for (QChar &c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = u' ';
    }
    return text;
}

} // namespace

VocabularyModel::VocabularyModel(const RowSetRead &lithology,
                                 const std::optional<RowSetRead> &stratigraphy)
    : lithology_(lithology), stratigraphy_(stratigraphy)
{
    // Both roots stand before any row is placed.
    const int lithRoot = addRoot(QStringLiteral("lith6"), lithologyRoot, true);
    const int stratRoot =
        stratigraphy ? addRoot(QStringLiteral("Strat"), stratigraphyRoot, false) : -1;
    QStringList parts;
    const Rules lithRules{QStringLiteral("lith6"),
                          1,
                          true,
                          {"Lithology", "Parent", "Lith_level", "lith_id", "parent_id",
                           "parent_level", "description"}};
    const QList<Skipped> lithSkipped = place(lithology, lithRules, lithRoot);
    sortChildren(lithRoot);
    if (!lithSkipped.isEmpty())
        parts << warningFor(lithologyRoot, lithSkipped);
    if (stratigraphy) {
        const Rules stratRules{QStringLiteral("Strat"),
                               100,
                               false,
                               {"strat_name", "Parent", "strat_level", "strat_id", "parent_id",
                                "parent_level", "strat_rank"}};
        const QList<Skipped> stratSkipped = place(*stratigraphy, stratRules, stratRoot);
        if (!stratSkipped.isEmpty())
            parts << warningFor(stratigraphyRoot, stratSkipped);
    }
    warning_ = parts.join(QStringLiteral("\n\n"));
}

int VocabularyModel::addRoot(const QString &key, const QString &text, bool lithology)
{
    Node root;
    root.key = key;
    root.text = text;
    root.depth = 1;
    root.lithology = lithology;
    nodes_.push_back(root);
    const int index = int(nodes_.size()) - 1;
    roots_.push_back(index);
    byKey_.insert(key, index);
    return index;
}

QList<VocabularyModel::Skipped> VocabularyModel::place(const RowSetRead &rows, const Rules &rules,
                                                       int root)
{
    leftOut_.clear();
    QList<Skipped> skipped;
    for (int row = 0; row < rows.rows.size(); ++row) {
        if (const std::optional<QString> reason = placeRow(rows, row, rules, root)) {
            const Value parent = rows.value(row, rules.columns[1]);
            const Value parentId = rows.value(row, rules.columns[4]);
            const QString parentKey = parent.isNull() && parentId.isNull()
                                          ? QStringLiteral("Null")
                                          : parent.shown() + parentId.shown();
            skipped << Skipped{rows.value(row, rules.columns[0]).listed(),
                               rows.value(row, rules.columns[3]).listed(), parentKey, *reason};
        }
    }
    return skipped;
}

std::optional<QString> VocabularyModel::placeRow(const RowSetRead &rows, int row,
                                                 const Rules &rules, int root)
{
    const Value name = rows.value(row, rules.columns[0]);
    const Value parent = rows.value(row, rules.columns[1]);
    const Value level = rows.value(row, rules.columns[2]);
    const Value id = rows.value(row, rules.columns[3]);
    const Value parentId = rows.value(row, rules.columns[4]);
    const Value parentLevel = rows.value(row, rules.columns[5]);
    const Value tag = rows.value(row, rules.columns[6]);
    const bool hasOwn = !(name.isNull() && id.isNull());
    const bool hasParent = !(parent.isNull() && parentId.isNull());
    const QString key = name.shown() + id.shown();
    const QString parentKey = parent.shown() + parentId.shown();

    // A row left out: its own key, unless a node holds it, is remembered, so
    // that its children say their parent was left out.
    const auto leftOut = [&](const QString &reason, bool parentMissing) -> QString {
        if (hasOwn && !byKey_.contains(key))
            leftOut_.insert(key);
        if (parentMissing && leftOut_.contains(parentKey))
            return QStringLiteral("Element not found: its parent \"%1\" was left out")
                .arg(parentKey);
        return reason;
    };

    int relative = root;
    QString relativeKey = rules.rootKey;
    if (!equalsInteger(level, rules.firstLevel)) {
        bool child = false;
        try {
            const Value difference = minus(level, parentLevel);
            child = rules.firstLevel == 1
                        ? equalsInteger(difference, 1)
                        : equalsInteger(difference, 100) || equalsInteger(difference, 50);
        } catch (const NotANumber &bad) {
            return leftOut(QStringLiteral("Type mismatch: \"%1\" is not a number").arg(bad.text),
                           false);
        }
        if (!child) {
            if (notANumber(level))
                return leftOut(QStringLiteral("Type mismatch: the level \"%1\" is not a number")
                                   .arg(level.shown()),
                               false);
            return std::nullopt;
        }
        if (!hasParent)
            return leftOut(QStringLiteral("Invalid key: the key is Null"), false);
        relativeKey = parentKey;
        relative = byKey_.value(parentKey, -1);
    }
    if (!hasOwn)
        return leftOut(QStringLiteral("Invalid key: the key is Null"), false);
    if (relative < 0)
        return leftOut(
            QStringLiteral("Element not found: no node has the key \"%1\"").arg(relativeKey), true);
    if (key.isEmpty())
        return leftOut(QStringLiteral("Invalid key: a node needs a key"), false);
    if (byKey_.contains(key))
        return leftOut(QStringLiteral("Key is not unique in collection: \"%1\"").arg(key), false);

    Node node;
    node.key = key;
    node.text = name.shown();
    node.tag = tag.shown();
    node.parent = relative;
    node.depth = nodes_[size_t(relative)].depth + 1;
    node.lithology = nodes_[size_t(relative)].lithology;
    nodes_.push_back(node);
    const int index = int(nodes_.size()) - 1;
    nodes_[size_t(relative)].children.push_back(index);
    byKey_.insert(key, index);
    return std::nullopt;
}

void VocabularyModel::sortChildren(int node)
{
    std::vector<int> &children = nodes_[size_t(node)].children;
    std::stable_sort(children.begin(), children.end(), [this](int a, int b) {
        return QString::compare(nodes_[size_t(a)].text, nodes_[size_t(b)].text,
                                Qt::CaseInsensitive) < 0;
    });
}

QString VocabularyModel::outline() const
{
    QString out;
    for (const int root : roots_)
        appendOutline(root, out);
    return out;
}

void VocabularyModel::appendOutline(int index, QString &out) const
{
    const Node &node = nodes_[size_t(index)];
    out += QString(2 * (node.depth - 1), u' ') + node.key + QStringLiteral(" | ") + node.text +
           QStringLiteral(" | ") + node.tag + u'\n';
    for (const int child : node.children)
        appendOutline(child, out);
}

QStringList VocabularyModel::keys() const
{
    QStringList keys;
    for (const Node &node : nodes_)
        keys << node.key;
    return keys;
}

QString VocabularyModel::textOf(const QString &key) const
{
    return nodes_[size_t(byKey_.value(key))].text;
}

bool VocabularyModel::isLithology(const QString &key) const
{
    return nodes_[size_t(byKey_.value(key))].lithology;
}

VocabularyModel::Shown VocabularyModel::define(const QString &key) const
{
    const Node &node = nodes_[size_t(byKey_.value(key))];
    Shown shown{node.text + QStringLiteral(": ") + node.tag, QString()};
    if (node.lithology) {
        const QString wanted = trimmedSpaces(node.text);
        for (int row = 0; row < lithology_.rows.size(); ++row) {
            const Value name = lithology_.value(row, QStringLiteral("lithology"));
            if (!name.isNull() && trimmedSpaces(name.shown()) == wanted)
                shown.level = QStringLiteral("Level: ") +
                              lithology_.value(row, QStringLiteral("lith_level")).shown();
        }
        return shown;
    }
    if (!stratigraphy_)
        return shown;
    const Value unit = Value::ofText(node.text);
    for (int row = 0; row < stratigraphy_->rows.size(); ++row) {
        if (equal(stratigraphy_->value(row, QStringLiteral("strat_name")), unit))
            shown.description += QStringLiteral("\r\nMinimum Age (mya): ") +
                                 stratigraphy_->value(row, QStringLiteral("min_age")).shown() +
                                 QStringLiteral("\r\nMaximum Age (mya): ") +
                                 stratigraphy_->value(row, QStringLiteral("max_age")).shown();
    }
    return shown;
}

QString VocabularyModel::warningFor(const QString &rootText, const QList<Skipped> &skipped)
{
    const qsizetype count = skipped.size();
    QStringList lines{
        (count == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(count)) +
        QStringLiteral(" of \"%1\" could not be shown:").arg(rootText)};
    for (qsizetype i = 0; i < qMin<qsizetype>(count, 10); ++i) {
        const Skipped &row = skipped.at(i);
        lines << QStringLiteral("- \"%1\" (id %2, parent key \"%3\"): %4")
                     .arg(onOneLine(row.name), onOneLine(row.id), onOneLine(row.parentKey),
                          onOneLine(row.reason));
    }
    if (count > 10)
        lines << QStringLiteral("... and %1 more.").arg(count - 10);
    return lines.join(u'\n');
}

} // namespace model

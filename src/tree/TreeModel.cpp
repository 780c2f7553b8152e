#include "TreeModel.h"

#include "data/Error.h"

#include <algorithm>

namespace kestrelon {

namespace {

// Model indexes carry the node number spread over 64 bits: Qt hashes indexes
// by row plus internal id, and consecutive ids made those hashes collide.
constexpr quint64 idSpread = 0x9E3779B97F4A7C15ull;

constexpr quint64 inverseOf(quint64 odd)
{
    quint64 inverse = odd; // Newton's iteration doubles the correct low bits each step
    for (int i = 0; i < 5; ++i)
        inverse *= 2 - odd * inverse;
    return inverse;
}
constexpr quint64 idGather = inverseOf(idSpread);
static_assert(idSpread * idGather == 1);

quintptr internalIdOf(TreeModel::Node node)
{
    return quintptr((quint64(node) + 1) * idSpread);
}

TreeModel::Node nodeOfInternalId(quintptr id)
{
    return TreeModel::Node(quint64(id) * idGather - 1);
}

} // namespace

TreeModel::TreeModel(QObject *parent) : QAbstractItemModel(parent) {}

TreeModel::Node TreeModel::addRoot(const QString &key, const QString &text, int image)
{
    return insert(NoNode, key, text, image);
}

TreeModel::Node TreeModel::addChild(const QString &relativeKey, const QString &key,
                                    const QString &text, int image)
{
    const Node relative = find(relativeKey);
    if (relative == NoNode)
        throw Error(
            RelativeNotFound,
            QStringLiteral("Element not found: no node has the key \"%1\"").arg(relativeKey));
    return insert(relative, key, text, image);
}

TreeModel::Node TreeModel::insert(Node parent, const QString &key, const QString &text, int image)
{
    if (key.isEmpty())
        throw Error(InvalidKey, QStringLiteral("Invalid key: a node needs a key"));
    if (byKey_.contains(key))
        throw Error(KeyNotUnique,
                    QStringLiteral("Key is not unique in collection: \"%1\"").arg(key));
    if (image < 0 || image > 255)
        throw Error(InvalidKey, QStringLiteral("Invalid image index %1").arg(image));

    const int row = insertPosition(parent, text);
    const Node node = Node(parents_.size());
    beginInsertRows(indexOf(parent), row, row);
    texts_.push_back(text);
    keys_.push_back(key);
    tags_.emplace_back();
    parents_.push_back(parent);
    children_.emplace_back();
    images_.push_back(quint8(image));
    flags_.push_back(0);
    rows_.push_back(row);
    rowsStale_.push_back(false);
    byKey_.insert(key, node);
    auto &siblings = childrenOf(parent);
    if (row < int(siblings.size())) {
        if (parent == NoNode)
            topLevelRowsStale_ = true;
        else
            rowsStale_[size_t(parent)] = true;
    }
    siblings.insert(siblings.begin() + row, node);
    endInsertRows();
    return node;
}

// Arrival order, or for a parent that sorts its children the place after
// every sibling whose text is not greater, ignoring case.
int TreeModel::insertPosition(Node parent, const QString &text) const
{
    const auto &siblings = childrenOf(parent);
    if (parent == NoNode || !isSorted(parent))
        return int(siblings.size());
    const auto place = std::upper_bound(
        siblings.begin(), siblings.end(), text, [this](const QString &value, Node sibling) {
            return value.compare(texts_[size_t(sibling)], Qt::CaseInsensitive) < 0;
        });
    return int(place - siblings.begin());
}

TreeModel::Node TreeModel::item(const QString &key) const
{
    const Node node = find(key);
    if (node == NoNode)
        throw Error(NoSuchNode, QStringLiteral("Element not found: \"%1\"").arg(key));
    return node;
}

TreeModel::Node TreeModel::find(const QString &key) const
{
    return byKey_.value(key, NoNode);
}

QString TreeModel::fullPath(Node node) const
{
    QStringList texts;
    for (Node n = node; n != NoNode; n = parentOf(n))
        texts.prepend(texts_.at(size_t(n)));
    return texts.join(PathSeparator);
}

void TreeModel::setTag(Node node, FieldValue tag)
{
    tags_.at(size_t(node)) = std::move(tag);
}

void TreeModel::setImage(Node node, int image)
{
    if (image < 0 || image > 255)
        throw Error(InvalidKey, QStringLiteral("Invalid image index %1").arg(image));
    if (images_.at(size_t(node)) == image)
        return;
    images_[size_t(node)] = quint8(image);
    const QModelIndex index = indexOf(node);
    emit dataChanged(index, index, {Qt::DecorationRole});
}

void TreeModel::setSorted(Node node, bool sorted)
{
    if (sorted)
        flags_.at(size_t(node)) |= SortedFlag;
    else
        flags_.at(size_t(node)) &= quint8(~SortedFlag);
}

void TreeModel::setExpanded(Node node, bool expanded)
{
    noteExpanded(node, expanded);
    emit expandedChanged(indexOf(node), expanded);
}

void TreeModel::noteExpanded(Node node, bool expanded)
{
    if (expanded)
        flags_.at(size_t(node)) |= ExpandedFlag;
    else
        flags_.at(size_t(node)) &= quint8(~ExpandedFlag);
}

const std::vector<TreeModel::Node> &TreeModel::childrenOf(Node node) const
{
    return node == NoNode ? topLevel_ : children_.at(size_t(node));
}

std::vector<TreeModel::Node> &TreeModel::childrenOf(Node node)
{
    return node == NoNode ? topLevel_ : children_.at(size_t(node));
}

int TreeModel::rowOf(Node node) const
{
    const Node parent = parents_[size_t(node)];
    const bool stale = parent == NoNode ? topLevelRowsStale_ : bool(rowsStale_[size_t(parent)]);
    if (stale) {
        const auto &siblings = childrenOf(parent);
        for (size_t row = 0; row < siblings.size(); ++row)
            rows_[size_t(siblings[row])] = qint32(row);
        if (parent == NoNode)
            topLevelRowsStale_ = false;
        else
            rowsStale_[size_t(parent)] = false;
    }
    return rows_[size_t(node)];
}

QModelIndex TreeModel::indexOf(Node node) const
{
    if (node == NoNode)
        return {};
    return createIndex(rowOf(node), 0, internalIdOf(node));
}

TreeModel::Node TreeModel::nodeAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return NoNode;
    return nodeOfInternalId(index.internalId());
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0 || (parent.isValid() && parent.column() != 0))
        return {};
    const auto &siblings = childrenOf(nodeAt(parent));
    if (size_t(row) >= siblings.size())
        return {};
    return createIndex(row, 0, internalIdOf(siblings[size_t(row)]));
}

QModelIndex TreeModel::parent(const QModelIndex &child) const
{
    const Node node = nodeAt(child);
    return node == NoNode ? QModelIndex() : indexOf(parentOf(node));
}

int TreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(childrenOf(nodeAt(parent)).size());
}

int TreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant TreeModel::data(const QModelIndex &index, int role) const
{
    const Node node = nodeAt(index);
    if (node == NoNode)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return texts_[size_t(node)];
    case Qt::DecorationRole: {
        const int image = images_[size_t(node)];
        if (image == NoImage || image > imageList_.size())
            return {};
        return imageList_.at(image - 1);
    }
    default:
        return {};
    }
}

Qt::ItemFlags TreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace kestrelon

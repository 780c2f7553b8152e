// SPDX-License-Identifier: GPL-3.0-or-later
#include "TreeModel.h"

#include "data/Error.h"
#include "data/Utf8Text.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <limits>

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

// Qt hashes with the processor's AES instructions only when given a seed;
// without one it takes a much slower way. Any fixed seed will do: the
// hashes never leave the index.
constexpr size_t hashSeed = 0x4b657973;

// A key whose characters all fit in one byte is hashed as those bytes, so
// that it hashes alike as Latin-1 and as UTF-16.
size_t hashOf(QLatin1StringView key)
{
    return qHash(QByteArrayView(key.data(), key.size()), hashSeed);
}

size_t hashOf(QStringView key)
{
    if (!TextStore::fitsLatin1(key))
        return qHash(key, hashSeed);
    QVarLengthArray<char, 256> bytes(key.size());
    TextStore::narrow(key, bytes.data());
    return hashOf(QLatin1StringView(bytes.data(), bytes.size()));
}

size_t hashOf(QUtf8StringView key)
{
    return hashOf(QStringView(textOfUtf8(QByteArrayView(key.data(), key.size()))));
}

// Characters given as UTF-8 in UTF-16, where lengths count characters;
// other forms pass as they are.
QAnyStringView inCharacters(QAnyStringView text, QString &holder)
{
    return text.visit([&holder](auto characters) -> QAnyStringView {
        if constexpr (std::is_same_v<decltype(characters), QUtf8StringView>) {
            holder = textOfUtf8(QByteArrayView(characters.data(), characters.size()));
            return holder;
        } else {
            return characters;
        }
    });
}

// Whether `key` begins with `text`; both in characters.
bool startsWith(QAnyStringView key, QAnyStringView text)
{
    if (text.size() > key.size())
        return false;
    const QAnyStringView start = key.visit(
        [&text](auto characters) -> QAnyStringView { return characters.first(text.size()); });
    return QAnyStringView::equal(start, text);
}

} // namespace

TreeModel::TreeModel(QObject *parent) : QAbstractItemModel(parent) {}

TreeModel::BulkInsertion::BulkInsertion(TreeModel &tree) : tree_(tree)
{
    if (tree_.bulkInsertions_++ == 0)
        tree_.beginResetModel();
}

TreeModel::BulkInsertion::~BulkInsertion()
{
    if (--tree_.bulkInsertions_ == 0)
        tree_.endBulkInsertion();
}

void TreeModel::endBulkInsertion()
{
    sortPendingChildren();
    endResetModel();
    // Parents come before their children, so views open them in order.
    for (Node node = 0; node < nodeCount(); ++node) {
        if (flags_[size_t(node)] & ExpandedFlag)
            emit expandedChanged(indexOf(node), true);
    }
}

size_t TreeModel::hashOfKey(QAnyStringView key)
{
    return key.visit([](auto characters) { return hashOf(characters); });
}

TreeModel::Node TreeModel::addRoot(const QString &key, const QString &text, int image)
{
    return insert(NoNode, key, hashOfKey(key), text, image);
}

TreeModel::Node TreeModel::addChild(const QString &relativeKey, const QString &key,
                                    const QString &text, int image)
{
    // The new key's slot is needed once the relative is found: both slots are
    // then on their way together.
    const size_t keyHash = hashOfKey(key);
    byKey_.prefetch(keyHash);
    return addChild(relativeKey, hashOfKey(relativeKey), key, keyHash, text, image);
}

TreeModel::Node TreeModel::addChild(QAnyStringView relativeKey, size_t relativeHash,
                                    QAnyStringView key, size_t keyHash, QAnyStringView text,
                                    int image)
{
    const Node relative = find(relativeKey, relativeHash);
    if (relative == NoNode)
        throw Error(RelativeNotFound,
                    QStringLiteral("Element not found: no node has the key \"%1\"")
                        .arg(relativeKey.toString()));
    return insert(relative, key, keyHash, text, image);
}

TreeModel::Node TreeModel::insert(Node parent, QAnyStringView givenKey, size_t keyHash,
                                  QAnyStringView givenText, int image)
{
    QString keyHolder;
    QString textHolder;
    const QAnyStringView key = inCharacters(givenKey, keyHolder);
    const QAnyStringView text = inCharacters(givenText, textHolder);
    if (key.isEmpty())
        throw Error(InvalidKey, QStringLiteral("Invalid key: a node needs a key"));
    if (find(key, keyHash) != NoNode)
        throw Error(KeyNotUnique,
                    QStringLiteral("Key is not unique in collection: \"%1\"").arg(key.toString()));
    if (image < 0 || image > 255)
        throw Error(InvalidKey, QStringLiteral("Invalid image index %1").arg(image));
    const int depth = parent == NoNode ? 1 : depths_[size_t(parent)] + 1;
    if (depth > MaxDepth)
        throw Error(TreeTooDeep,
                    QStringLiteral("Too deep: a branch holds at most %1 levels").arg(MaxDepth));

    const bool announced = bulkInsertions_ == 0;
    // In bulk, a sorted parent's children are appended and put in order once
    // at the end: inserting each into the middle would cost the square of
    // their number.
    const bool deferSorting = !announced && parent != NoNode && isSorted(parent);
    const int row = deferSorting ? childCount(parent) : insertPosition(parent, text);
    if (deferSorting && !(flags_[size_t(parent)] & PendingSortFlag)) {
        flags_[size_t(parent)] |= PendingSortFlag;
        pendingSorts_.push_back({parent, size_t(row)});
    }
    const Node node = Node(parents_.size());
    const TextStore::Ref keyRef = strings_.add(key);
    const bool ownText = !startsWith(key, text);
    const quint32 textRef = ownText ? strings_.add(text) : quint32(text.size());
    if (announced)
        beginInsertRows(indexOf(parent), row, row);
    texts_.push_back(textRef);
    keys_.push_back(keyRef);
    tagKinds_.push_back(quint8(FieldValue::Kind::Empty));
    tagValues_.push_back(0);
    parents_.push_back(parent);
    depths_.push_back(quint16(depth));
    childLists_.push_back(NoNode);
    images_.push_back(quint8(image));
    flags_.push_back(ownText ? OwnTextFlag : 0);
    rows_.push_back(row);
    rowsStale_.push_back(false);
    byKey_.insert(keyHash, node);
    if (row < childCount(parent)) {
        if (parent == NoNode)
            topLevelRowsStale_ = true;
        else
            rowsStale_[size_t(parent)] = true;
    }
    insertChild(parent, row, node);
    if (announced)
        endInsertRows();
    return node;
}

// Arrival order, or for a parent that sorts its children the place after
// every sibling whose text is not greater, ignoring case.
int TreeModel::insertPosition(Node parent, QAnyStringView text) const
{
    const auto siblings = childrenOf(parent);
    if (parent == NoNode || !isSorted(parent))
        return int(siblings.size());
    const auto place = std::upper_bound(
        siblings.begin(), siblings.end(), text, [this](QAnyStringView value, Node sibling) {
            return QAnyStringView::compare(value, textView(sibling), Qt::CaseInsensitive) < 0;
        });
    return int(place - siblings.begin());
}

// The children appended in bulk after those already in place: ordered
// among themselves, then merged behind every earlier sibling that is not
// greater, as one-by-one insertion would have placed them.
void TreeModel::sortPendingChildren()
{
    const auto before = [this](Node a, Node b) {
        return QAnyStringView::compare(textView(a), textView(b), Qt::CaseInsensitive) < 0;
    };
    for (const PendingSort &pending : pendingSorts_) {
        const ChildLists::List list = childLists_[size_t(pending.parent)];
        Node *const first = lists_.begin(list);
        Node *const last = lists_.end(list);
        Node *const appended = first + pending.firstAppended;
        std::stable_sort(appended, last, before);
        std::inplace_merge(first, appended, last, before);
        flags_[size_t(pending.parent)] &= quint8(~PendingSortFlag);
        rowsStale_[size_t(pending.parent)] = true;
    }
    pendingSorts_.clear();
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
    return find(key, hashOfKey(key));
}

TreeModel::KeyLookahead TreeModel::startLookup(size_t keyHash) const
{
    byKey_.prefetch(keyHash);
    return {keyHash, NoNode, true};
}

void TreeModel::continueLookup(KeyLookahead &lookahead) const
{
    if (!lookahead.started)
        return;
    lookahead.candidate = byKey_.candidate(lookahead.hash);
    if (lookahead.candidate == NoNode)
        return;
    // Adding a child then reads these of its parent as well.
    const auto node = size_t(lookahead.candidate);
    prefetchLine(&keys_[node]);
    prefetchLine(&depths_[node]);
    prefetchLine(&flags_[node]);
    prefetchLine(&childLists_[node]);
}

void TreeModel::finishLookup(const KeyLookahead &lookahead) const
{
    if (lookahead.candidate == NoNode)
        return;
    const auto node = size_t(lookahead.candidate);
    strings_.prefetch(keys_[node]);
    if (const ChildLists::List list = childLists_[node]; list != NoNode)
        lists_.prefetch(list);
}

TreeModel::Node TreeModel::find(QAnyStringView key, size_t hash) const
{
    const Node found = byKey_.find(hash, [this, key](qint32 node) {
        return QAnyStringView::equal(strings_.view(keys_[size_t(node)]), key);
    });
    return found == KeyIndex::None ? NoNode : found;
}

QAnyStringView TreeModel::textView(Node node) const
{
    const quint32 text = texts_.at(size_t(node));
    if (flags_[size_t(node)] & OwnTextFlag)
        return strings_.view(TextStore::Ref(text));
    return strings_.view(keys_[size_t(node)], qsizetype(text));
}

QString TreeModel::shownText(Node node) const
{
    const QAnyStringView text = textView(node);
    if (text.size() <= LongestShownText)
        return text.toString();
    return text.visit([](auto characters) {
        qsizetype length = LongestShownText - 1;
        if constexpr (std::is_same_v<decltype(characters), QStringView>) {
            if (characters.at(length - 1).isHighSurrogate())
                --length;
        }
        return characters.left(length).toString() + QChar(0x2026);
    });
}

QString TreeModel::fullPath(Node node) const
{
    QStringList texts;
    for (Node n = node; n != NoNode; n = parentOf(n))
        texts.prepend(text(n));
    return texts.join(PathSeparator);
}

FieldValue TreeModel::tag(Node node) const
{
    switch (FieldValue::Kind(tagKinds_.at(size_t(node)))) {
    case FieldValue::Kind::Empty:
        break;
    case FieldValue::Kind::Null:
        return FieldValue::null();
    case FieldValue::Kind::Whole:
        return FieldValue::whole(qint64(numberBits(node)));
    case FieldValue::Kind::Fractional: {
        const quint64 bits = numberBits(node);
        double number = 0;
        std::memcpy(&number, &bits, sizeof number);
        return FieldValue::fractional(number);
    }
    case FieldValue::Kind::Text:
        return FieldValue::text(tagTexts_.text(tagValues_[size_t(node)]));
    }
    return {};
}

void TreeModel::setTag(Node node, const FieldValue &tag)
{
    switch (tag.kind()) {
    case FieldValue::Kind::Empty:
    case FieldValue::Kind::Null:
        tagValues_.at(size_t(node)) = 0;
        break;
    case FieldValue::Kind::Whole:
        setNumberBits(node, quint64(tag.wholeNumber()));
        break;
    case FieldValue::Kind::Fractional: {
        const double number = tag.fractionalNumber();
        quint64 bits = 0;
        std::memcpy(&bits, &number, sizeof bits);
        setNumberBits(node, bits);
        break;
    }
    case FieldValue::Kind::Text:
        tagValues_.at(size_t(node)) = tagTexts_.add(tag.textView());
        break;
    }
    tagKinds_[size_t(node)] = quint8(tag.kind());
}

// A node whose tag is a number already keeps its room for the next one.
void TreeModel::setNumberBits(Node node, quint64 bits)
{
    const auto kind = FieldValue::Kind(tagKinds_.at(size_t(node)));
    if (kind == FieldValue::Kind::Whole || kind == FieldValue::Kind::Fractional) {
        tagNumbers_[tagValues_[size_t(node)]] = bits;
        return;
    }
    if (tagNumbers_.size() > std::numeric_limits<quint32>::max())
        throw Error(UnexpectedFailure, QStringLiteral("Too many number tags to keep"));
    tagNumbers_.push_back(bits);
    tagValues_[size_t(node)] = quint32(tagNumbers_.size() - 1);
}

void TreeModel::setTagText(Node node, QAnyStringView text)
{
    tagKinds_.at(size_t(node)) = quint8(FieldValue::Kind::Text);
    tagValues_[size_t(node)] = tagTexts_.add(text);
}

void TreeModel::setImage(Node node, int image)
{
    if (image < 0 || image > 255)
        throw Error(InvalidKey, QStringLiteral("Invalid image index %1").arg(image));
    if (images_.at(size_t(node)) == image)
        return;
    images_[size_t(node)] = quint8(image);
    if (bulkInsertions_ > 0)
        return;
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
    if (bulkInsertions_ == 0)
        emit expandedChanged(indexOf(node), expanded);
}

void TreeModel::noteExpanded(Node node, bool expanded)
{
    if (expanded)
        flags_.at(size_t(node)) |= ExpandedFlag;
    else
        flags_.at(size_t(node)) &= quint8(~ExpandedFlag);
}

ChildLists::Range TreeModel::childrenOf(Node node) const
{
    if (node == NoNode)
        return {topLevel_.data(), topLevel_.size()};
    const ChildLists::List list = childLists_.at(size_t(node));
    return list == NoNode ? ChildLists::Range() : lists_.nodes(list);
}

void TreeModel::insertChild(Node parent, int row, Node node)
{
    if (parent == NoNode) {
        topLevel_.insert(topLevel_.begin() + row, node);
        return;
    }
    ChildLists::List &list = childLists_.at(size_t(parent));
    if (list == NoNode)
        list = lists_.add();
    lists_.insert(list, size_t(row), node);
}

int TreeModel::rowOf(Node node) const
{
    const Node parent = parents_[size_t(node)];
    const bool stale = parent == NoNode ? topLevelRowsStale_ : bool(rowsStale_[size_t(parent)]);
    if (stale) {
        const auto siblings = childrenOf(parent);
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
    const auto siblings = childrenOf(nodeAt(parent));
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
        return shownText(node);
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

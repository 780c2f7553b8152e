// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChildLists.h"
#include "KeyIndex.h"
#include "TextStore.h"

#include "data/FieldValue.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>
#include <vector>

namespace kestrelon {

// The nodes of the hierarchy tree, kept in contiguous arrays and shown by a
// QTreeView. Each node has a text, a key unique in the whole tree, a tag, an
// image index into the bound image list (counted from 1; 0 is none), an
// expanded flag and a sorted-children flag. The model is read-only to the
// view: nodes change only through the operations below.
//
// Texts and keys live in one TextStore, text tags in another; a text that
// begins its node's key (as builders make them: name, then id) is kept once,
// as a length. Keys are found through a KeyIndex of node numbers.
class TreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    using Node = qint32;
    static constexpr Node NoNode = -1;
    static constexpr int NoImage = 0;
    static inline const QString PathSeparator = QStringLiteral("\\");
    // Levels a branch may have, its top-level node included. Views lay out
    // an open branch by recursion, one call a level: far deeper chains would
    // overflow the stack.
    static constexpr int MaxDepth = 2000;
    // Characters of a node's text that views are given to draw: laying out
    // a text of megabytes takes seconds at every repaint. A longer text is
    // cut, and ends in an ellipsis.
    static constexpr qsizetype LongestShownText = 1000;

    explicit TreeModel(QObject *parent = nullptr);

    // While one lives, added nodes are not announced one by one: views see
    // a single reset when the last one ends, and are then asked to show
    // every node whose expanded flag is set as expanded. Children of a node
    // that sorts them take their places when the last one ends.
    class BulkInsertion
    {
    public:
        explicit BulkInsertion(TreeModel &tree);
        ~BulkInsertion();
        BulkInsertion(const BulkInsertion &) = delete;
        BulkInsertion &operator=(const BulkInsertion &) = delete;

    private:
        TreeModel &tree_;
    };

    // Adds a node at the top level, or as the last child of the node whose
    // key is `relativeKey` (or at its place in alphabetical order when that
    // node sorts its children). Raises KeyNotUnique when the key is taken,
    // RelativeNotFound when the relative key is unknown, InvalidKey for an
    // empty key, TreeTooDeep below a node at MaxDepth.
    Node addRoot(const QString &key, const QString &text, int image = NoImage);
    Node addChild(const QString &relativeKey, const QString &key, const QString &text,
                  int image = NoImage);
    // The same with the keys' hashes (hashOfKey) already made, for a caller
    // that uses them more than once and has started loading the new key's
    // index slot itself (startLookup). Keys and text may come as Latin-1,
    // which is then stored as it stands.
    Node addChild(QAnyStringView relativeKey, size_t relativeHash, QAnyStringView key,
                  size_t keyHash, QAnyStringView text, int image = NoImage);
    // Equal keys hash alike in any form.
    static size_t hashOfKey(QAnyStringView key);

    // The node with this key; item() raises NoSuchNode, find() gives NoNode.
    Node item(const QString &key) const;
    Node find(const QString &key) const;

    // Finding a key waits for memory again and again: the index slot, the
    // candidate node's key reference, the key's text, and adding a child
    // below the node found reads more of the node. A caller that knows
    // which keys it will look up next starts those loads in three steps, a
    // few lookups apart, so that they overlap with other work. Only a hint:
    // lookups and additions are unchanged.
    struct KeyLookahead
    {
        size_t hash = 0;
        Node candidate = NoNode;
        bool started = false;
    };
    KeyLookahead startLookup(size_t keyHash) const;
    void continueLookup(KeyLookahead &lookahead) const;
    void finishLookup(const KeyLookahead &lookahead) const;

    int nodeCount() const { return int(parents_.size()); }
    QString text(Node node) const { return textView(node).toString(); }
    // The text without a copy, valid until the model is destroyed.
    QAnyStringView textView(Node node) const;
    QString key(Node node) const { return strings_.text(keys_.at(size_t(node))); }
    Node parentOf(Node node) const { return parents_.at(size_t(node)); }
    int childCount(Node node) const { return int(childrenOf(node).size()); }
    Node childAt(Node node, int row) const { return childrenOf(node).at(size_t(row)); }
    // The children of a node, or the roots for NoNode, in the order shown;
    // valid until the next node is added.
    ChildLists::Range children(Node node) const { return childrenOf(node); }
    // Texts of the top-level node and every node down to this one, joined
    // by the path separator.
    QString fullPath(Node node) const;

    FieldValue tag(Node node) const;
    // Keeps a copy of the value; a text tag that is replaced keeps its room.
    void setTag(Node node, const FieldValue &tag);
    // The same for a text tag given by its characters.
    void setTagText(Node node, QAnyStringView text);

    int image(Node node) const { return images_.at(size_t(node)); }
    void setImage(Node node, int image);

    bool isSorted(Node node) const { return flags_.at(size_t(node)) & SortedFlag; }
    void setSorted(Node node, bool sorted);

    bool isExpanded(Node node) const { return flags_.at(size_t(node)) & ExpandedFlag; }
    // Sets the flag and asks the view to follow (expandedChanged), which in
    // turn raises the view's own expanded or collapsed notification.
    void setExpanded(Node node, bool expanded);
    // Records a change the view made (the user opened or closed a node).
    void noteExpanded(Node node, bool expanded);

    // The pictures that image indices select, first one at index 1. Bound
    // once, before the first node is added.
    void setImageList(QList<QIcon> images) { imageList_ = std::move(images); }

    QModelIndex indexOf(Node node) const;
    Node nodeAt(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void expandedChanged(const QModelIndex &index, bool expanded);

private:
    // One element a node.
    template<typename T> using NodeArray = std::vector<T>;

    // OwnTextFlag: the node's text is not the start of its key, and texts_
    // holds a reference to a text of its own.
    enum Flag : quint8 { ExpandedFlag = 1, SortedFlag = 2, PendingSortFlag = 4, OwnTextFlag = 8 };
    struct PendingSort
    {
        Node parent;
        size_t firstAppended;
    };

    Node insert(Node parent, QAnyStringView key, size_t keyHash, QAnyStringView text, int image);
    Node find(QAnyStringView key, size_t hash) const;
    int insertPosition(Node parent, QAnyStringView text) const;
    void sortPendingChildren();
    QString shownText(Node node) const;
    quint64 numberBits(Node node) const { return tagNumbers_[tagValues_[size_t(node)]]; }
    void setNumberBits(Node node, quint64 bits);
    ChildLists::Range childrenOf(Node node) const;
    void insertChild(Node parent, int row, Node node);
    int rowOf(Node node) const;
    void endBulkInsertion();

    // A node's text: the length of the start of its key that it is, or
    // with OwnTextFlag the reference of a text of its own.
    NodeArray<quint32> texts_;
    NodeArray<TextStore::Ref> keys_;
    NodeArray<quint8> tagKinds_; // FieldValue::Kind
    // A text tag's reference, or where a number tag's bits are in
    // tagNumbers_: few tags are numbers, so most nodes spare their room.
    NodeArray<quint32> tagValues_;
    std::vector<quint64> tagNumbers_;
    NodeArray<Node> parents_;
    NodeArray<quint16> depths_; // levels from the top down to the node
    // Children of the nodes that have some: childLists_ holds a list of
    // lists_, or NoNode.
    NodeArray<ChildLists::List> childLists_;
    ChildLists lists_;
    std::vector<Node> topLevel_;
    NodeArray<quint8> images_;
    NodeArray<quint8> flags_;
    // Each node's row within its parent; renumbered on demand after a sorted
    // insertion moved later siblings.
    mutable NodeArray<qint32> rows_;
    mutable NodeArray<bool> rowsStale_;
    mutable bool topLevelRowsStale_ = false;
    // Keys and texts apart from tags: lookups then touch only the first.
    TextStore strings_;
    TextStore tagTexts_;
    KeyIndex byKey_;
    QList<QIcon> imageList_;
    std::vector<PendingSort> pendingSorts_;
    int bulkInsertions_ = 0;
};

} // namespace kestrelon

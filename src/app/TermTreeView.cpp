// SPDX-License-Identifier: GPL-3.0-or-later
#include "TermTreeView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>

using namespace kestrelon;

TermTreeView::TermTreeView(QWidget *parent) : QTreeView(parent)
{
    orderWhenIdle_.setSingleShot(true);
    orderWhenIdle_.setInterval(0);
    connect(&orderWhenIdle_, &QTimer::timeout, this, [this] {
        if (const TermFinder *terms = finder())
            terms->refresh();
    });
}

void TermTreeView::setModel(QAbstractItemModel *model)
{
    QTreeView::setModel(model);
    if (!model)
        return;
    const auto stale = [this] { orderStale_ = true; };
    connect(model, &QAbstractItemModel::modelReset, this, stale);
    connect(model, &QAbstractItemModel::rowsInserted, this, stale);
}

void TermTreeView::paintEvent(QPaintEvent *event)
{
    QTreeView::paintEvent(event);
    if (orderStale_) {
        orderStale_ = false;
        orderWhenIdle_.start();
    }
}

TermTreeView::~TermTreeView() = default;

void TermTreeView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F3) {
        const bool back = event->modifiers() & Qt::ShiftModifier;
        findAndShow(back ? TermFinder::Direction::Backward : TermFinder::Direction::Forward, false);
        event->accept();
        return;
    }
    // "*", "+" and "-" open and close branches; they are not typed text.
    const int key = event->key();
    const QScopedValueRollback<bool> expanding(
        expandingByKey_, key == Qt::Key_Asterisk || key == Qt::Key_Plus || key == Qt::Key_Minus);
    QTreeView::keyPressEvent(event);
}

void TermTreeView::keyboardSearch(const QString &typed)
{
    if (expandingByKey_ || typed.isEmpty())
        return;
    const bool continuing =
        sinceTyped_.isValid() && sinceTyped_.elapsed() < QApplication::keyboardInputInterval();
    sinceTyped_.start();
    typed_ = continuing ? typed_ + typed : typed;
    // A longer prefix may still match the term already found; a new one
    // looks beyond it.
    findAndShow(TermFinder::Direction::Forward, continuing);
}

void TermTreeView::findAndShow(TermFinder::Direction direction, bool includeCurrent)
{
    const TermFinder *terms = finder();
    if (!terms)
        return;
    const TreeModel::Node current = terms->tree().nodeAt(currentIndex());
    const TreeModel::Node found = terms->find(typed_, current, direction, includeCurrent);
    if (found != TreeModel::NoNode)
        goTo(found);
}

// Opens the closed ancestors from the top down, as the user would, so each
// reports its expansion; then selects the node and scrolls to it.
void TermTreeView::goTo(TreeModel::Node node)
{
    const TreeModel &tree = finder_->tree();
    QList<TreeModel::Node> ancestors;
    for (TreeModel::Node n = tree.parentOf(node); n != TreeModel::NoNode; n = tree.parentOf(n))
        ancestors.prepend(n);
    for (const TreeModel::Node ancestor : ancestors) {
        const QModelIndex index = tree.indexOf(ancestor);
        if (!isExpanded(index))
            expand(index);
    }
    const QModelIndex index = tree.indexOf(node);
    setCurrentIndex(index);
    scrollTo(index);
}

const TermFinder *TermTreeView::finder()
{
    const auto *tree = qobject_cast<const TreeModel *>(model());
    if (!tree)
        return nullptr;
    if (!finder_ || &finder_->tree() != tree)
        finder_ = std::make_unique<TermFinder>(*tree);
    return finder_.get();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tree/TermFinder.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <memory>

// The hierarchy tree's view. Typing selects the next term whose text starts
// with the typed letters, anywhere in the tree: its closed ancestors open
// and it scrolls into view. Letters typed within the keyboard input
// interval extend what is looked for; after a pause the search starts
// anew. F3 goes to the next term that starts the same way, Shift+F3 to the
// previous one. Where nothing matches, the selection stays.
class TermTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit TermTreeView(QWidget *parent = nullptr);
    ~TermTreeView() override;

    void keyboardSearch(const QString &typed) override;
    void setModel(QAbstractItemModel *model) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void findAndShow(kestrelon::TermFinder::Direction direction, bool includeCurrent);
    void goTo(kestrelon::TreeModel::Node node);
    const kestrelon::TermFinder *finder();

    std::unique_ptr<kestrelon::TermFinder> finder_;
    QString typed_;
    QElapsedTimer sinceTyped_;
    bool expandingByKey_ = false;
    // Puts a filled or grown tree in order for finding once it has been
    // painted, so that neither the first paint nor the first key typed
    // waits for it.
    QTimer orderWhenIdle_;
    bool orderStale_ = false;
};

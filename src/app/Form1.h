// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tree/TreeModel.h"

#include <QIcon>
#include <QList>
#include <QWidget>
#include <optional>

class DescriptionBox;
class QLabel;
class QPushButton;
class QShortcut;
class QTreeView;

namespace kestrelon {
class BuildReport;
class DetailsRequest;
struct FormControls;
struct NodeDetails;
class SourceLoader;
struct SelectedNode;
} // namespace kestrelon

// The program's one window: the hierarchy tree, the "Define" button, the
// description box and the level label. Creating it builds the controls;
// Form_Load connects to the data source and fills the tree. The window holds
// the controls and shows what it is given: the start-up's reading and
// "Define" run below it, and it waits for neither in a loop of its own.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Connects to "ds_hier", reads the hierarchies and fills the tree. When
    // the data source cannot be opened, does not answer in time, or its
    // lithology rows cannot be read, it tells the user and unloads the
    // window, which is then never shown. A read that takes more than a
    // second shows its progress in a small window whose Cancel unloads the
    // window too, without a message; so does closing or deleting the
    // window meanwhile. Returns once the start-up is done. It runs once: a
    // later call does nothing.
    void Form_Load();
    // True once the start-up has failed and unloaded the window.
    bool isUnloaded() const { return unloaded_; }

    void BuildStrat();
    void BuildLith6();
    // Start "Define" for the selected node: its details go to the
    // description box, and to the label a lithology term's level (or
    // nothing, for a unit or a term no row names). Each returns at once;
    // detailsShown() tells when the request has ended. The data source is
    // read on a thread of its own: meanwhile the window answers, "Define" is
    // disabled and Escape cancels the request, which then writes nothing; a
    // second request cancels the first. An error ends the request and is
    // shown in a critical box; the box and the label keep what they showed,
    // and the window goes on. With no node selected, or while the start-up
    // runs, they do nothing.
    void ListStrat();
    void ListLith6();

    // The nodes of `tv`.
    kestrelon::TreeModel &nodes() { return *model_; }

signals:
    // A "Define" has ended: the description box and the label show its
    // details, what it wrote before an error (once its box is closed), or,
    // when it was cancelled, what they showed before.
    void detailsShown();

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    class Stay;

    void createControls();
    void bindEvents();
    void placeOnScreen();
    void completeWindowIcon();

    kestrelon::BuildReport buildLithology();
    kestrelon::BuildReport buildStratigraphy();
    kestrelon::TreeModel::Node selectedNode() const;
    std::optional<kestrelon::SelectedNode> selectedForDefine() const;
    void setDefineBusy(bool busy);
    void showDetails(const kestrelon::NodeDetails &details);
    void endCancelledDefine();
    void stopReading();

    void Form_Resize();
    kestrelon::FormControls controls() const;
    void btn_define_Click();
    void tv_Expand(kestrelon::TreeModel::Node node);
    void tv_Collapse(kestrelon::TreeModel::Node node);

    // Runs one handler or public method; an error is reported in a critical
    // box and the window goes on.
    template<typename Action> void guarded(Action action);
    void unload();

    QPushButton *btn_define = nullptr;
    QTreeView *tv = nullptr;
    DescriptionBox *txtDescription = nullptr;
    QLabel *lbl_level = nullptr;
    QList<QIcon> ImageList2;
    QList<QIcon> ImageList1;

    kestrelon::TreeModel *model_ = nullptr;
    kestrelon::DetailsRequest *request_ = nullptr;
    kestrelon::SourceLoader *loader_ = nullptr; // while the start-up runs
    QShortcut *cancelDefine_ = nullptr;
    bool refocusDefine_ = false;
    bool loadStarted_ = false;
    bool unloaded_ = false;
    bool iconCompleted_ = false;
    bool expandingFromCode_ = false;
    int staying_ = 0;
    bool deleteWhenDone_ = false;
};

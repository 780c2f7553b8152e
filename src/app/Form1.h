// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SourceState.h"
#include "tree/TreeModel.h"

#include <QIcon>
#include <QList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class DescriptionBox;
class QLabel;
class QPushButton;
class QShortcut;
class QTreeView;

namespace kestrelon {
class BuildReport;
class DetailsWorker;
struct HierarchyRules;
class LoadProgress;
struct NodeDetails;
class Recordset;
struct SelectedNode;
} // namespace kestrelon

// The program's one window: the hierarchy tree, the "Define" button, the
// description box and the level label. Creating it builds the controls;
// Form_Load connects to the data source and fills the tree.
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
    // window too, without a message.
    void Form_Load();
    // True once the start-up has failed and unloaded the window.
    bool isUnloaded() const { return unloaded_; }

    void BuildStrat();
    void BuildLith6();
    // Write the selected node's details to the description box, and to the
    // label a lithology term's level (or nothing, for a unit or a term no
    // row names). With no node selected they do nothing. An error ends the
    // request and is shown in a critical box; the box and the label keep
    // what they showed, and the window goes on. An error ends a builder
    // too: the nodes added before it stay.
    //
    // The data source is read on a thread of its own: meanwhile the window
    // answers, "Define" is disabled and Escape cancels the request, which
    // then writes nothing. Each returns once the details are written.
    void ListStrat();
    void ListLith6();

    // The nodes of `tv`.
    kestrelon::TreeModel &nodes() { return *model_; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void bindEvents();
    void placeOnScreen();

    kestrelon::BuildReport buildLithology();
    kestrelon::BuildReport buildStratigraphy();
    bool offersStratigraphy();
    void openStratigraphy(QList<kestrelon::BuildReport> &reports,
                          kestrelon::LoadProgress &progress);
    kestrelon::BuildReport readAndBuild(std::shared_ptr<kestrelon::Recordset> &cursor,
                                        std::function<std::shared_ptr<kestrelon::Recordset>()> open,
                                        const kestrelon::HierarchyRules &rules,
                                        kestrelon::LoadProgress &progress);
    kestrelon::TreeModel::Node selectedNode() const;
    std::optional<kestrelon::SelectedNode> selectedForDefine() const;
    std::function<kestrelon::NodeDetails()> lithologyJob(const kestrelon::SelectedNode &term);
    std::function<kestrelon::NodeDetails()>
    stratigraphyJob(const kestrelon::SelectedNode &unit) const;
    void runDefine(std::function<kestrelon::NodeDetails()> job);
    void setDefineBusy(bool busy);
    void showDetails(const kestrelon::NodeDetails &details, bool cancelled);

    void Form_Resize();
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
    kestrelon::SourceState source_;
    // Declared after source_, so it ends, with its thread, before source_ goes.
    std::unique_ptr<kestrelon::DetailsWorker> worker_;
    QShortcut *cancelDefine_ = nullptr;
    bool refocusDefine_ = false;
    bool unloaded_ = false;
    bool expandingFromCode_ = false;
};

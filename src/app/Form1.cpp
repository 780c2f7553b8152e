// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "DescriptionBox.h"
#include "DetailsWorker.h"
#include "FormLayout.h"
#include "LoadProgress.h"
#include "MessageBoxes.h"
#include "Messages.h"
#include "Pictures.h"
#include "RowFeed.h"
#include "TermTreeView.h"
#include "Twips.h"
#include "WindowPlacement.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/Error.h"
#include "data/HierarchyRow.h"
#include "data/Recordset.h"
#include "data/Workspace.h"
#include "details/DefineRouting.h"
#include "details/LithologyDetails.h"
#include "details/StratigraphyDetails.h"
#include "tree/HierarchyBuilder.h"
#include "tree/LithologyBuilder.h"
#include "tree/StratigraphyBuilder.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTreeView>

using namespace kestrelon;

namespace {

// The one data source the program reads, and the credentials it uses.
const QString DataSourceName = QStringLiteral("ds_hier");
const QString UserName = QStringLiteral("user");
const QString Password = QStringLiteral("tamarisk");

constexpr float designedClientWidth = 6375;
constexpr float designedClientHeight = 5565;

void place(QWidget &control, const ControlRect &rect, const Twips &twips)
{
    control.setGeometry(twips.toPixels(rect.left), twips.toPixels(rect.top),
                        twips.toPixels(rect.width), twips.toPixels(rect.height));
}

ControlRect rectOf(const QWidget &control, const Twips &twips)
{
    const QRect r = control.geometry();
    return {twips.fromPixels(r.x()), twips.fromPixels(r.y()), twips.fromPixels(r.width()),
            twips.fromPixels(r.height())};
}

} // namespace

template<typename Action> void Form1::guarded(Action action)
{
    try {
        action();
    } catch (const Error &error) {
        showCritical(this, errorReportMessage(error));
    } catch (const std::exception &error) {
        showCritical(this, errorReportMessage(
                               Error(UnexpectedFailure, QString::fromLocal8Bit(error.what()))));
    }
}

Form1::Form1(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Kestrelon"));
    setWindowIcon(Pictures::globe());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    createControls();
    bindEvents();
    placeOnScreen();
}

Form1::~Form1() = default;

// Closing the window stops a running "Define"; its thread ends with the window.
void Form1::closeEvent(QCloseEvent *event)
{
    worker_->cancel();
    QWidget::closeEvent(event);
}

void Form1::createControls()
{
    btn_define = new QPushButton(QStringLiteral("Define"), this);
    btn_define->setObjectName(QStringLiteral("btn_define"));
    btn_define->setAccessibleName(QStringLiteral("Define"));
    btn_define->setAutoDefault(false);
    btn_define->setDefault(false);

    model_ = new TreeModel(this);
    tv = new TermTreeView(this);
    tv->setObjectName(QStringLiteral("tv"));
    tv->setAccessibleName(QStringLiteral("Terms"));
    tv->setHeaderHidden(true);
    tv->setUniformRowHeights(true);
    tv->setIconSize(QSize(32, 32));
    tv->setSelectionMode(QAbstractItemView::SingleSelection);
    tv->setEditTriggers(QAbstractItemView::NoEditTriggers);

    txtDescription = new DescriptionBox(this);
    txtDescription->setObjectName(QStringLiteral("txtDescription"));
    txtDescription->setAccessibleName(QStringLiteral("Definition"));
    txtDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDescription->setTabChangesFocus(true);

    lbl_level = new QLabel(this);
    lbl_level->setObjectName(QStringLiteral("lbl_level"));
    lbl_level->setAccessibleName(QStringLiteral("Level"));
    lbl_level->setTextFormat(Qt::PlainText);
    lbl_level->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ImageList2 = Pictures::imageList2();
    ImageList1 = Pictures::imageList1();
    model_->setImageList(ImageList1);
    tv->setModel(model_);

    worker_ = std::make_unique<DetailsWorker>();
    // Escape stops a running "Define"; otherwise it is left to the controls.
    cancelDefine_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancelDefine_->setEnabled(false);

    const Twips twips = Twips::of(*this);
    const FormGeometry designed = designedGeometry();
    place(*tv, designed.tv, twips);
    place(*txtDescription, designed.txtDescription, twips);
    place(*btn_define, designed.btn_define, twips);
    place(*lbl_level, designed.lbl_level, twips);
    resize(twips.toPixels(designedClientWidth), twips.toPixels(designedClientHeight));

    setTabOrder(tv, txtDescription);
    setTabOrder(txtDescription, btn_define);
    tv->setFocus();
}

void Form1::bindEvents()
{
    connect(btn_define, &QPushButton::clicked, this, [this] { btn_define_Click(); });
    connect(cancelDefine_, &QShortcut::activated, worker_.get(), &DetailsWorker::cancel);
    connect(worker_.get(), &DetailsWorker::finished, this, &Form1::showDetails);
    // A node the program opens is reported like any other. The user can
    // open or close only a node with children: the view also reports "+" on
    // a term that has none, which shows nothing and leaves its picture alone.
    connect(tv, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        const TreeModel::Node node = model_->nodeAt(index);
        if (!expandingFromCode_ && model_->childCount(node) == 0)
            return;
        model_->noteExpanded(node, true);
        tv_Expand(node);
    });
    connect(tv, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        const TreeModel::Node node = model_->nodeAt(index);
        if (!expandingFromCode_ && model_->childCount(node) == 0)
            return;
        model_->noteExpanded(node, false);
        tv_Collapse(node);
    });
    connect(model_, &TreeModel::expandedChanged, tv,
            [this](const QModelIndex &index, bool expanded) {
                const QScopedValueRollback<bool> fromCode(expandingFromCode_, true);
                tv->setExpanded(index, expanded);
            });
}

// Centred on the screen when first shown. The window's outer size, which the
// layout measures against, is known only once the window manager has framed
// it, and may change without the client area changing: the layout follows.
void Form1::placeOnScreen()
{
    const Twips twips = Twips::of(*this);
    const QSize designed(twips.toPixels(designedClientWidth), twips.toPixels(designedClientHeight));
    const auto *centring = new FramedCentring(*this, designed);
    connect(centring, &FramedCentring::outerSizeChanged, this,
            [this] { guarded([this] { Form_Resize(); }); });
}

void Form1::Form_Load()
try {
    try {
        const auto engine = Engine::instance();
        source_.SourceWorkspace = engine->createWorkspace(DataSourceName, UserName, Password);
        source_.SourceDatabase = source_.SourceWorkspace->openDatabase(DataSourceName);
    } catch (const Error &) {
        showCritical(this, connectionFailureMessage());
        unload();
        return;
    }

    // A long read shows its progress, and Cancel there ends the start-up.
    LoadProgress progress;
    QList<BuildReport> reports;
    try {
        const std::shared_ptr<Database> database = source_.SourceDatabase;
        // Both roots come first: no row of either hierarchy takes their keys.
        const bool stratigraphy = offersStratigraphy();
        addRoot(*model_, lithologyRules());
        if (stratigraphy)
            addRoot(*model_, stratigraphyRules());
        reports << readAndBuild(
            source_.LithRows, [database] { return database->openRecordset(LithRow.rowSet); },
            lithologyRules(), progress);
        if (stratigraphy)
            openStratigraphy(reports, progress);
    } catch (const Error &error) {
        if (!progress.wasCancelled())
            showCritical(this, errorReportMessage(error));
        unload();
        return;
    }
    if (unloaded_)
        return;

    const QString skipped = skippedRowsMessage(reports);
    if (!skipped.isEmpty())
        showWarning(this, skipped);
} catch (const std::exception &error) {
    // Anything else, running out of memory above all, ends the start-up as
    // a failure to read does.
    const bool outOfMemory = dynamic_cast<const std::bad_alloc *>(&error) != nullptr;
    showCritical(this, errorReportMessage(Error(
                           UnexpectedFailure, outOfMemory ? QStringLiteral("Out of memory")
                                                          : QString::fromLocal8Bit(error.what()))));
    unload();
}

// The stratigraphic hierarchy stands beside the lithology when the data
// source offers its rows. Failing to ask costs only the stratigraphy, unless
// the data source did not answer in time.
bool Form1::offersStratigraphy()
{
    try {
        return source_.SourceDatabase->hasRowSet(StratRow.rowSet);
    } catch (const Error &error) {
        if (error.number() == TimedOut || error.number() == OperationCancelled)
            throw;
        showCritical(this, errorReportMessage(error));
        return false;
    }
}

// Failing to read the stratigraphic rows does not cost the lithology. Only a
// cancelled start-up goes on to end it.
void Form1::openStratigraphy(QList<BuildReport> &reports, LoadProgress &progress)
{
    try {
        const std::shared_ptr<Database> database = source_.SourceDatabase;
        reports << readAndBuild(
            source_.StratRows,
            [database] { return database->openRecordset(StratRow.rowSet, CursorType::Rewindable); },
            stratigraphyRules(), progress);
    } catch (const Error &error) {
        if (progress.wasCancelled())
            throw;
        showCritical(this, errorReportMessage(error));
        // A data source that does not answer will not answer Define either.
        if (error.number() == TimedOut)
            unload();
    }
}

// Reads a row set on a thread of its own while this one places its rows under
// the root already in the tree; `cursor` holds the cursor once it is open.
BuildReport Form1::readAndBuild(std::shared_ptr<Recordset> &cursor, RowFeed::Open open,
                                const HierarchyRules &rules, LoadProgress &progress)
{
    RowFeed feed(source_.SourceDatabase, std::move(open), *rules.layout, rules.rewinds, progress);
    feed.waitUntilOpen();
    cursor = feed.cursor();
    return placeRows(feed, *model_, rules);
}

void Form1::unload()
{
    unloaded_ = true;
    close();
}

BuildReport Form1::buildLithology()
{
    if (!source_.LithRows)
        throw Error(NoCurrentRow, QStringLiteral("The lithology rows are not open"));
    return kestrelon::buildLithology(*source_.LithRows, *model_);
}

BuildReport Form1::buildStratigraphy()
{
    if (!source_.StratRows)
        throw Error(CannotRewind, QStringLiteral("The stratigraphic rows are not open"));
    return kestrelon::buildStratigraphy(*source_.StratRows, *model_);
}

void Form1::BuildLith6()
{
    guarded([this] {
        worker_->waitUntilIdle();
        const QString skipped = skippedRowsMessage({buildLithology()});
        if (!skipped.isEmpty())
            showWarning(this, skipped);
    });
}

void Form1::BuildStrat()
{
    guarded([this] {
        worker_->waitUntilIdle();
        const QString skipped = skippedRowsMessage({buildStratigraphy()});
        if (!skipped.isEmpty())
            showWarning(this, skipped);
    });
}

void Form1::ListLith6()
{
    guarded([this] {
        worker_->waitUntilIdle();
        if (const std::optional<SelectedNode> term = selectedForDefine())
            runDefine(lithologyJob(*term));
    });
}

void Form1::ListStrat()
{
    guarded([this] {
        worker_->waitUntilIdle();
        if (const std::optional<SelectedNode> unit = selectedForDefine())
            runDefine(stratigraphyJob(*unit));
    });
}

// The node's text and tag are taken here, on the window's thread; the
// request's thread reads only the data source.
std::optional<SelectedNode> Form1::selectedForDefine() const
{
    const TreeModel::Node node = selectedNode();
    if (node == TreeModel::NoNode)
        return std::nullopt;
    return SelectedNode{FieldValue::text(model_->text(node)), model_->tag(node)};
}

// The request reads through the window's cursors, which nothing else uses
// while it runs.
DetailsWorker::Job Form1::lithologyJob(const SelectedNode &term)
{
    return [database = source_.SourceDatabase, &rows = source_.LithRows, term] {
        if (!database)
            throw Error(OdbcCallFailed, QStringLiteral("The data source is not open"));
        return lithologyDetails(*database, rows, term);
    };
}

DetailsWorker::Job Form1::stratigraphyJob(const SelectedNode &unit) const
{
    return [rows = source_.StratRows, unit] { return stratigraphyDetails(rows.get(), unit); };
}

void Form1::runDefine(DetailsWorker::Job job)
{
    setDefineBusy(true);
    worker_->start(source_.SourceDatabase, std::move(job));
    worker_->waitUntilIdle();
}

void Form1::setDefineBusy(bool busy)
{
    if (busy) {
        refocusDefine_ = btn_define->hasFocus();
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
    btn_define->setEnabled(!busy);
    cancelDefine_->setEnabled(busy);
    // Disabling the focused button moves the focus on; it comes back.
    if (!busy && refocusDefine_)
        btn_define->setFocus();
}

// The details are written once, whole; a cancelled request writes nothing.
void Form1::showDetails(const NodeDetails &details, bool cancelled)
{
    setDefineBusy(false);
    if (cancelled)
        return;
    if (details.description)
        txtDescription->setText(*details.description);
    if (details.levelCaption)
        lbl_level->setText(*details.levelCaption);
    if (details.error)
        showCritical(this, errorReportMessage(*details.error));
}

TreeModel::Node Form1::selectedNode() const
{
    const QModelIndexList selected = tv->selectionModel()->selectedRows();
    return selected.isEmpty() ? TreeModel::NoNode : model_->nodeAt(selected.first());
}

// "Define" with nothing selected does nothing.
void Form1::btn_define_Click()
{
    guarded([this] {
        const TreeModel::Node node = selectedNode();
        if (node == TreeModel::NoNode)
            return;
        if (isLithologyPath(model_->fullPath(node)))
            ListLith6();
        else
            ListStrat();
    });
}

void Form1::tv_Expand(TreeModel::Node node)
{
    guarded([&] { model_->setImage(node, 2); });
}

void Form1::tv_Collapse(TreeModel::Node node)
{
    guarded([&] { model_->setImage(node, 1); });
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    guarded([this] { Form_Resize(); });
}

void Form1::Form_Resize()
{
    if (isMinimized())
        return;
    const Twips twips = Twips::of(*this);
    FormGeometry current;
    current.tv = rectOf(*tv, twips);
    current.txtDescription = rectOf(*txtDescription, twips);
    current.btn_define = rectOf(*btn_define, twips);
    current.lbl_level = rectOf(*lbl_level, twips);

    const QSize outer = outerSize(*this);
    // A written value reads back as the control holds it: whole pixels.
    const auto store = [&twips](float value) { return twips.fromPixels(twips.toPixels(value)); };
    const FormGeometry next = layoutForm(twips.fromPixels(outer.width()),
                                         twips.fromPixels(outer.height()), current, store);
    place(*tv, next.tv, twips);
    place(*txtDescription, next.txtDescription, twips);
    place(*btn_define, next.btn_define, twips);
    place(*lbl_level, next.lbl_level, twips);
}

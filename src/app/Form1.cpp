#include "Form1.h"

#include "DescriptionBox.h"
#include "FormDetailsOutput.h"
#include "FormLayout.h"
#include "MessageBoxes.h"
#include "Messages.h"
#include "Pictures.h"
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
#include "tree/LithologyBuilder.h"
#include "tree/StratigraphyBuilder.h"

#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopedValueRollback>
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

void Form1::createControls()
{
    btn_define = new QPushButton(QStringLiteral("Define"), this);
    btn_define->setObjectName(QStringLiteral("btn_define"));
    btn_define->setAccessibleName(QStringLiteral("Define"));
    btn_define->setAutoDefault(false);
    btn_define->setDefault(false);

    model_ = new TreeModel(this);
    tv = new QTreeView(this);
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

    details_ = std::make_unique<FormDetailsOutput>(*txtDescription, *lbl_level);

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
{
    try {
        const auto engine = Engine::instance();
        source_.SourceWorkspace = engine->createWorkspace(DataSourceName, UserName, Password);
        source_.SourceDatabase = source_.SourceWorkspace->openDatabase(DataSourceName);
    } catch (const Error &) {
        showCritical(this, connectionFailureMessage());
        unload();
        return;
    }

    QList<BuildReport> reports;
    try {
        source_.LithRows = source_.SourceDatabase->openRecordset(LithRow.rowSet);
        reports << buildLithology();
    } catch (const Error &error) {
        showCritical(this, errorReportMessage(error));
        unload();
        return;
    }
    openStratigraphy(reports);

    const QString skipped = skippedRowsMessage(reports);
    if (!skipped.isEmpty())
        showWarning(this, skipped);
}

// The stratigraphic hierarchy stands beside the lithology when the data
// source offers its rows; failing to read them does not cost the lithology.
void Form1::openStratigraphy(QList<BuildReport> &reports)
{
    try {
        if (!source_.SourceDatabase->hasRowSet(StratRow.rowSet))
            return;
        source_.StratRows =
            source_.SourceDatabase->openRecordset(StratRow.rowSet, CursorType::Rewindable);
        reports << buildStratigraphy();
    } catch (const Error &error) {
        showCritical(this, errorReportMessage(error));
    }
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
        const QString skipped = skippedRowsMessage({buildLithology()});
        if (!skipped.isEmpty())
            showWarning(this, skipped);
    });
}

void Form1::BuildStrat()
{
    guarded([this] {
        const QString skipped = skippedRowsMessage({buildStratigraphy()});
        if (!skipped.isEmpty())
            showWarning(this, skipped);
    });
}

void Form1::ListLith6()
{
    guarded([this] {
        const TreeModel::Node node = selectedNode();
        if (node != TreeModel::NoNode)
            listLithology(source_, *model_, node, *details_);
    });
}

void Form1::ListStrat()
{
    guarded([this] {
        const TreeModel::Node node = selectedNode();
        if (node != TreeModel::NoNode)
            listStratigraphy(source_, *model_, node, *details_);
    });
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

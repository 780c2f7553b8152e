// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "ControlPlacement.h"
#include "DescriptionBox.h"
#include "FormLayout.h"
#include "LevelLabel.h"
#include "MessageBoxes.h"
#include "Messages.h"
#include "Pictures.h"
#include "SourceLoader.h"
#include "TermTreeView.h"
#include "TextRoom.h"
#include "Twips.h"
#include "WindowPlacement.h"

#include "data/Error.h"
#include "details/DefineRouting.h"
#include "details/DetailsRequest.h"
#include "tree/LithologyBuilder.h"
#include "tree/StratigraphyBuilder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>

using namespace kestrelon;

namespace {

constexpr float designedClientWidth = 6375;
constexpr float designedClientHeight = 5565;

} // namespace

// Keeps the window for as long as code waits for events on its behalf (the
// start-up's reading, a message box): deleted from one of those events, the
// window would vanish from under that code. The deletion comes once it is
// done.
class Form1::Stay
{
public:
    explicit Stay(Form1 &form) : form_(form) { ++form_.staying_; }
    ~Stay()
    {
        if (--form_.staying_ == 0 && form_.deleteWhenDone_)
            QCoreApplication::postEvent(&form_, new QDeferredDeleteEvent());
    }
    Stay(const Stay &) = delete;
    Stay &operator=(const Stay &) = delete;

private:
    Form1 &form_;
};

template<typename Action> void Form1::guarded(Action action)
{
    const Stay stay(*this);
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
    // The application's globe where the program has given it one: the
    // window system decodes its pictures for the window once, not twice.
    const QIcon applicationIcon = QApplication::windowIcon();
    setWindowIcon(applicationIcon.isNull() ? Pictures::globeForTitleBar() : applicationIcon);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    createControls();
    bindEvents();
    placeOnScreen();
}

Form1::~Form1() = default;

// Closing the window stops a running "Define", and the start-up's reading.
void Form1::closeEvent(QCloseEvent *event)
{
    stopReading();
    QWidget::closeEvent(event);
}

bool Form1::event(QEvent *event)
{
    if (!iconCompleted_ &&
        (event->type() == QEvent::Paint || (event->type() == QEvent::Show && isMinimized())))
        completeWindowIcon();
    if (event->type() == QEvent::DeferredDelete && staying_ > 0) {
        deleteWhenDone_ = true;
        stopReading();
        return true;
    }
    return QWidget::event(event);
}

// The window first shows with the globe's title-bar sizes, as do the
// program's other windows until then: the window system takes the
// application's icon when it creates a window. The large sizes follow the
// window's first paint (or a start minimised), so that decoding them and
// handing them to the window manager does not hold up the window.
void Form1::completeWindowIcon()
{
    iconCompleted_ = true;
    QTimer::singleShot(0, this, [this] {
        const QIcon globe = Pictures::globe(); // one set of pictures for both
        QApplication::setWindowIcon(globe);
        setWindowIcon(globe);
    });
}

void Form1::stopReading()
{
    request_->cancel();
    if (loader_)
        loader_->cancel();
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

    lbl_level = new LevelLabel(this);
    lbl_level->setObjectName(QStringLiteral("lbl_level"));
    lbl_level->setTextFormat(Qt::PlainText);
    lbl_level->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ImageList2 = Pictures::imageList2();
    ImageList1 = Pictures::imageList1();
    model_->setImageList(ImageList1);
    tv->setModel(model_);

    request_ = new DetailsRequest(this);
    // Escape stops a running "Define"; otherwise it is left to the controls.
    cancelDefine_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancelDefine_->setEnabled(false);

    const Twips twips = Twips::of(*this);
    place(controls(), designedGeometry(), twips);
    resize(twips.toPixels(designedClientWidth), twips.toPixels(designedClientHeight));

    setTabOrder(tv, txtDescription);
    setTabOrder(txtDescription, btn_define);
    tv->setFocus();
}

void Form1::bindEvents()
{
    connect(btn_define, &QPushButton::clicked, this, [this] { btn_define_Click(); });
    connect(cancelDefine_, &QShortcut::activated, request_, &DetailsRequest::cancel);
    connect(qApp, &QCoreApplication::aboutToQuit, request_, &DetailsRequest::cancel);
    connect(request_, &DetailsRequest::finished, this, &Form1::showDetails);
    connect(request_, &DetailsRequest::cancelled, this, &Form1::endCancelledDefine);
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
    connect(new TextRoomWatcher(*this), &TextRoomWatcher::changed, this,
            [this] { guarded([this] { Form_Resize(); }); });
}

void Form1::Form_Load()
{
    if (loadStarted_)
        return;
    loadStarted_ = true;
    const Stay stay(*this);
    SourceLoader loader(*model_);
    loader_ = &loader;
    LoadResult result = loader.load();
    loader_ = nullptr;

    switch (result.ending) {
    case LoadResult::Ending::Loaded:
        break;
    case LoadResult::Ending::NoConnection:
        showCritical(this, connectionFailureMessage());
        unload();
        return;
    case LoadResult::Ending::Failed:
        showCritical(this, errorReportMessage(*result.failure));
        unload();
        return;
    case LoadResult::Ending::Cancelled:
        unload();
        return;
    }
    request_->setSource(std::move(result.source));
    if (result.stratigraphyFailure)
        showCritical(this, errorReportMessage(*result.stratigraphyFailure));
    const QString skipped = skippedRowsMessage(result.reports);
    if (!skipped.isEmpty())
        showWarning(this, skipped);
}

void Form1::unload()
{
    unloaded_ = true;
    close();
}

// The builders read the cursors the start-up left, which "Define" reads
// too: not while it runs.
BuildReport Form1::buildLithology()
{
    const SourceState &source = request_->idleSource();
    if (!source.LithRows)
        throw Error(NoCurrentRow, QStringLiteral("The lithology rows are not open"));
    return kestrelon::buildLithology(*source.LithRows, *model_);
}

BuildReport Form1::buildStratigraphy()
{
    const SourceState &source = request_->idleSource();
    if (!source.StratRows)
        throw Error(CannotRewind, QStringLiteral("The stratigraphic rows are not open"));
    return kestrelon::buildStratigraphy(*source.StratRows, *model_);
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
        if (const std::optional<SelectedNode> term = selectedForDefine()) {
            request_->startLithology(*term);
            setDefineBusy(true);
        }
    });
}

void Form1::ListStrat()
{
    guarded([this] {
        if (const std::optional<SelectedNode> unit = selectedForDefine()) {
            request_->startStratigraphy(*unit);
            setDefineBusy(true);
        }
    });
}

// The node's text and tag are taken here, on the window's thread; the
// request's thread reads only the data source.
std::optional<SelectedNode> Form1::selectedForDefine() const
{
    const TreeModel::Node node = selectedNode();
    if (node == TreeModel::NoNode || loader_)
        return std::nullopt;
    return SelectedNode{FieldValue::text(model_->text(node)), model_->tag(node)};
}

// While "Define" runs, its button is disabled. Focus that was on the button
// waits on the window itself meanwhile, where keys press nothing, and goes
// back to the button at the end, unless the user has put it elsewhere.
void Form1::setDefineBusy(bool busy)
{
    if (busy && !cancelDefine_->isEnabled()) {
        refocusDefine_ = btn_define->hasFocus();
        if (refocusDefine_)
            setFocus(Qt::OtherFocusReason);
    }
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    btn_define->setEnabled(!busy);
    cancelDefine_->setEnabled(busy);
    if (!busy && refocusDefine_ && focusWidget() == this)
        btn_define->setFocus(Qt::OtherFocusReason);
}

// The details are written once, whole.
void Form1::showDetails(const NodeDetails &details)
{
    const Stay stay(*this);
    setDefineBusy(false);
    if (details.description)
        txtDescription->setText(*details.description);
    if (details.levelCaption)
        lbl_level->setText(*details.levelCaption);
    if (details.error)
        showCritical(this, errorReportMessage(*details.error));
    emit detailsShown();
}

// A cancelled request writes nothing.
void Form1::endCancelledDefine()
{
    setDefineBusy(false);
    emit detailsShown();
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
    const FormGeometry current =
        withRoomForText(geometryOf(controls(), twips), textRoomOf(*btn_define, *lbl_level, twips));
    const QSize outer = outerSize(*this);
    // A written value reads back as the control holds it: whole pixels.
    const auto store = [&twips](float value) { return twips.fromPixels(twips.toPixels(value)); };
    const FormGeometry next = layoutForm(twips.fromPixels(outer.width()),
                                         twips.fromPixels(outer.height()), current, store);
    place(controls(), next, twips);
}

FormControls Form1::controls() const
{
    return {tv, txtDescription, btn_define, lbl_level};
}

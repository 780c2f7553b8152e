// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Pictures.h"
#include "app/Twips.h"

#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/SqliteFile.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace kestrelon;
using namespace testsupport;

namespace {

// Igneous > Granite > Pink granite, and Sedimentary, a leaf.
QStringList smallHierarchy()
{
    const QVariant null;
    return sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(),
                          {{"Igneous", null, 1, 1, null, null, "from melt"},
                           {"Granite", "Igneous", 2, 2, 1, 1, "coarse"},
                           {"Pink granite", "Granite", 3, 3, 2, 2, "pink"},
                           {"Sedimentary", null, 1, 4, null, null, "layers"}});
}

// The window as a user meets it: loaded from the database, shown, active.
struct ShownForm
{
    ShownForm()
    {
        form.Form_Load();
        form.show();
        form.activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(&form); }

    BoxCatcher boxes;
    Form1 form;
    FormProbe probe{form};
};

// Where a control's caption is drawn: the pixels that differ from the same
// control drawn without it.
QRect captionInk(QWidget *control, const std::function<void(const QString &)> &setCaption,
                 const QString &caption)
{
    const QImage with = control->grab().toImage();
    setCaption(QString());
    const QImage without = control->grab().toImage();
    setCaption(caption);
    QRect ink;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// The caption's ink as wide and as high as the same text drawn with room to
// spare, and at least `clearance` pixels from each edge of the control.
bool captionDrawnWhole(QWidget *control, int clearance)
{
    QString caption;
    std::function<void(const QString &)> setCaption;
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        caption = button->text();
        setCaption = [button](const QString &text) { button->setText(text); };
    } else {
        auto *label = qobject_cast<QLabel *>(control);
        caption = label->text();
        setCaption = [label](const QString &text) { label->setText(text); };
    }
    const QRect ink = captionInk(control, setCaption, caption);

    QImage free(control->fontMetrics().boundingRect(caption).size() + QSize(40, 40),
                QImage::Format_ARGB32);
    free.fill(Qt::white);
    {
        QPainter painter(&free);
        painter.setFont(control->font());
        painter.setPen(Qt::black);
        painter.drawText(20, 20 + control->fontMetrics().ascent(), caption);
    }
    QRect freeInk;
    for (int y = 0; y < free.height(); ++y)
        for (int x = 0; x < free.width(); ++x)
            if (free.pixel(x, y) != qRgb(255, 255, 255))
                freeInk |= QRect(x, y, 1, 1);

    const QRect inside = control->rect().marginsRemoved(
        QMargins(clearance, clearance / 2, clearance, clearance / 2));
    const bool whole = std::abs(ink.width() - freeInk.width()) <= 1 &&
                       std::abs(ink.height() - freeInk.height()) <= 1;
    if (!whole || !inside.contains(ink))
        qWarning() << control->objectName() << "caption" << caption << "drawn at" << ink << "in"
                   << control->rect() << "; whole it is" << freeInk.size();
    return whole && inside.contains(ink);
}

} // namespace

// The main window: its controls and settings, the keyboard, the folder
// pictures and the layout, on a real window over a real SQLite file.
class WindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useOdbcIni(sqliteDataSource(sqliteFile()));
        sqlite::create(sqliteFile(), smallHierarchy());
        // The geometry below is in pixels of 15 twips.
        const QWidget any;
        QCOMPARE(Twips::of(any).perPixel(), 15.0);
    }

    void controlsAtCreation()
    {
        Form1 form;
        const FormProbe probe(form);

        QCOMPARE(form.windowTitle(), QStringLiteral("Kestrelon"));
        // At least the globe's title-bar sizes; the large ones may follow the
        // first paint.
        const QList<QSize> iconSizes = form.windowIcon().availableSizes();
        for (const int size : {16, 22, 24, 32, 48})
            QVERIFY2(iconSizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
        const Qt::WindowFlags frame = Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                      Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
        QCOMPARE(form.windowFlags() & frame, frame);
        QCOMPARE(form.size(), QSize(425, 371));

        QStringList created;
        for (const QObject *child : form.children())
            if (child->isWidgetType())
                created << child->objectName();
        QCOMPARE(created, (QStringList{"btn_define", "tv", "txtDescription", "lbl_level"}));

        // 120, 0, 6135 x 4335 twips; 1080, 4440, 5175 x 1095; 120, 4440, 855 x 375;
        // 120, 5040, 855 x 375.
        QCOMPARE(probe.tv->geometry(), QRect(8, 0, 409, 289));
        QCOMPARE(probe.txtDescription->geometry(), QRect(72, 296, 345, 73));
        QCOMPARE(probe.btn_define->geometry(), QRect(8, 296, 57, 25));
        QCOMPARE(probe.lbl_level->geometry(), QRect(8, 336, 57, 25));

        QCOMPARE(probe.btn_define->text(), QStringLiteral("Define"));
        QVERIFY(!probe.btn_define->isDefault());
        QVERIFY(!probe.btn_define->autoDefault());
        QVERIFY(!probe.txtDescription->isReadOnly());
        QCOMPARE(probe.txtDescription->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(probe.txtDescription->tabChangesFocus());
        QVERIFY(probe.txtDescription->toPlainText().isEmpty());
        QVERIFY(probe.lbl_level->text().isEmpty());
        QCOMPARE(probe.lbl_level->focusPolicy(), Qt::NoFocus);
        QCOMPARE(probe.tv->iconSize(), QSize(32, 32));
        const QList<QWidget *> controls{probe.tv, probe.txtDescription, probe.btn_define,
                                        probe.lbl_level};
        // What a screen reader hears of each control; the label is named
        // by its caption once it has one.
        for (QWidget *control : controls) {
            const QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(),
                     qPrintable(control->objectName()));
            QVERIFY(control->isEnabled());
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(probe.lbl_level)->text(QAccessible::Name),
                 QStringLiteral("Level"));
    }

    // Once it has painted, the window, and the program's other windows with
    // it, carry the globe at every size a desktop shows.
    void iconAtEverySizeOncePainted()
    {
        ShownForm shown;
        QVERIFY(shown.ready());
        const QList<std::function<QIcon()>> icons{[&shown] { return shown.form.windowIcon(); },
                                                  [] { return QApplication::windowIcon(); }};
        for (const auto &icon : icons) {
            QTRY_VERIFY(icon().availableSizes().contains(QSize(256, 256)));
            const QList<QSize> sizes = icon().availableSizes();
            for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
                QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
                QCOMPARE(icon().pixmap(QSize(size, size), 1.0).size(), QSize(size, size));
            }
        }
    }

    void shownCentredWithFocusInTheTree()
    {
        ShownForm shown;
        QVERIFY(shown.ready());
        QVERIFY(shown.probe.tv->hasFocus());
        const QRect screen = shown.form.screen()->availableGeometry();
        const QPoint offset = shown.form.frameGeometry().center() - screen.center();
        QVERIFY2(offset.manhattanLength() <= 1,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    void tabGoesTreeTextButton()
    {
        ShownForm shown;
        QVERIFY(shown.ready());
        const FormProbe &probe = shown.probe;
        const QList<QWidget *> expected{probe.txtDescription, probe.btn_define, probe.tv,
                                        probe.txtDescription};
        for (QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), probe.tv);
        QVERIFY(probe.txtDescription->toPlainText().isEmpty());
    }

    void enterAndEscapeNeverPressDefine_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        for (const char *control : {"tv", "txtDescription", "btn_define"}) {
            for (const auto &[name, key] :
                 {std::pair{"Return", Qt::Key_Return}, std::pair{"Enter", Qt::Key_Enter},
                  std::pair{"Escape", Qt::Key_Escape}})
                QTest::addRow("%s %s", name, control) << control << int(key);
        }
    }
    void enterAndEscapeNeverPressDefine()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        ShownForm shown;
        QVERIFY(shown.ready());
        shown.probe.select(QStringLiteral("Igneous1"));
        QSignalSpy pressed(shown.probe.btn_define, &QPushButton::clicked);
        QWidget *target = shown.form.findChild<QWidget *>(control);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(pressed.count(), 0);
        QVERIFY(shown.probe.lbl_level->text().isEmpty());
        QVERIFY(shown.form.isVisible());
    }

    // Image 1 is the closed folder, 2 the open one, 3 the hand, which no
    // node ever shows.
    void folderPicturesFollowTheNodes()
    {
        ShownForm shown;
        QVERIFY(shown.ready());
        const FormProbe &probe = shown.probe;
        TreeModel &tree = *probe.tree;
        const auto image = [&tree](const char *key) { return tree.image(tree.item(key)); };
        const auto press = [&](const char *key, Qt::Key keyPressed) {
            probe.select(QString::fromLatin1(key));
            QTest::keyClick(probe.tv, keyPressed);
        };
        const auto expanded = [&](const char *key) {
            return probe.tv->isExpanded(tree.indexOf(tree.item(key)));
        };

        QCOMPARE(image("lith6"), 2);
        QCOMPARE(image("Igneous1"), 1);
        probe.select(QStringLiteral("Igneous1"));
        QCOMPARE(image("Igneous1"), 1);

        press("Igneous1", Qt::Key_Right);
        QVERIFY(expanded("Igneous1"));
        QCOMPARE(image("Igneous1"), 2);
        press("Granite2", Qt::Key_Right);
        QCOMPARE(image("Granite2"), 2);
        // A term without narrower terms has nothing to open.
        press("Pink granite3", Qt::Key_Right);
        QCOMPARE(image("Pink granite3"), 1);
        press("Pink granite3", Qt::Key_Plus);
        QCOMPARE(image("Pink granite3"), 1);

        // Collapsing a parent leaves its children's pictures as they were.
        press("Igneous1", Qt::Key_Left);
        QVERIFY(!expanded("Igneous1"));
        QCOMPARE(image("Igneous1"), 1);
        QCOMPARE(image("Granite2"), 2);
        press("Igneous1", Qt::Key_Left);
        QCOMPARE(image("Igneous1"), 1);

        press("lith6", Qt::Key_Left);
        QCOMPARE(image("lith6"), 1);
        QCOMPARE(image("Igneous1"), 1);
        QCOMPARE(image("Granite2"), 2);

        // "*" opens a whole branch at once; each node in it shows the open folder.
        press("lith6", Qt::Key_Asterisk);
        QVERIFY(expanded("Granite2"));
        QCOMPARE(image("lith6"), 2);
        QCOMPARE(image("Igneous1"), 2);
        QCOMPARE(image("Granite2"), 2);
        QCOMPARE(image("Pink granite3"), 1);
        QCOMPARE(image("Sedimentary4"), 1);

        for (TreeModel::Node node = 0; node < tree.nodeCount(); ++node)
            QVERIFY(tree.image(node) == 1 || tree.image(node) == 2);
    }

    // The keys the manual page lists for the tree, on Igneous (open or
    // closed first): whether it is open afterwards, and what the clipboard
    // holds.
    void keysInTheTree_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("openFirst");
        QTest::addColumn<bool>("openAfter");
        QTest::addColumn<QString>("copied");
        const int none = Qt::NoModifier;
        QTest::newRow("+ opens") << int(Qt::Key_Plus) << none << false << true << QString();
        QTest::newRow("- closes") << int(Qt::Key_Minus) << none << true << false << QString();
        QTest::newRow("* opens") << int(Qt::Key_Asterisk) << none << false << true << QString();
        QTest::newRow("Right opens") << int(Qt::Key_Right) << none << false << true << QString();
        QTest::newRow("Left closes") << int(Qt::Key_Left) << none << true << false << QString();
        QTest::newRow("Ctrl+C copies the name")
            << int(Qt::Key_C) << int(Qt::ControlModifier) << false << false << "Igneous";
    }
    void keysInTheTree()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, openFirst);
        ShownForm shown;
        QVERIFY(shown.ready());
        const FormProbe &probe = shown.probe;
        const QModelIndex igneous = probe.tree->indexOf(probe.tree->item("Igneous1"));
        probe.tv->setExpanded(igneous, openFirst);
        probe.select(QStringLiteral("Igneous1"));
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(probe.tv, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTEST(probe.tv->isExpanded(igneous), "openAfter");
        QTEST(QGuiApplication::clipboard()->text(), "copied");
        QCOMPARE(probe.tree->image(probe.tree->item("Igneous1")),
                 probe.tv->isExpanded(igneous) ? 2 : 1);
    }

    // The program opens the root before it has children; the view reports
    // that too, so even an empty hierarchy shows its root open.
    void emptyRootIsOpenFromTheStart()
    {
        sqlite::create(sqliteFile(),
                       sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(), {}));
        auto restore = qScopeGuard([] { sqlite::create(sqliteFile(), smallHierarchy()); });
        ShownForm shown;
        QVERIFY(shown.ready());
        const TreeModel &tree = *shown.probe.tree;
        const auto root = tree.item("lith6");
        QVERIFY(shown.probe.tv->isExpanded(tree.indexOf(root)));
        QCOMPARE(tree.image(root), 2);
    }

    // A selected row shows the picture in its own colours, and every node
    // with the same image shares one icon.
    void treePictures()
    {
        ShownForm shown;
        QVERIFY(shown.ready());
        TreeModel &tree = *shown.probe.tree;
        const QModelIndex igneous = tree.indexOf(tree.item("Igneous1"));
        const QModelIndex sedimentary = tree.indexOf(tree.item("Sedimentary4"));
        const QIcon icon = igneous.data(Qt::DecorationRole).value<QIcon>();
        QCOMPARE(sedimentary.data(Qt::DecorationRole).value<QIcon>().cacheKey(), icon.cacheKey());
        QCOMPARE(icon.pixmap(32, QIcon::Selected).toImage(),
                 icon.pixmap(32, QIcon::Normal).toImage());
        QVERIFY(shown.probe.tv->visualRect(igneous).height() >= 32);
    }

    // Each picture reads at its size, in at most 16 colours, and is
    // transparent outside its shape.
    void picturesAtTheirSizes_data()
    {
        QTest::addColumn<QIcon>("icon");
        QTest::addColumn<QSize>("size");
        QTest::newRow("globe 32") << Pictures::globe() << QSize(32, 32);
        QTest::newRow("globe 16") << Pictures::globe() << QSize(16, 16);
        const QStringList names{"closed folder", "open folder", "hand"};
        for (int i = 0; i < 3; ++i) {
            QTest::addRow("%s 32", qPrintable(names[i]))
                << Pictures::imageList1().at(i) << QSize(32, 32);
            QTest::addRow("%s 20", qPrintable(names[i]))
                << Pictures::imageList2().at(i) << QSize(20, 20);
        }
    }
    void picturesAtTheirSizes()
    {
        QFETCH(QIcon, icon);
        QFETCH(QSize, size);
        QVERIFY(icon.availableSizes().contains(size));
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), size);
        QSet<QRgb> colours;
        int transparent = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 0)
                    ++transparent;
                else
                    colours.insert(pixel);
            }
        }
        QVERIFY2(colours.size() <= 16, qPrintable(QString::number(colours.size())));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QVERIFY(transparent > 0 && !colours.isEmpty());
    }

    // Against the window's outer size, frame included. Each value is stored
    // in whole pixels and read back as stored.
    void layoutFollowsTheWindow_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QRect>("tree");
        QTest::addColumn<QRect>("box");
        QTest::addColumn<QRect>("button");
        QTest::addColumn<QRect>("label");
        QTest::newRow("425 x 371")
            << QSize(425, 371) << QRect(8, 0, 405, 264) << QRect(72, 271, 341, 73)
            << QRect(8, 271, 57, 25) << QRect(8, 309, 57, 25);
        QTest::newRow("larger") << QSize(600, 500) << QRect(8, 0, 580, 393)
                                << QRect(72, 400, 516, 73) << QRect(8, 400, 57, 25)
                                << QRect(8, 438, 57, 25);
        QTest::newRow("box width 0")
            << QSize(84, 300) << QRect(8, 0, 64, 193) << QRect(72, 200, 0, 73)
            << QRect(8, 200, 57, 25) << QRect(8, 238, 57, 25);
        QTest::newRow("tiny") << QSize(10, 10) << QRect(8, 0, 0, 0) << QRect(72, -90, 0, 73)
                              << QRect(8, -90, 57, 25) << QRect(8, -52, 57, 25);
    }
    void layoutFollowsTheWindow()
    {
        QFETCH(QSize, outer);
        ShownForm shown;
        QVERIFY(shown.ready());
        const FormProbe &probe = shown.probe;
        const QSize frame = shown.form.frameGeometry().size() - shown.form.size();
        shown.form.resize(outer - frame);
        QTRY_COMPARE(shown.form.frameGeometry().size(), outer);

        QTEST(probe.tv->geometry(), "tree");
        QTEST(probe.txtDescription->geometry(), "box");
        QTEST(probe.btn_define->geometry(), "button");
        QTEST(probe.lbl_level->geometry(), "label");
        QVERIFY(shown.boxes.boxes().isEmpty());
    }

    // Typing finds a term anywhere in the tree. Steps are typed text, or
    // "<pause>", "<F3>" and "<Shift+F3>"; then the selected node's full
    // path, and every node below the root that is open, each showing the
    // open folder. Igneous > Granite > Grano-diorite, Igneous > Gabbro;
    // Sedimentary > Sandstone > Greywacke, Sedimentary > Shale, Grey shale.
    void typingFindsTerms_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("opened");
        const QString igneous = QStringLiteral("Lithology Version 6\\Igneous");
        const QString sedimentary = QStringLiteral("Lithology Version 6\\Sedimentary");
        QTest::newRow("in a closed branch")
            << QStringList{"gran"} << igneous + "\\Granite" << QStringList{"Igneous1"};
        QTest::newRow("case ignored, two levels down")
            << QStringList{"GRANO-"} << igneous + "\\Granite\\Grano-diorite"
            << QStringList{"Igneous1", "Granite2"};
        QTest::newRow("letters within the pause extend the prefix")
            << QStringList{"sa"} << sedimentary + "\\Sandstone" << QStringList{"Sedimentary5"};
        QTest::newRow("after a pause the search starts anew")
            << QStringList{"gab", "<pause>", "sh"} << sedimentary + "\\Shale"
            << QStringList{"Igneous1", "Sedimentary5"};
        QTest::newRow("the same prefix after a pause looks further")
            << QStringList{"gr", "<pause>", "gr"} << igneous + "\\Granite\\Grano-diorite"
            << QStringList{"Igneous1", "Granite2"};
        QTest::newRow("no match leaves the selection")
            << QStringList{"sed", "<pause>", "zz"} << sedimentary << QStringList{};
        QTest::newRow("no match, nothing selected")
            << QStringList{"q"} << QString() << QStringList{};
        QTest::newRow("F3 goes to the next")
            << QStringList{"g", "<F3>", "<F3>"} << igneous + "\\Gabbro"
            << QStringList{"Igneous1", "Granite2"};
        QTest::newRow("F3 wraps around")
            << QStringList{"g", "<F3>", "<F3>", "<F3>", "<F3>", "<F3>"} << igneous + "\\Granite"
            << QStringList{"Igneous1", "Granite2", "Sedimentary5", "Sandstone6"};
        QTest::newRow("Shift+F3 goes back, wrapping around")
            << QStringList{"g", "<Shift+F3>", "<Shift+F3>"}
            << sedimentary + "\\Sandstone\\Greywacke"
            << QStringList{"Igneous1", "Sedimentary5", "Sandstone6"};
        QTest::newRow("a space in the prefix")
            << QStringList{"grey s"} << sedimentary + "\\Grey shale"
            << QStringList{"Igneous1", "Sedimentary5", "Sandstone6"};
        QTest::newRow("the root itself")
            << QStringList{"lith"} << "Lithology Version 6" << QStringList{};
    }
    void typingFindsTerms()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, selected);
        QFETCH(QStringList, opened);
        const QVariant null;
        sqlite::create(sqliteFile(),
                       sqlite::rowSet("QryLithParent", sqlite::lithologyColumns(),
                                      {{"Igneous", null, 1, 1, null, null, ""},
                                       {"Granite", "Igneous", 2, 2, 1, 1, ""},
                                       {"Grano-diorite", "Granite", 3, 3, 2, 2, ""},
                                       {"Gabbro", "Igneous", 2, 4, 1, 1, ""},
                                       {"Sedimentary", null, 1, 5, null, null, ""},
                                       {"Sandstone", "Sedimentary", 2, 6, 5, 1, ""},
                                       {"Greywacke", "Sandstone", 3, 7, 6, 2, ""},
                                       {"Shale", "Sedimentary", 2, 8, 5, 1, ""},
                                       {"Grey shale", "Sedimentary", 2, 9, 5, 1, ""}}));
        auto restore = qScopeGuard([] { sqlite::create(sqliteFile(), smallHierarchy()); });
        ShownForm shown;
        QVERIFY(shown.ready());
        QTreeView *tv = shown.probe.tv;
        const TreeModel &tree = *shown.probe.tree;
        for (const QString &step : steps) {
            if (step == "<pause>")
                QTest::qWait(QApplication::keyboardInputInterval() + 100);
            else if (step == "<F3>")
                QTest::keyClick(tv, Qt::Key_F3);
            else if (step == "<Shift+F3>")
                QTest::keyClick(tv, Qt::Key_F3, Qt::ShiftModifier);
            else
                QTest::keyClicks(tv, step);
        }

        const QModelIndexList selection = tv->selectionModel()->selectedRows();
        QCOMPARE(selection.isEmpty() ? QString() : tree.fullPath(tree.nodeAt(selection.first())),
                 selected);
        if (!selection.isEmpty())
            QVERIFY(tv->viewport()->rect().intersects(tv->visualRect(selection.first())));
        QStringList open;
        for (TreeModel::Node node = 1; node < tree.nodeCount(); ++node) {
            if (tv->isExpanded(tree.indexOf(node))) {
                open << tree.key(node);
                QCOMPARE(tree.image(node), 2);
            } else {
                QCOMPARE(tree.image(node), 1);
            }
        }
        QCOMPARE(open, opened);
        QVERIFY(shown.boxes.boxes().isEmpty());
    }

    // The designed sizes are the least the button and the label get: at a
    // larger font each grows to its caption, the description box moves
    // right of them and grows down with them, and nothing overlaps. Seen in
    // pixels, each caption is drawn whole, clear of its control's edges.
    void roomForTextAtLargerFonts_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("asDesigned");
        QTest::newRow("9 pt") << 9 << true;
        QTest::newRow("12 pt") << 12 << false;
        QTest::newRow("16 pt") << 16 << false;
    }
    void roomForTextAtLargerFonts()
    {
        QFETCH(int, points);
        QFETCH(bool, asDesigned);
        const QFont previous = QApplication::font();
        auto restore = qScopeGuard([&previous] { QApplication::setFont(previous); });
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), points));
        ShownForm shown;
        QVERIFY(shown.ready());
        const FormProbe &probe = shown.probe;
        probe.select(QStringLiteral("Granite2"));
        QTest::mouseClick(probe.btn_define, Qt::LeftButton);
        QTRY_COMPARE(probe.lbl_level->text(), QStringLiteral("Level: 2"));
        QCOMPARE(QAccessible::queryAccessibleInterface(probe.lbl_level)->text(QAccessible::Name),
                 QStringLiteral("Level: 2"));
        // The new caption asks the window to lay it out again.
        QCoreApplication::sendPostedEvents();

        const QRect button = probe.btn_define->geometry();
        const QRect label = probe.lbl_level->geometry();
        const QRect box = probe.txtDescription->geometry();
        const QRect tree = probe.tv->geometry();
        if (asDesigned) {
            QCOMPARE(button.size(), QSize(57, 25));
            QCOMPARE(label.size(), QSize(57, 25));
            QCOMPARE(box.left(), 72);
            QCOMPARE(box.height(), 73);
        } else {
            QVERIFY(button.width() > 57 && button.height() > 25);
        }
        QVERIFY(label.top() > button.bottom());
        QVERIFY(box.left() > std::max(button.right(), label.right()));
        QVERIFY(box.top() > tree.bottom());
        QCOMPARE(box.top(), button.top());
        QVERIFY(label.bottom() <= box.bottom());
        QVERIFY(shown.form.rect().contains(box) && shown.form.rect().contains(label));

        QVERIFY(captionDrawnWhole(probe.btn_define, 3));
        QVERIFY(captionDrawnWhole(probe.lbl_level, 0));
    }

    void minimisedLeavesTheLayout()
    {
        ShownForm shown;
        QVERIFY(shown.ready());
        const FormProbe &probe = shown.probe;
        const QRect tree = probe.tv->geometry();
        const QRect box = probe.txtDescription->geometry();
        shown.form.setWindowState(Qt::WindowMinimized);
        shown.form.resize(30, 30);
        QTRY_COMPARE(shown.form.size(), QSize(30, 30));
        QCOMPARE(probe.tv->geometry(), tree);
        QCOMPARE(probe.txtDescription->geometry(), box);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"

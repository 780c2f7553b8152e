// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormLayout.h"
#include "app/WindowPlacement.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace kestrelon;

Q_DECLARE_METATYPE(kestrelon::TextRoom)

namespace {

// The six values the layout writes, in its order: tv.Width,
// txtDescription.Width, txtDescription.Top, btn_define.Top, tv.Height,
// lbl_level.Top.
QList<float> written(const FormGeometry &g)
{
    return {g.tv.width,  g.txtDescription.width, g.txtDescription.top, g.btn_define.top,
            g.tv.height, g.lbl_level.top};
}

// Everything the layout never writes.
QList<float> unwritten(const FormGeometry &g)
{
    return {g.tv.left,         g.tv.top,           g.txtDescription.left, g.txtDescription.height,
            g.btn_define.left, g.btn_define.width, g.btn_define.height,   g.lbl_level.left,
            g.lbl_level.width, g.lbl_level.height};
}

// A control on a 96 DPI screen holds whole pixels of 15 twips.
float wholePixels(float twips)
{
    return 15.0f * std::round(twips / 15.0f);
}

} // namespace

// The resize arithmetic on its own, in twips, against the window's outer size.
class FormLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void writesTheSixValues_data()
    {
        QTest::addColumn<float>("outerWidth");
        QTest::addColumn<float>("outerHeight");
        QTest::addColumn<bool>("onScreen");
        QTest::addColumn<QList<float>>("expected");

        QTest::newRow("8010 x 5995")
            << 8010.0f << 5995.0f << false << QList<float>{7710, 6750, 4500, 4500, 4400, 5075};
        QTest::newRow("box width 0 at 1260")
            << 1260.0f << 5995.0f << false << QList<float>{960, 0, 4500, 4500, 4400, 5075};
        QTest::newRow("narrower than the box")
            << 1000.0f << 5995.0f << false << QList<float>{700, 0, 4500, 4500, 4400, 5075};
        QTest::newRow("narrower than the tree margin")
            << 200.0f << 5995.0f << false << QList<float>{0, 0, 4500, 4500, 4400, 5075};
        QTest::newRow("tree height 0 at 1595")
            << 8010.0f << 1595.0f << false << QList<float>{7710, 6750, 100, 100, 0, 675};
        // Tops go negative and are kept; the tree's height stops at 0.
        QTest::newRow("lower than the box")
            << 8010.0f << 1000.0f << false << QList<float>{7710, 6750, -495, -495, 0, 80};
        QTest::newRow("zero size")
            << 0.0f << 0.0f << false << QList<float>{0, 0, -1495, -1495, 0, -920};
        // On a screen the box's top is stored as 300 px, 4500 twips, not the
        // computed 4505; the button, the tree and the label follow that.
        QTest::newRow("read back in whole pixels")
            << 8010.0f << 6000.0f << true << QList<float>{7710, 6750, 4500, 4500, 4395, 5070};
        QTest::newRow("odd pixels")
            << 8017.0f << 6017.0f << true << QList<float>{7710, 6750, 4515, 4515, 4410, 5085};
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 5995.0f << false
                                      << QList<float>{6135, 5175, 4440, 4440, 4335, 5040};
        QTest::newRow("infinite") << 8010.0f << std::numeric_limits<float>::infinity() << false
                                  << QList<float>{6135, 5175, 4440, 4440, 4335, 5040};
    }
    void writesTheSixValues()
    {
        QFETCH(float, outerWidth);
        QFETCH(float, outerHeight);
        QFETCH(bool, onScreen);
        QFETCH(QList<float>, expected);

        const FormGeometry designed = designedGeometry();
        const FormGeometry laidOut =
            onScreen ? layoutForm(outerWidth, outerHeight, designed, wholePixels)
                     : layoutForm(outerWidth, outerHeight, designed);
        QCOMPARE(written(laidOut), expected);
        QCOMPARE(unwritten(laidOut), unwritten(designed));
    }

    // Each run depends only on the size and on what the layout never
    // writes, so running it again on its own result changes nothing.
    void sameSizeTwiceGivesTheSameLayout_data()
    {
        QTest::addColumn<float>("outerWidth");
        QTest::addColumn<float>("outerHeight");
        QTest::newRow("8010 x 5995") << 8010.0f << 5995.0f;
        QTest::newRow("8017 x 6017") << 8017.0f << 6017.0f;
        QTest::newRow("too small") << 100.0f << 100.0f;
    }
    void sameSizeTwiceGivesTheSameLayout()
    {
        QFETCH(float, outerWidth);
        QFETCH(float, outerHeight);
        const FormGeometry once =
            layoutForm(outerWidth, outerHeight, designedGeometry(), wholePixels);
        const FormGeometry twice = layoutForm(outerWidth, outerHeight, once, wholePixels);
        QCOMPARE(written(twice), written(once));
        QCOMPARE(unwritten(twice), unwritten(once));
    }

    // Text that needs more room than designed: the button and the label
    // grow, the box starts the designed 105 twips right of the wider one
    // and reaches the designed 145 twips below the label; at 8010 x 5995
    // the box still ends at 7830 and 400 twips above the bottom.
    void roomForText_data()
    {
        QTest::addColumn<TextRoom>("text");
        QTest::addColumn<QList<float>>("sizes"); // button w h, label w h, box left h
        QTest::addColumn<QList<float>>("expected");
        QTest::newRow("fits as designed")
            << TextRoom{600, 300, 700, 200} << QList<float>{855, 375, 855, 375, 1080, 1095}
            << QList<float>{7710, 6750, 4500, 4500, 4400, 5075};
        QTest::newRow("wider button")
            << TextRoom{1200, 300, 700, 200} << QList<float>{1200, 375, 855, 375, 1425, 1095}
            << QList<float>{7710, 6405, 4500, 4500, 4400, 5075};
        QTest::newRow("wider label")
            << TextRoom{600, 300, 1500, 200} << QList<float>{855, 375, 1500, 375, 1725, 1095}
            << QList<float>{7710, 6105, 4500, 4500, 4400, 5075};
        QTest::newRow("taller both")
            << TextRoom{1245, 540, 1050, 390} << QList<float>{1245, 540, 1050, 390, 1470, 1275}
            << QList<float>{7710, 6360, 4320, 4320, 4220, 5060};
    }
    void roomForText()
    {
        QFETCH(TextRoom, text);
        const FormGeometry g = withRoomForText(designedGeometry(), text);
        QTEST((QList<float>{g.btn_define.width, g.btn_define.height, g.lbl_level.width,
                            g.lbl_level.height, g.txtDescription.left, g.txtDescription.height}),
              "sizes");
        const FormGeometry laidOut = layoutForm(8010, 5995, g);
        QTEST(written(laidOut), "expected");
        QCOMPARE(laidOut.txtDescription.left + laidOut.txtDescription.width, 7830.0f);
        QVERIFY(laidOut.lbl_level.top + laidOut.lbl_level.height <=
                laidOut.txtDescription.top + laidOut.txtDescription.height);
        // Growing again from what it grew to changes nothing.
        QCOMPARE(written(layoutForm(8010, 5995, withRoomForText(laidOut, text))), written(laidOut));
    }

    // The window on the screen's available area, in pixels: its designed
    // client size where the frame fits, smaller where it does not, and the
    // frame's top-left corner never above or left of the area.
    void placedOnTheAvailableArea_data()
    {
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QPoint>("frameAt");
        const QMargins openbox(1, 20, 1, 5);
        QTest::newRow("fits") << openbox << QRect(0, 0, 1280, 1024) << QSize(425, 371)
                              << QPoint(426, 314);
        QTest::newRow("below a panel") << QMargins(3, 30, 3, 3) << QRect(0, 32, 1280, 992)
                                       << QSize(425, 371) << QPoint(424, 326);
        QTest::newRow("second screen")
            << openbox << QRect(1280, 0, 800, 600) << QSize(425, 371) << QPoint(1466, 102);
        QTest::newRow("scale 2 on 800 x 600")
            << QMargins(1, 10, 1, 3) << QRect(0, 0, 400, 300) << QSize(398, 287) << QPoint(0, 0);
        QTest::newRow("not framed yet, too high")
            << QMargins() << QRect(0, 0, 1024, 300) << QSize(425, 300) << QPoint(299, 0);
        QTest::newRow("frame alone larger")
            << QMargins(5, 30, 5, 5) << QRect(10, 20, 8, 8) << QSize(1, 1) << QPoint(10, 20);
    }
    void placedOnTheAvailableArea()
    {
        QFETCH(QMargins, frame);
        QFETCH(QRect, available);
        const QSize client = fittedClientSize(QSize(425, 371), frame, available.size());
        QTEST(client, "client");
        QTEST(centredFramePosition(client.grownBy(frame), available), "frameAt");
    }
};

QTEST_APPLESS_MAIN(FormLayoutTest)
#include "tst_formlayout.moc"

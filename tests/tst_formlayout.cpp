#include "app/FormLayout.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace kestrelon;

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
};

QTEST_APPLESS_MAIN(FormLayoutTest)
#include "tst_formlayout.moc"

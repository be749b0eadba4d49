// Applying the map scale: the point test, the scale kinds, refused replies and points,
// and the spinner's unit switches.
#include <gtest/gtest.h>

#include <QPointF>
#include <cmath>

#include "common/twips.h"
#include "map/scale.h"
#include "map_fixture.h"

using namespace corv;

namespace {
// "Set Scale" and its two points clicked, the frame open.
struct ScaleFixture : test::MapFixture {
    ScaleFrameState f;
    ScriptedDialogs& dialogs = ops.dlg;

    explicit ScaleFixture(float x1 = 1000, float y1 = 1000, float x2 = 2000, float y2 = 3000, float refMapX = 0)
    {
        m.s.refMapX = refMapX;
        MapFixture::pick("Set Scale");
        click(x1, y1);
        click(x2, y2);
    }
    void pick(int option)
    {
        f.Option1 = option;
        scaleOptionClick(m, f);
    }
    void ok(std::optional<QString> reply = {})
    {
        if (reply) dialogs.answerInput(reply->isNull() ? std::nullopt : reply);
        applyScale(m, f, dialogs);
    }
    // Map position of a vertex under the pixel-pair scale, as the vertex lines write it.
    QPointF map(float x, float y) const
    {
        return {(x - m.s.refPointX) * m.s.scaleX + m.s.refMapX, (y - m.s.refPointY) * m.s.scaleY + m.s.refMapY};
    }
};
}  // namespace

TEST(Scale, PointsCloserThan100TwipsInBothDirectionsAreRefused)
{
    ScaleFixture t(1000, 1000, 1099, 1150);
    t.ok();
    EXPECT_TRUE(t.dialogs.messages().empty());
    EXPECT_FLOAT_EQ(t.m.s.scaleX, static_cast<float>(1.0 / static_cast<float>(std::sqrt(99.0 * 99 + 150.0 * 150))));
    EXPECT_EQ(t.m.s.traceMode, 0);
    EXPECT_FALSE(t.m.frameScaleVisible || t.m.Shape1.Visible || t.m.Shape2.Visible);

    // 99 and 99: frame and markers go and the mode ends, but units, factors and the first
    // point stay; a pixel kind in force falls back to the distance kind.
    ScaleFixture bad(1000, 1000, 1099, 1099);
    bad.m.s.pixelScale = bad.m.s.pixelPairScale = true;
    bad.m.s.scaleX = 0.25f;
    bad.pick(3);
    bad.ok();
    EXPECT_EQ(bad.dialogs.messages(), std::vector<QString>{"Bad scale points, try again."});
    EXPECT_EQ(bad.m.s.traceMode, 0);
    EXPECT_FALSE(bad.m.s.pixelScale || bad.m.s.pixelPairScale || bad.m.frameScaleVisible);
    EXPECT_EQ(std::tuple(bad.m.s.lastPointX, bad.m.s.scaleX, bad.m.s.areaFactor), std::tuple(1000.0f, 0.25f, 0.0f));

    ScaleFixture edge(1000, 1000, 1000, 1100);  // exactly 100 in one direction passes
    edge.ok();
    EXPECT_FLOAT_EQ(edge.m.s.scaleX, 0.01f);
}

TEST(Scale, DistanceOptionsSetUnitsAndFactor)
{
    struct Row {
        int option;
        float scale;  // per twip, for "10 miles" over 1000 twips; feet turn 10 into 5280
        const char* units;
        float factor;
    };
    for (const Row& r : {Row{0, 0.01f, " (mi) (mi^2)", 1.0f}, Row{1, 0.01f, " (mi) (acres)", 640.0f},
                         Row{2, 5.28f, " (ft) (ft^2)", 1.0f}, Row{3, 5.28f, " (ft) (acres)", 2.2957E-05f},
                         Row{4, 5.28f, " (ft) (mi^2)", 3.587E-08f}}) {
        ScaleFixture u(1000, 1000, 2000, 1000);
        u.m.s.scaleY = 0.75f;  // the distance scale uses scaleX for both axes
        u.f.Text2 = "10 miles";
        u.pick(r.option);
        u.ok();
        EXPECT_FLOAT_EQ(u.m.s.scaleX, r.scale) << r.option;
        EXPECT_EQ(u.m.s.scaleY, 0.75f);
        EXPECT_EQ(u.m.s.lengthUnits + u.m.s.areaUnits, r.units);
        EXPECT_EQ(u.m.s.areaFactor, r.factor);
        EXPECT_TRUE(u.m.s.panZoomAllowed && !u.m.s.pixelScale);
    }
    ScaleFixture zero(0, 0, 1000, 0);  // a distance that is no number reads as 0
    zero.f.Text2 = "abc";
    zero.ok();
    EXPECT_EQ(zero.m.s.scaleX, 0.0f);
    EXPECT_TRUE(zero.dialogs.messages().empty());
}

TEST(Scale, PixelPairAndLongitudeLatitude)
{
    ScaleFixture t;
    t.pick(6);
    t.ok("100,200,300,400");
    EXPECT_EQ(t.dialogs.asked()[0].text + t.dialogs.asked()[0].title, "Enter pixel pairs as X1,Y1,X2,Y2:General Pixel Scaling");
    EXPECT_FLOAT_EQ(t.m.s.scaleX, 0.2f);
    EXPECT_FLOAT_EQ(t.m.s.scaleY, 0.1f);
    EXPECT_TRUE(t.m.s.pixelScale && t.m.s.pixelPairScale && !t.m.s.longLatScale && !t.m.s.panZoomAllowed);
    EXPECT_EQ(t.m.s.areaUnits, " (pix^2)");
    EXPECT_EQ(t.map(1000, 1000), QPointF(100, 200));
    EXPECT_EQ(t.map(2000, 3000), QPointF(300, 400));

    // Longitude/latitude typed in either order (blanks and extra parts ignored).
    for (const char* reply : {"-105,40,-104,39", " -104 , 39,-105,40,ignored"}) {
        ScaleFixture ll;
        ll.pick(7);
        ll.ok(reply);
        EXPECT_EQ(ll.dialogs.asked()[0].text + ll.dialogs.asked()[0].title,
                  "Enter pixel pairs as XLong1,YLat1,XLong2,YLat2:Long/Lat Scaling");
        EXPECT_FLOAT_EQ(ll.m.s.scaleX, 0.001f);
        EXPECT_FLOAT_EQ(ll.m.s.scaleY, -0.0005f);
        EXPECT_TRUE(ll.m.s.longLatScale);
        const bool swapped = reply[0] == ' ';
        EXPECT_NEAR(ll.map(1000, 1000).x(), swapped ? -104 : -105, 1e-4) << reply;
        EXPECT_NEAR(ll.map(1000, 1000).y(), swapped ? 39 : 40, 1e-4) << reply;
        EXPECT_NEAR(ll.map(2000, 3000).y(), swapped ? 38 : 39, 1e-4) << reply;
    }

    // Cancel (an empty reply) keeps the reference values; the second point reads as (0, 0).
    ScaleFixture cancel(1000, 1000, 2000, 3000, 50);
    cancel.m.s.refMapY = 20;
    cancel.pick(6);
    cancel.ok(QString());
    EXPECT_EQ(cancel.m.s.refMapX, 50);
    EXPECT_EQ(QPointF(cancel.m.s.scaleX, cancel.m.s.scaleY), QPointF(0.05f, 0.01f));
}

TEST(Scale, ScreenPixelsDivideTheFactorInForce)
{
    ScaleFixture t;
    t.pick(5);
    t.f.Text2 = "999";
    t.ok();
    EXPECT_FLOAT_EQ(t.m.s.scaleX, static_cast<float>(1.0 / twips::perPixelX()));
    EXPECT_TRUE(t.m.s.pixelScale && !t.m.s.pixelPairScale && t.m.s.panZoomAllowed);
    EXPECT_TRUE(t.dialogs.asked().empty());
    ScaleFixture zoomed(0, 0, 500, 500);
    zoomed.m.s.scaleX = 0.5f;  // after a zoom by 2
    zoomed.pick(5);
    zoomed.ok();
    EXPECT_FLOAT_EQ(zoomed.m.s.scaleX, static_cast<float>(0.5 / twips::perPixelX()));
}

TEST(Scale, UnusableRepliesAndPointsAreRefusedWithNothingChanged)
{
    auto expectUntouched = [](const ScaleFixture& t, const std::string& what) {
        EXPECT_TRUE(t.m.frameScaleVisible && t.m.Shape1.Visible && t.m.Shape2.Visible) << what;
        EXPECT_EQ(t.m.s.traceMode, 3) << what;
        EXPECT_EQ(std::tuple(t.m.s.lastPointX, t.m.s.scaleX, t.m.s.scaleY, t.m.s.refMapX), std::tuple(1000.0f, 1.0f, 1.0f, 7.0f)) << what;
        EXPECT_EQ(t.m.s.areaUnits + t.m.s.lengthUnits, " (mi)") << what;
        EXPECT_FALSE(t.m.s.pixelScale || t.m.s.pixelPairScale || t.m.s.longLatScale || !t.m.s.panZoomAllowed) << what;
    };
    for (const char* reply : {"100,200,300", "100,abc,300,400", "100,,300,400", "1e39,0,0,0", "3e38,0,-3e38,0",
                              "100;200;300;400"}) {
        for (int option : {6, 7}) {
            ScaleFixture t(1000, 1000, 2000, 3000, 7);
            t.pick(option);
            t.ok(reply);
            ASSERT_EQ(t.dialogs.messages().size(), 1u) << reply;
            const QString text = t.dialogs.messages()[0];
            EXPECT_TRUE(text.contains(option == 6 ? "X1,Y1,X2,Y2" : "XLong1,YLat1,XLong2,YLat2") &&
                        text.contains("Press Ok and type them again")) << text.toStdString();
            expectUntouched(t, reply);
            t.ok("100,200,300,400");  // Ok again, typed properly
            EXPECT_FLOAT_EQ(t.m.s.scaleX, 0.2f);
            EXPECT_EQ(t.m.s.traceMode, 0);
        }
    }
    // Same x or same y: no pixel-pair scale exists; nothing is asked or changed.
    for (auto [x2, y2] : {std::pair{1000.0f, 3000.0f}, {2000.0f, 1000.0f}}) {
        for (int option : {6, 7}) {
            ScaleFixture t(1000, 1000, x2, y2, 7);
            t.pick(option);
            t.ok();
            ASSERT_EQ(t.dialogs.asked().size(), 1u);
            EXPECT_TRUE(t.dialogs.messages().at(0).contains("Click the second point again"));
            expectUntouched(t, "same x or y");
        }
    }
    ScaleFixture line(1000, 1000, 1000, 3000);  // the distance scale has no such limit
    line.ok();
    EXPECT_FLOAT_EQ(line.m.s.scaleX, 0.0005f);

    ScaleFixture huge(1000, 1000, 2000, 3000, 7);  // a distance too large for a single
    huge.f.Text2 = "1e39";
    huge.ok();
    ASSERT_EQ(huge.dialogs.messages().size(), 1u);
    EXPECT_TRUE(huge.dialogs.messages()[0].contains("Type a smaller distance"));
    expectUntouched(huge, "huge distance");
}

TEST(Scale, SpinnerFollowsMilesAndFeet)
{
    ScaleFixture t;
    auto spinner = [&] { return std::tuple(t.f.Text2, t.f.UpDownValue, t.f.UpDownIncrement); };
    t.f.Text2 = "10";
    t.pick(2);  // "Feet / Sq Feet"
    EXPECT_EQ(spinner(), std::tuple(QString("5280"), 5280, 5280));
    EXPECT_TRUE(t.m.s.feetUnits);
    t.pick(0);  // "Miles / Sq Miles"
    EXPECT_EQ(spinner(), std::tuple(QString("1"), 1, 1));
    EXPECT_FALSE(t.m.s.feetUnits);

    ScaleFixture k;  // 20 to 50 stay either way
    k.f.Text2 = "30";
    for (int option : {3, 1, 4}) {
        k.pick(option);
        EXPECT_EQ(k.f.Text2, "30");
    }

    // In feet the spinner moves in miles; down from the first mile it hits 1, which turns
    // into 5000 feet stepping by 1000, stays at 1 at the bottom and at 100000 at the top.
    t.pick(2);
    setUpDownValue(t.m, t.f, t.f.UpDownValue + t.f.UpDownIncrement);
    EXPECT_EQ(t.f.Text2, "10560");
    setUpDownValue(t.m, t.f, 10560 - 5280);
    setUpDownValue(t.m, t.f, 5280 - 5280);
    EXPECT_EQ(spinner(), std::tuple(QString("5000"), 5000, 1000));
    for (int v = 4000; v >= 0; v -= 1000) setUpDownValue(t.m, t.f, v);
    EXPECT_EQ(spinner(), std::tuple(QString("1"), 1, 1000));
    setUpDownValue(t.m, t.f, 200000);
    EXPECT_EQ(t.f.UpDownValue, 100000);
    EXPECT_EQ(t.f.Text2, "100000");

    // The pixel options keep the unit; before any unit the step is 1, never 0.
    ScaleFixture p;
    for (int option : {5, 6, 7}) {
        p.pick(option);
        EXPECT_EQ(p.f.UpDownIncrement, 1);
    }
    p.pick(4);
    p.pick(6);
    EXPECT_EQ(p.f.UpDownIncrement, 5280);
}

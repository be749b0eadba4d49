// Applying the map scale: the point test, the three scale kinds, refused replies and
// points, and the spinner's unit switches.
#include <gtest/gtest.h>

#include <cmath>

#include "common/dialogs.h"
#include "common/twips.h"
#include "map/map_model.h"
#include "map/scale.h"

using namespace corv;

namespace {

struct ScaleFixture {
    MapModel m;
    ScaleFrameState f;
    ScriptedDialogs dialogs;

    ScaleFixture() { m.formLoad(); }

    // Both scale points taken in scale mode, the frame open (what the two clicks leave).
    void points(float x1, float y1, float x2, float y2)
    {
        m.s.traceMode = 3;
        m.s.lastPointX = x1;
        m.s.lastPointY = y1;
        m.s.scalePoint2X = x2;
        m.s.scalePoint2Y = y2;
        m.Shape1.Visible = m.Shape2.Visible = true;
        showScaleFrame(m);
    }
    void pick(int option)
    {
        f.Option1 = option;
        scaleOptionClick(m, f);
    }
    void ok() { applyScale(m, f, dialogs); }
};

// Map position of a vertex under the pixel-pair scale, as the vertex lines write it.
float mapX(const MapState& s, float x) { return (x - s.refPointX) * s.scaleX + s.refMapX; }
float mapY(const MapState& s, float y) { return (y - s.refPointY) * s.scaleY + s.refMapY; }

}  // namespace

TEST(Scale, PointsCloserThan100TwipsInBothDirectionsAreRefused)
{
    ScaleFixture t;
    t.m.lstMenu1.rect.Top = 700;
    t.m.lstMenu1.rect.Left = 900;
    t.points(1000, 1000, 1099, 1150);
    EXPECT_TRUE(t.m.frameScaleVisible);
    EXPECT_EQ(t.m.frameScaleRect.Top, 700);
    EXPECT_EQ(t.m.frameScaleRect.Left, 900);
    t.ok();
    EXPECT_TRUE(t.dialogs.messages().empty());
    EXPECT_FLOAT_EQ(t.m.s.scaleX, static_cast<float>(1.0 / static_cast<float>(std::sqrt(99.0 * 99 + 150.0 * 150))));
    EXPECT_EQ(t.m.s.areaUnits, " (mi^2)");
    EXPECT_EQ(t.m.s.traceMode, 0);
    EXPECT_EQ(t.m.s.lastPointX, 0);
    EXPECT_FALSE(t.m.frameScaleVisible || t.m.Shape1.Visible || t.m.Shape2.Visible);
    EXPECT_EQ(t.m.caption, "Right Click for menu");

    // 99 and 99: the frame and markers go, the mode ends, but units, factors and the
    // first point stay; a pixel kind in force falls back to the distance kind.
    ScaleFixture bad;
    bad.m.s.pixelScale = bad.m.s.pixelPairScale = true;
    bad.m.s.scaleX = 0.25f;
    bad.points(1000, 1000, 1099, 1099);
    bad.pick(3);
    bad.ok();
    ASSERT_EQ(bad.dialogs.messages().size(), 1u);
    EXPECT_EQ(bad.dialogs.messages()[0], "Bad scale points, try again.");
    EXPECT_EQ(bad.dialogs.asked()[0].title, "");
    EXPECT_EQ(bad.m.s.traceMode, 0);
    EXPECT_FALSE(bad.m.s.pixelScale || bad.m.s.pixelPairScale);
    EXPECT_FALSE(bad.m.frameScaleVisible);
    EXPECT_EQ(bad.m.s.lastPointX, 1000);
    EXPECT_EQ(bad.m.s.scaleX, 0.25f);
    EXPECT_EQ(bad.m.s.areaUnits, "");
    EXPECT_EQ(bad.m.s.lengthUnits, " (mi)");
    EXPECT_EQ(bad.m.s.areaFactor, 0.0f);
    EXPECT_EQ(bad.m.s.scaleDistance, 0.0f);

    // Exactly 100 in one direction passes.
    ScaleFixture edge;
    edge.points(1000, 1000, 1000, 1100);
    edge.ok();
    EXPECT_TRUE(edge.dialogs.messages().empty());
    EXPECT_FLOAT_EQ(edge.m.s.scaleX, 0.01f);
}

TEST(Scale, DistanceOptionsSetUnitsAndFactor)
{
    ScaleFixture t;
    t.m.s.scaleY = 0.75f;
    t.points(1000, 1000, 2000, 1000);
    t.pick(3);  // "Feet / Acres"
    t.f.Text2 = "5280";
    t.ok();
    EXPECT_FLOAT_EQ(t.m.s.scaleX, 5.28f);
    EXPECT_EQ(t.m.s.scaleY, 0.75f);  // the distance scale uses scaleX for both axes
    EXPECT_EQ(t.m.s.scaleDistance, 5280.0f);
    EXPECT_EQ(t.m.s.areaFactor, 2.2957E-05f);
    EXPECT_EQ(t.m.s.lengthUnits, " (ft)");
    EXPECT_EQ(t.m.s.areaUnits, " (acres)");
    EXPECT_FALSE(t.m.s.pixelScale || t.m.s.pixelPairScale || t.m.s.longLatScale);
    EXPECT_TRUE(t.m.s.panZoomAllowed);
    // A square 1000 twips a side is 5280 ft a side: one square mile, 640 acres.
    const float sqFeet = (1000 * t.m.s.scaleX) * (1000 * t.m.s.scaleX);
    EXPECT_NEAR(sqFeet * t.m.s.areaFactor, 640.0f, 0.05f);

    struct Row {
        int option;
        const char* length;
        const char* area;
        float factor;
    };
    for (const Row& r : {Row{0, " (mi)", " (mi^2)", 1.0f}, Row{1, " (mi)", " (acres)", 640.0f},
                         Row{2, " (ft)", " (ft^2)", 1.0f}, Row{4, " (ft)", " (mi^2)", 3.587E-08f}}) {
        ScaleFixture u;
        u.points(0, 0, 3000, 4000);
        u.f.Text2 = "10 miles";  // leading number
        u.pick(r.option);
        u.ok();
        const float expectedDistance = r.option >= 2 ? 5280.0f : 10.0f;  // feet turns 10 into one mile
        EXPECT_FLOAT_EQ(u.m.s.scaleX, expectedDistance / 5000.0f) << r.option;
        EXPECT_EQ(u.m.s.lengthUnits, r.length);
        EXPECT_EQ(u.m.s.areaUnits, r.area);
        EXPECT_EQ(u.m.s.areaFactor, r.factor);
    }

    // A distance that is no number reads as 0: a scale of 0.
    ScaleFixture zero;
    zero.points(0, 0, 1000, 0);
    zero.f.Text2 = "abc";
    zero.ok();
    EXPECT_EQ(zero.m.s.scaleX, 0.0f);
    EXPECT_TRUE(zero.dialogs.messages().empty());
}

TEST(Scale, PixelPairAndLongitudeLatitude)
{
    ScaleFixture t;
    t.points(1000, 1000, 2000, 3000);
    t.pick(6);
    t.dialogs.answerInput(QStringLiteral("100,200,300,400"));
    t.ok();
    ASSERT_EQ(t.dialogs.asked().size(), 1u);
    EXPECT_EQ(t.dialogs.asked()[0].text, "Enter pixel pairs as X1,Y1,X2,Y2:");
    EXPECT_EQ(t.dialogs.asked()[0].title, "General Pixel Scaling");
    EXPECT_EQ(t.dialogs.asked()[0].extra, "");
    EXPECT_FLOAT_EQ(t.m.s.scaleX, 0.2f);
    EXPECT_FLOAT_EQ(t.m.s.scaleY, 0.1f);
    EXPECT_TRUE(t.m.s.pixelScale && t.m.s.pixelPairScale && !t.m.s.longLatScale);
    EXPECT_FALSE(t.m.s.panZoomAllowed);
    EXPECT_EQ(t.m.s.lengthUnits, " (pix)");
    EXPECT_EQ(t.m.s.areaUnits, " (pix^2)");
    EXPECT_FLOAT_EQ(mapX(t.m.s, 1000), 100);
    EXPECT_FLOAT_EQ(mapY(t.m.s, 1000), 200);
    EXPECT_FLOAT_EQ(mapX(t.m.s, 2000), 300);
    EXPECT_FLOAT_EQ(mapY(t.m.s, 3000), 400);
    EXPECT_EQ(t.m.s.lastPointX, 0);

    ScaleFixture ll;
    ll.points(1000, 1000, 2000, 3000);
    ll.pick(7);
    ll.dialogs.answerInput(QStringLiteral("-105,40,-104,39"));
    ll.ok();
    EXPECT_EQ(ll.dialogs.asked()[0].text, "Enter pixel pairs as XLong1,YLat1,XLong2,YLat2:");
    EXPECT_EQ(ll.dialogs.asked()[0].title, "Long/Lat Scaling");
    EXPECT_FLOAT_EQ(ll.m.s.scaleX, 0.001f);
    EXPECT_FLOAT_EQ(ll.m.s.scaleY, -0.0005f);
    EXPECT_TRUE(ll.m.s.longLatScale);
    EXPECT_EQ(ll.m.s.lengthUnits, " (mi)");
    EXPECT_EQ(ll.m.s.areaUnits, " (mi^2)");
    EXPECT_FLOAT_EQ(mapX(ll.m.s, 1000), -105);
    EXPECT_FLOAT_EQ(mapY(ll.m.s, 1000), 40);
    EXPECT_FLOAT_EQ(mapY(ll.m.s, 3000), 39);  // 2000 twips lower
    EXPECT_FLOAT_EQ(mapX(ll.m.s, 2000), -104);

    // Values typed in the other order: same factors, first point at (-104, 39).
    ScaleFixture sw;
    sw.points(1000, 1000, 2000, 3000);
    sw.pick(7);
    sw.dialogs.answerInput(QStringLiteral(" -104 , 39,-105,40,ignored"));
    sw.ok();
    EXPECT_FLOAT_EQ(sw.m.s.scaleX, 0.001f);
    EXPECT_FLOAT_EQ(sw.m.s.scaleY, -0.0005f);
    EXPECT_FLOAT_EQ(mapX(sw.m.s, 1000), -104);
    EXPECT_FLOAT_EQ(mapY(sw.m.s, 1000), 39);

    // An empty reply (Cancel) keeps the reference values; the second point is (0, 0).
    ScaleFixture cancel;
    cancel.m.s.refMapX = 50;
    cancel.m.s.refMapY = 20;
    cancel.points(1000, 1000, 2000, 3000);
    cancel.pick(6);
    cancel.dialogs.answerInput(std::nullopt);
    cancel.ok();
    EXPECT_EQ(cancel.m.s.refMapX, 50);
    EXPECT_FLOAT_EQ(cancel.m.s.scaleX, 0.05f);
    EXPECT_FLOAT_EQ(cancel.m.s.scaleY, 0.01f);
    EXPECT_TRUE(cancel.m.s.pixelPairScale);
}

TEST(Scale, ScreenPixelsDivideTheFactorInForce)
{
    ScaleFixture t;
    t.points(1000, 1000, 2000, 3000);
    t.pick(5);
    t.f.Text2 = "999";
    t.ok();
    EXPECT_FLOAT_EQ(t.m.s.scaleX, static_cast<float>(1.0 / twips::perPixelX()));
    EXPECT_TRUE(t.m.s.pixelScale && !t.m.s.pixelPairScale);
    EXPECT_TRUE(t.m.s.panZoomAllowed);
    EXPECT_TRUE(t.dialogs.asked().empty());

    ScaleFixture zoomed;
    zoomed.m.s.scaleX = 0.5f;  // after a zoom by 2
    zoomed.points(0, 0, 500, 500);
    zoomed.pick(5);
    zoomed.ok();
    EXPECT_FLOAT_EQ(zoomed.m.s.scaleX, static_cast<float>(0.5 / twips::perPixelX()));
}

TEST(Scale, UnusableRepliesAndPointsAreRefusedWithNothingChanged)
{
    auto expectUntouched = [](const ScaleFixture& t, const char* what) {
        EXPECT_TRUE(t.m.frameScaleVisible) << what;
        EXPECT_TRUE(t.m.Shape1.Visible && t.m.Shape2.Visible) << what;
        EXPECT_EQ(t.m.s.traceMode, 3) << what;
        EXPECT_EQ(t.m.s.lastPointX, 1000) << what;
        EXPECT_EQ(t.m.s.scaleX, 1.0f) << what;
        EXPECT_EQ(t.m.s.scaleY, 1.0f) << what;
        EXPECT_EQ(t.m.s.refMapX, 7.0f) << what;
        EXPECT_EQ(t.m.s.areaUnits, "") << what;
        EXPECT_EQ(t.m.s.lengthUnits, " (mi)") << what;
        EXPECT_FALSE(t.m.s.pixelScale || t.m.s.pixelPairScale || t.m.s.longLatScale) << what;
        EXPECT_TRUE(t.m.s.panZoomAllowed) << what;
    };
    for (const char* reply : {"100,200,300", "100,abc,300,400", "100,,300,400", "1e39,0,0,0", "3e38,0,-3e38,0",
                              "100;200;300;400"}) {
        for (int option : {6, 7}) {
            ScaleFixture t;
            t.m.s.refMapX = 7;
            t.points(1000, 1000, 2000, 3000);
            t.pick(option);
            t.dialogs.answerInput(QString::fromLatin1(reply));
            t.ok();
            ASSERT_EQ(t.dialogs.messages().size(), 1u) << reply;
            EXPECT_TRUE(t.dialogs.messages()[0].contains(option == 6 ? "X1,Y1,X2,Y2" : "XLong1,YLat1,XLong2,YLat2"))
                << t.dialogs.messages()[0].toStdString();
            EXPECT_TRUE(t.dialogs.messages()[0].contains("Press Ok and type them again"));
            expectUntouched(t, reply);

            // The user presses Ok again and types them properly.
            t.dialogs.answerInput(QStringLiteral("100,200,300,400"));
            t.ok();
            EXPECT_FLOAT_EQ(t.m.s.scaleX, 0.2f);
            EXPECT_EQ(t.m.s.traceMode, 0);
        }
    }

    // Same x or same y: no pixel-pair scale exists; nothing is asked or changed.
    for (auto [x2, y2] : {std::pair{1000.0f, 3000.0f}, std::pair{2000.0f, 1000.0f}}) {
        for (int option : {6, 7}) {
            ScaleFixture t;
            t.m.s.refMapX = 7;
            t.points(1000, 1000, x2, y2);
            t.pick(option);
            t.ok();
            ASSERT_EQ(t.dialogs.asked().size(), 1u);
            EXPECT_EQ(t.dialogs.asked()[0].kind, ScriptedDialogs::Asked::Message);
            EXPECT_TRUE(t.dialogs.messages()[0].contains("Click the second point again"));
            expectUntouched(t, "same x or y");
        }
    }
    // The distance scale has no such limit.
    ScaleFixture line;
    line.points(1000, 1000, 1000, 3000);
    line.ok();
    EXPECT_FLOAT_EQ(line.m.s.scaleX, 0.0005f);

    // A distance too large for a single.
    ScaleFixture huge;
    huge.m.s.refMapX = 7;
    huge.points(1000, 1000, 2000, 3000);
    huge.f.Text2 = "1e39";
    huge.ok();
    ASSERT_EQ(huge.dialogs.messages().size(), 1u);
    EXPECT_TRUE(huge.dialogs.messages()[0].contains("Type a smaller distance"));
    expectUntouched(huge, "huge distance");
}

TEST(Scale, SpinnerFollowsMilesAndFeet)
{
    ScaleFixture t;
    t.f.Text2 = "10";
    t.pick(2);  // "Feet / Sq Feet"
    EXPECT_EQ(t.f.Text2, "5280");
    EXPECT_EQ(t.f.UpDownValue, 5280);
    EXPECT_EQ(t.f.UpDownIncrement, 5280);
    EXPECT_TRUE(t.m.s.feetUnits);
    EXPECT_EQ(t.m.s.spinnerUnit, 5280.0f);
    t.pick(0);  // "Miles / Sq Miles"
    EXPECT_EQ(t.f.Text2, "1");
    EXPECT_EQ(t.f.UpDownValue, 1);
    EXPECT_EQ(t.f.UpDownIncrement, 1);
    EXPECT_FALSE(t.m.s.feetUnits);

    // 20 to 50 stay either way.
    ScaleFixture k;
    k.f.Text2 = "30";
    k.pick(3);
    EXPECT_EQ(k.f.Text2, "30");
    k.pick(1);
    EXPECT_EQ(k.f.Text2, "30");
    k.pick(4);
    EXPECT_EQ(k.f.Text2, "30");
    EXPECT_EQ(k.f.UpDownIncrement, 5280);

    // In feet the spinner moves in miles; down from the first mile it hits 1, which
    // turns into 5000 feet stepping by 1000, and stays at 1 at the bottom.
    ScaleFixture s;
    s.pick(2);
    setUpDownValue(s.m, s.f, s.f.UpDownValue + s.f.UpDownIncrement);
    EXPECT_EQ(s.f.Text2, "10560");
    setUpDownValue(s.m, s.f, 10560 - 5280);
    setUpDownValue(s.m, s.f, 5280 - 5280);  // clamped to the lowest value
    EXPECT_EQ(s.f.UpDownValue, 5000);
    EXPECT_EQ(s.f.UpDownIncrement, 1000);
    EXPECT_EQ(s.f.Text2, "5000");
    for (int v = 4000; v >= 0; v -= 1000) setUpDownValue(s.m, s.f, v);
    EXPECT_EQ(s.f.UpDownValue, 1);
    EXPECT_EQ(s.f.UpDownIncrement, 1000);
    EXPECT_EQ(s.f.Text2, "1");
    setUpDownValue(s.m, s.f, 200000);
    EXPECT_EQ(s.f.UpDownValue, 100000);
    EXPECT_EQ(s.f.Text2, "100000");

    // The pixel options keep the unit; before any unit the step is 1, never 0.
    ScaleFixture p;
    for (int option : {5, 6, 7}) {
        p.pick(option);
        EXPECT_EQ(p.f.UpDownIncrement, 1);
        EXPECT_EQ(p.m.s.spinnerUnit, 0.0f);
        EXPECT_FALSE(p.m.s.feetUnits);
    }
    p.pick(4);
    p.pick(6);
    EXPECT_EQ(p.f.UpDownIncrement, 5280);
    EXPECT_TRUE(p.m.s.feetUnits);
}

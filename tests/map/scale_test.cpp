// Applying the map scale: the point test, the scale kinds, refused replies and points,
// and the spinner's unit switches.
#include <gtest/gtest.h>

#include <QPointF>
#include <cmath>

#include "common/twips.h"
#include "map/scale.h"
#include "map/map_fixture.h"

using namespace corv;

namespace {
// "Set Scale" and its two points clicked, the frame open.
struct ScaleFixture : test::MapFixture {
    ScaleFrameState f;
    explicit ScaleFixture(float x1 = 1000, float y1 = 1000, float x2 = 2000, float y2 = 3000, float refMapX = 0)
    {
        m.s.refMapX = refMapX;
        MapFixture::pick("Set Scale");
        click(x1, y1);
        click(x2, y2);
    }
    ScaleFixture& option(int o)
    {
        f.Option1 = o;
        scaleOptionClick(m, f);
        return *this;
    }
    void ok(std::optional<QString> reply = {})
    {
        if (reply) ops.dlg.answerInput(reply->isNull() ? std::nullopt : reply);
        applyScale(m, f, ops.dlg);
    }
    // Map position of a vertex under the pixel-pair scale, as the vertex lines write it.
    QPointF map(float x, float y) const
    {
        return {(x - m.s.refPointX) * m.s.scaleX + m.s.refMapX, (y - m.s.refPointY) * m.s.scaleY + m.s.refMapY};
    }
    QString asked() const { return ops.dlg.asked().at(0).text + ops.dlg.asked()[0].title; }
    // Frame, markers, mode, first point, factors and kind as "Set Scale" left them.
    void expectUntouched(const std::string& what) const
    {
        EXPECT_TRUE(m.frameScaleVisible && m.Shape1.Visible && m.Shape2.Visible && m.s.traceMode == 3) << what;
        EXPECT_EQ(std::tuple(m.s.lastPointX, m.s.scaleX, m.s.scaleY, m.s.refMapX, m.s.areaUnits + m.s.lengthUnits),
                  std::tuple(1000.0f, 1.0f, 1.0f, 7.0f, QString(" (mi)"))) << what;
        EXPECT_FALSE(m.s.pixelScale || m.s.pixelPairScale || m.s.longLatScale || !m.s.panZoomAllowed) << what;
    }
};
}  // namespace

TEST(Scale, PointsCloserThan100TwipsInBothDirectionsAreRefused)
{
    ScaleFixture t(1000, 1000, 1099, 1150);
    t.ok();
    EXPECT_TRUE(t.messages().empty());
    EXPECT_FLOAT_EQ(t.m.s.scaleX, 1 / 179.72479f);  // sqrt(99^2 + 150^2) twips
    EXPECT_FALSE(t.m.s.traceMode || t.m.frameScaleVisible || t.m.Shape1.Visible || t.m.Shape2.Visible);

    // 99 and 99: frame and markers go and the mode ends, but the scale in force stays
    // whole (its kind with its factors and units), and so does the first point.
    ScaleFixture bad(1000, 1000, 1099, 1099);
    bad.m.s.pixelScale = bad.m.s.pixelPairScale = true;
    bad.m.s.scaleX = 0.25f;
    bad.option(3).ok();
    EXPECT_EQ(bad.messages(), std::vector<QString>{"Bad scale points, try again."});
    EXPECT_FALSE(bad.m.s.traceMode || bad.m.frameScaleVisible);
    EXPECT_TRUE(bad.m.s.pixelScale && bad.m.s.pixelPairScale);
    EXPECT_EQ(std::tuple(bad.m.s.lastPointX, bad.m.s.scaleX, bad.m.s.areaFactor), std::tuple(1000.0f, 0.25f, 0.0f));

    ScaleFixture edge(1000, 1000, 1000, 1100);  // exactly 100 in one direction (the same x) passes
    edge.ok();
    EXPECT_FLOAT_EQ(edge.m.s.scaleX, 0.01f);
}

TEST(Scale, DistanceOptionsSetUnitsAndFactor)
{
    // Per twip for "10 miles" over 1000 twips; feet turn 10 into 5280.
    for (auto [option, scale, units, factor] :
         {std::tuple{0, 0.01f, " (mi) (mi^2)", 1.0f}, {1, 0.01f, " (mi) (acres)", 640.0f}, {2, 5.28f, " (ft) (ft^2)", 1.0f},
          {3, 5.28f, " (ft) (acres)", 2.2957E-05f}, {4, 5.28f, " (ft) (mi^2)", 3.587E-08f}}) {
        ScaleFixture u(1000, 1000, 2000, 1000);
        u.m.s.scaleY = 0.75f;  // the distance scale uses scaleX for both axes
        u.f.Text2 = "10 miles";
        u.option(option).ok();
        EXPECT_FLOAT_EQ(u.m.s.scaleX, scale) << option;
        EXPECT_EQ(std::tuple(u.m.s.scaleY, u.m.s.lengthUnits + u.m.s.areaUnits, u.m.s.areaFactor),
                  std::tuple(0.75f, QString(units), factor));
        EXPECT_TRUE(u.m.s.panZoomAllowed && !u.m.s.pixelScale);
    }
    ScaleFixture zero(0, 0, 1000, 0);  // a distance that is no number reads as 0
    zero.f.Text2 = "abc";
    zero.ok();
    EXPECT_TRUE(zero.m.s.scaleX == 0.0f && zero.messages().empty());
}

TEST(Scale, PixelKinds)
{
    ScaleFixture t;
    t.option(6).ok("100,200,300,400");
    EXPECT_EQ(t.asked(), "Enter pixel pairs as X1,Y1,X2,Y2:General Pixel Scaling");
    EXPECT_EQ(std::tuple(t.m.s.scaleX, t.m.s.scaleY, t.m.s.areaUnits), std::tuple(0.2f, 0.1f, QString(" (pix^2)")));
    EXPECT_TRUE(t.m.s.pixelScale && t.m.s.pixelPairScale && !t.m.s.longLatScale && !t.m.s.panZoomAllowed);
    EXPECT_EQ(std::pair(t.map(1000, 1000), t.map(2000, 3000)), std::pair(QPointF(100, 200), QPointF(300, 400)));

    // Longitude/latitude typed in either order (blanks and extra parts ignored).
    for (const char* reply : {"-105,40,-104,39", " -104 , 39,-105,40,ignored"}) {
        ScaleFixture ll;
        ll.option(7).ok(reply);
        EXPECT_EQ(ll.asked(), "Enter pixel pairs as XLong1,YLat1,XLong2,YLat2:Long/Lat Scaling");
        EXPECT_EQ(QPointF(ll.m.s.scaleX, ll.m.s.scaleY), QPointF(0.001f, -0.0005f));
        EXPECT_TRUE(ll.m.s.longLatScale);
        const double dx = reply[0] == ' ' ? 1 : 0;
        EXPECT_NEAR(ll.map(1000, 1000).x(), -105 + dx, 1e-4) << reply;
        EXPECT_NEAR(ll.map(2000, 3000).y(), 39 - dx, 1e-4) << reply;
    }
    // A new scale at 60 N forgets the origin a stream left at 40 N under the last one: a
    // degree of longitude at 60.5 N is 69.0933 x cos 60.5 = 34.0 mi (52.9 from 40 N).
    ScaleFixture again;
    std::tie(again.m.s.originLat, again.m.s.originLon, again.m.s.originSet) = std::tuple(40.0, -105.0, true);
    again.option(7).ok("-105,61,-104,60");
    again.trace("Start Stream Line", {{1000, 2000}, {2000, 2000}});
    EXPECT_EQ(again.m.s.streamLengthReport.toStdString(), "Longest Stream Lenth= 34.0 (mi)");

    // Screen pixels: the factor in force (after a zoom by 2 here) over the twips per pixel.
    for (float before : {1.0f, 0.5f}) {
        ScaleFixture px;
        px.m.s.scaleX = before;
        px.option(5).ok();
        EXPECT_FLOAT_EQ(px.m.s.scaleX, static_cast<float>(before / twips::perPixelX()));
        EXPECT_TRUE(px.m.s.pixelScale && !px.m.s.pixelPairScale && px.m.s.panZoomAllowed && px.ops.dlg.asked().empty());
    }
}

TEST(Scale, UnusableRepliesAndPointsAreRefusedWithNothingChanged)
{
    // Cancel (an empty reply) says nothing; an unusable reply says what to type.
    for (const char* reply :
         {"", "100,200,300", "100,abc,300,400", "100,,300,400", "1e39,0,0,0", "3e38,0,-3e38,0", "100;200;300;400"})
        for (int option : {6, 7}) {
            ScaleFixture t(1000, 1000, 2000, 3000, 7);
            t.option(option).ok(reply);
            ASSERT_EQ(t.messages().size(), *reply ? 1u : 0u) << reply;
            if (*reply) {
                EXPECT_TRUE(t.messages()[0].contains(option == 6 ? "X1,Y1,X2,Y2" : "XLong1,YLat1,XLong2,YLat2") &&
                            t.messages()[0].contains("Press Ok and type them again")) << reply;
            }
            t.expectUntouched(reply);
            t.ok("100,200,300,400");  // Ok again, typed properly
            EXPECT_TRUE(t.m.s.scaleX == 0.2f && t.m.s.traceMode == 0);
        }
    // Same x or same y: no pixel-pair scale exists; nothing is changed.
    for (auto [x2, y2] : {std::pair{1000.0f, 3000.0f}, {2000.0f, 1000.0f}})
        for (int option : {6, 7}) {
            ScaleFixture t(1000, 1000, x2, y2, 7);
            t.option(option).ok();
            EXPECT_TRUE(t.messages().at(0).contains("Click the second point again") && t.ops.dlg.asked().size() == 1);
            t.expectUntouched("same x or y");
        }
    ScaleFixture huge(1000, 1000, 2000, 3000, 7);  // a distance too large for a single
    huge.f.Text2 = "1e39";
    huge.ok();
    EXPECT_TRUE(huge.messages().at(0).contains("Type a smaller distance"));
    huge.expectUntouched("huge distance");
}

TEST(Scale, SpinnerFollowsMilesAndFeet)
{
    ScaleFixture t;
    auto spinner = [&] { return std::tuple(t.f.Text2, t.f.UpDownValue, t.f.UpDownIncrement, t.m.s.feetUnits); };
    // Feet: 5280 stepping by a mile, down to 5000 by 1000: scale_window_test.cpp.
    t.f.Text2 = "10";
    t.option(2).option(0);  // back to "Miles / Sq Miles"
    EXPECT_EQ(spinner(), std::tuple(QString("1"), 1, 1, false));
    ScaleFixture k;  // 20 to 50 stay either way
    k.f.Text2 = "30";
    for (int option : {3, 1, 4}) EXPECT_EQ(k.option(option).f.Text2, "30");

    // In feet the spinner stays at 1 at the bottom and at 100000 at the top.
    t.option(2);
    for (int v : {5280 * 2, 0, 4000, 0}) setUpDownValue(t.m, t.f, v);
    EXPECT_EQ(spinner(), std::tuple(QString("1"), 1, 1000, true));
    setUpDownValue(t.m, t.f, 200000);
    EXPECT_EQ(std::pair(t.f.UpDownValue, t.f.Text2), std::pair(100000, QString("100000")));

    ScaleFixture p;  // the pixel options keep the unit; before any unit the step is 1, never 0
    for (int option : {5, 6, 7}) EXPECT_EQ(p.option(option).f.UpDownIncrement, 1);
    EXPECT_EQ(p.option(4).option(6).f.UpDownIncrement, 5280);
}

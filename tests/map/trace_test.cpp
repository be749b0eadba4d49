// Tracing through the main menu and map clicks: completion, undo, clearing, scale
// points, the menu's state machine and refusals, and the hand-off to the runoff window.
#include <gtest/gtest.h>

#include <QPointF>

#include "map/handoff.h"
#include "map/picture/picture_menu.h"
#include "map/map_fixture.h"

using namespace corv;
using corv::test::MapFixture;

TEST(Trace, FiguresFollowOneAnotherInTheirStyles)
{
    // The report lines before any scale: tests/scenarios/trace_area.scn; the ring's
    // style: form1_window_test.cpp.
    MapFixture f;
    f.m.Image1.rect.Left = -300;  // segments live in viewport twips
    f.m.Image1.rect.Top = 200;
    f.m.Text1.Text = "kept\r\n";
    f.pick("Start Stream Line");
    f.clicks({{1300, 800}, {2300, 800}});
    EXPECT_EQ(f.m.Text1.Text, "kept\r\nStream X,Y Coordinates (mi)\r\n1000, 7000\r\n2000, 7000\r\n");
    const Segment& first = f.m.Line1(0);  // the stream style: width 2, blue
    EXPECT_EQ(std::tuple(first.BorderWidth, first.BorderColor, first.X1, first.Y1), std::tuple(2, 0x0000FFu, 1000.f, 1000.f));
    f.pick("End Area/Line");
    // No area yet: the centroid is the origin, nearest to the stream's first vertex.
    EXPECT_EQ(f.m.Label1[0].Caption, QString("\r\nLongest Stream Lenth= 1000 (mi)\r\nLength Below Centroid= 1000 (mi)"));
    EXPECT_TRUE(f.m.s.traceMode == 0 && !f.m.Shape1.Visible);
    // The very first figure with one segment gives its element back at completion.
    f.pick("Start Area");
    EXPECT_FALSE(f.m.s.panZoomAllowed);  // the picture may not move under an area
    EXPECT_EQ(f.m.s.traceStart(2), 0);
    f.clicks({{1000, 1000}, {2000, 2000}, {1000, 3000}});
    EXPECT_EQ(std::pair(f.m.Line1(0).X1, f.m.Line1(0).BorderWidth), std::pair(700.f, 3));
    f.pick("End Area/Line");
    f.pick("Start Area");  // the next area starts after the closing segment, in a new box
    EXPECT_EQ(f.m.s.traceStart(3), 3);
    f.click(2000, 2000);
    EXPECT_EQ(f.m.Text1.Text, "Area3 X,Y Coordinates   (mi)\r\n1700, 5800\r\n");
}

TEST(Trace, UndoCutsTheLastLine)
{
    MapFixture f;
    f.pick("Start Area");
    f.click(1000, 1000);
    f.pick("Undo Current Line");  // the first vertex: the next click starts again
    EXPECT_FALSE(f.m.Shape1.Visible);
    for (float x : {2000.f, 3000.f}) f.click(x, 2000);
    f.click(3000, 3000);
    f.pick("Undo Current Line");
    EXPECT_FALSE(f.m.Line1.exists(1));
    EXPECT_EQ(f.m.Text1.Text, "Area1 X,Y Coordinates   (mi)\r\n2000, 6000\r\n3000, 6000\r\n");
    f.pick("Undo Current Line");  // element 0 is hidden, never removed
    EXPECT_TRUE(f.m.Line1.exists(0) && !f.m.Line1(0).Visible);
    f.click(2500, 2500);
    EXPECT_TRUE(f.m.Line1(0).Visible && f.m.Line1(0).X1 == 2000);

    // The last line goes exactly, however long (large feet values make lines of more
    // than 22 characters); a box of one line is cut to nothing, not an error.
    for (int n : {21, 22, 23, 60, -1}) {
        f.click(3500, 3500);
        f.m.Text1.Text = n < 0 ? QString("xyz") : "Area1\r\n" + QString(n, 'c') + "\r\n";
        f.pick("Undo Current Line");
        EXPECT_EQ(f.m.Text1.Text, n < 0 ? QString() : QString("Area1\r\n")) << n;
    }
    EXPECT_TRUE(f.messages().empty());
}

TEST(Trace, ClearingFiguresAndAll)
{
    // Later figures cleared while traced: tests/scenarios/map_clear_while_tracing.scn.
    MapFixture f;
    f.pick("Start Area");  // the very first figure, cleared while traced, starts again
    f.clicks({{1000, 1000}, {3000, 1000}});
    f.pick("Clear Area/Line");
    EXPECT_EQ(std::tuple(f.m.s.traceMode, f.m.s.traceCount, f.m.s.areaCount, f.m.s.segmentIndex, f.m.Text1.Text),
              std::tuple(std::int16_t(1), std::int16_t(1), std::int16_t(1), std::int16_t(0), QString()));
    EXPECT_FALSE(f.m.Line1(0).Visible || f.m.Shape1.Visible);
    f.clicks({{1000, 1000}, {3000, 1000}, {3000, 3000}});  // segments 0..2
    f.pick("End Area/Line");
    EXPECT_EQ(f.m.s.areaReport, "Area1= 0.00, Perimeter= 6828 (mi)");
    f.pick("Add Label");
    f.trace("Start Area", {{4000, 1000}, {6000, 1000}, {6000, 3000}});  // segments 3..5
    f.pick("Add Label");
    f.pick("Clear Area/Line");  // the last figure and its label go
    EXPECT_EQ(std::tuple(f.m.Line1.highestIndex(), f.m.s.traceCount, f.m.s.areaCount), std::tuple(2L, std::int16_t(1), std::int16_t(1)));
    EXPECT_TRUE(f.m.Label1[0].Visible && !f.m.Label1[1].Visible);
    f.pick("Clear Area/Line");  // the first area goes; the count stays
    EXPECT_EQ(f.m.Line1.loadedCount(), 1);
    EXPECT_FALSE(f.m.Line1(0).Visible || f.m.Label1[0].Visible);
    EXPECT_EQ(std::pair(f.m.s.traceCount, f.m.s.areaCount), (std::pair<std::int16_t, std::int16_t>(0, 1)));

    // The picture menu's reset (clearAll) with a figure in progress: all goes, the scale stays.
    f.trace("Start Stream Line", {{1000, 4000}, {2000, 4000}, {3000, 4000}});
    f.pick("Start Area");
    f.clicks({{500, 500}, {800, 800}});
    f.m.s.scaleX = 0.25f;
    clearMapFigures(f.m, f.ops);
    EXPECT_EQ(std::pair(f.m.Line1.loadedCount(), f.m.Label1.size()), std::pair(1L, std::size_t(1)));
    EXPECT_FALSE(f.m.Line1(0).Visible || f.m.Label1[0].Visible || f.m.Shape1.Visible);
    EXPECT_EQ(std::vector<int>({f.m.s.segmentIndex, f.m.s.traceCount, f.m.s.areaCount}), std::vector<int>(3, 0));
    EXPECT_EQ(std::pair(f.m.s.traceMode, f.m.s.scaleX), std::pair(std::int16_t(1), 0.25f));  // mode and scale stay
    EXPECT_TRUE(f.messages().empty());
}

TEST(Trace, ScalePointsAndTheirUndo)
{
    // Ending scale-point mode measures nothing: tests/scenarios/map_longlat_scale.scn.
    MapFixture f;
    f.pick("Set Scale");
    f.clicks({{1000, 1000}, {5000, 1200}});
    EXPECT_TRUE(f.m.Shape1.Visible && f.m.Shape2.Visible && f.m.frameScaleVisible);
    EXPECT_EQ(f.ops.calls, std::vector<std::string>{"showScaleFrame"});
    f.pick("Undo Current Line");  // one undo removes both points
    EXPECT_FALSE(f.m.Shape1.Visible || f.m.Shape2.Visible);
    f.click(1500, 1500);
    EXPECT_TRUE(f.m.Shape1.Visible && !f.m.Shape2.Visible && !f.m.Line1(0).Visible);  // no segment in scale mode
}

TEST(MainMenu, StateMachineRefusalsAndPlacement)
{
    MapFixture f;
    f.m.Text1.Visible = true;
    f.pick("Cancel");
    EXPECT_FALSE(f.m.lstMenu1.Visible || f.m.Text1.Visible);
    f.pick("End Area/Line");  // idle, and no area to label: only captions
    f.pick("Add Label");
    EXPECT_TRUE(f.m.s.areaCount == 0 && !f.m.Label1[0].Visible);
    f.pick("Start Stream Line");
    f.pick("Start Area");  // refused while a stream is traced
    EXPECT_EQ(f.m.s.traceMode, 2);
    f.pick("Load/Save Map");  // back to idle (the scale kept whole: tests/scenarios/map_longlat_scale.scn)
    f.m.s.pixelScale = f.m.s.pixelPairScale = f.m.s.longLatScale = true;
    f.m.s.scaleX = 0.25f;
    f.m.Image1.Stretch = true;
    f.pick("Start Area");
    f.pick("Set Scale");  // below 0.5: the view and the whole scale are reset, the mode stays
    EXPECT_TRUE(f.m.s.traceMode == 1 && f.m.s.scaleX == 1.0f && f.m.s.scaleY == 1.0f && !f.m.Image1.Stretch);
    EXPECT_FALSE(f.m.s.pixelScale || f.m.s.pixelPairScale || f.m.s.longLatScale);
    EXPECT_EQ(f.m.caption, "Right Click for menu... then 'Set Scale': the map has no scale now");
    f.pick("Set Scale");
    EXPECT_EQ(f.m.s.traceMode, 3);
    f.pick("Save Area/Line");
    f.pick("Help");
    EXPECT_EQ(f.ops.calls, (std::vector<std::string>{"ZoomPic 1.000000", "ScrollPic 4", "saveCoordinateFile", "openHelp"}));
    EXPECT_TRUE(f.messages().empty());

    MapFixture g;  // viewport 12000 x 8000 twips, menu 3000 twips high
    g.rightClick(11000, 7000.4f);
    EXPECT_EQ(QPointF(g.m.lstMenu1.rect.Left, g.m.lstMenu1.rect.Top), QPointF(11000, 5000));  // bottom held, right not
    g.m.Image1.rect.Top = 100;
    g.rightClick(500, 1000.4f);
    EXPECT_DOUBLE_EQ(g.m.lstMenu1.rect.Top, 1100);
    g.m.lstMenu2.Visible = true;
    g.click(500, 500);  // idle: hides both menus, adds nothing
    EXPECT_FALSE(g.m.lstMenu1.Visible || g.m.lstMenu2.Visible || g.m.Shape1.Visible || !g.m.Text1.Text.isEmpty());
}

TEST(MainMenu, TwentyFirstFigureIsRefusedBeforeAnythingChanges)
{
    MapFixture f;
    for (int k = 0; k < 20; ++k) f.trace("Start Area", {});
    const QString caption = f.m.caption;
    f.pick("Start Area");
    EXPECT_EQ(f.messages(), std::vector<QString>{"Subscript out of range"});
    EXPECT_EQ(std::tuple(f.m.s.traceMode, f.m.s.traceCount, f.m.s.areaCount, f.m.Label1.size(), f.m.caption),
              (std::tuple<std::int16_t, std::int16_t, std::int16_t, std::size_t, QString>(0, 20, 20, 20, caption)));
    f.pick("Start Stream Line");
    f.pick("Clear Area/Line");  // makes room again
    f.pick("Start Stream Line");
    EXPECT_EQ(std::pair(f.messages().size(), f.m.s.traceMode), std::pair(std::size_t(2), std::int16_t(2)));
}

TEST(MainMenu, RunoffHandOffTakesTheReportNumbers)
{
    for (auto [report, number] : {std::pair{"Area1= 12.3 (mi^2), Perimeter= 4.00 (mi)", "12.3"},
                                  {"Length Below Centroid= 0.0500 (ft)", "0.0500"},
                                  {"Area1= 0.00, Perimeter= 12000 (mi)", "0.00,"}})  // no unit: the comma comes too
        EXPECT_EQ(reportNumberText(report), number);
    MapFixture f;
    f.pick("Runoff Hydrogaph");  // nothing measured yet
    ASSERT_TRUE(f.ops.handed);
    EXPECT_EQ(f.ops.handed->areaNumber, 0);
    EXPECT_FALSE(f.ops.handed->basinArea || f.ops.handed->streamLength || f.ops.handed->lengthBelowCentroid);
    f.milesScale();
    f.square();
    f.trace("Start Stream Line", {{512, 1536}, {1536, 1536}, {3072, 1536}});
    f.pick("Start Area");  // while a new area is traced, the last one is handed over
    f.pick("Runoff Hydrogaph");
    const BasinMeasurements& h = *f.ops.handed;
    EXPECT_EQ(std::tuple(h.areaNumber, *h.basinArea, *h.streamLength, *h.lengthBelowCentroid, h.areaUnits + h.lengthUnits),
              std::tuple(2, QString("1.00"), QString("2.50"), QString("1.50"), QString(" (mi^2) (mi)")));
    // A later scale does not relabel what was measured before (640 acres stay acres):
    // tests/scenarios/map_picture_cancels.scn.
}

// Tracing through the main menu and map clicks: vertices, completion, undo, clearing,
// scale points and the trace state machine.
#include <gtest/gtest.h>

#include "common/numbers.h"
#include "map/trace.h"
#include "map_fixture.h"

using namespace corv;
using corv::test::MapFixture;

TEST(Trace, ThreeVertexAreaClosesTheRingAndReports)
{
    MapFixture f;
    f.pick("Start Area");
    EXPECT_EQ(f.m.caption, "Left click area boundary...");
    EXPECT_EQ(f.m.Image1.MousePointer, 2);
    EXPECT_FALSE(f.m.s.panZoomAllowed);
    f.click(1000, 1000);
    EXPECT_TRUE(f.m.Shape1.Visible);
    EXPECT_DOUBLE_EQ(f.m.Shape1.rect.Left, 1000 - 67.5);
    EXPECT_EQ(f.m.s.segmentIndex, 0);
    f.click(4000, 1000);
    f.click(1000, 5000);
    EXPECT_EQ(f.m.s.segmentIndex, 2);
    f.pick("End Area/Line");

    // Three segments, the third the closing one in the area style.
    EXPECT_EQ(f.m.Line1.highestIndex(), 2);
    EXPECT_EQ(f.m.s.segmentIndex, 2);
    const Segment& closing = f.m.Line1(2);
    EXPECT_EQ(closing.BorderWidth, 3);
    EXPECT_EQ(closing.BorderColor, 0u);
    EXPECT_TRUE(closing.Visible);
    EXPECT_FLOAT_EQ(closing.X1, 1000);
    EXPECT_FLOAT_EQ(closing.Y1, 5000);
    EXPECT_FLOAT_EQ(closing.X2, 1000);
    EXPECT_FLOAT_EQ(closing.Y2, 1000);
    EXPECT_EQ(f.m.Line1(0).BorderWidth, 3);

    // Before any scale: twips as miles, no area factor and no area unit label.
    const QStringList expected = {"Area1 X,Y Coordinates   (mi)",
                                  "1000, 7000",
                                  "4000, 7000",
                                  "1000, 3000",
                                  "1000, 7000",
                                  "Xmin 1000, Ymin 3000, Xmax 4000, Ymax 7000",
                                  "Area1= 0.00, Perimeter= 12000 (mi), Centroid= 1750, 6000",
                                  ""};
    EXPECT_EQ(f.lines(), expected);
    EXPECT_EQ(f.m.s.areaReport, "Area1= 0.00, Perimeter= 12000 (mi)");
    EXPECT_EQ(f.m.Label1[0].Caption, f.m.s.areaReport);
    EXPECT_TRUE(f.m.Text1.Visible);
    EXPECT_EQ(f.m.Text1.SelStart, f.m.Text1.Text.size());
    EXPECT_EQ(f.m.caption, "Right click coordinate text box to save... or select 'Add Label' from menu");
    EXPECT_EQ(f.m.s.traceMode, 0);
    EXPECT_EQ(f.m.s.lastTraceType, 1);
    EXPECT_EQ(f.m.Image1.MousePointer, 0);
    EXPECT_FALSE(f.m.Shape1.Visible);

    // A second area starts after the closing segment and replaces the box.
    f.pick("Start Area");
    EXPECT_EQ(f.m.s.traceStart(2), 3);
    ASSERT_EQ(f.m.Label1.size(), 2u);
    f.click(2000, 2000);
    EXPECT_EQ(f.m.Text1.Text, "Area2 X,Y Coordinates   (mi)\r\n2000, 6000\r\n");
    f.click(3000, 2000);
    EXPECT_TRUE(f.m.Line1.exists(3));
}

TEST(Trace, StreamLineIsBlueAndAppends)
{
    MapFixture f;
    f.m.Image1.rect.Left = -300;  // a scrolled picture: segments live in viewport twips
    f.m.Image1.rect.Top = 200;
    f.m.Text1.Text = "kept\r\n";
    f.pick("Start Stream Line");
    EXPECT_EQ(f.m.caption, "Left click longest stream...");
    EXPECT_TRUE(f.m.s.panZoomAllowed);
    f.click(1300, 800);
    f.click(2300, 800);
    EXPECT_EQ(f.m.Text1.Text, "kept\r\nStream X,Y Coordinates (mi)\r\n1000, 7000\r\n2000, 7000\r\n");
    const Segment& s0 = f.m.Line1(0);
    EXPECT_EQ(s0.BorderWidth, 2);
    EXPECT_EQ(s0.BorderColor, 0x0000FFu);
    EXPECT_FLOAT_EQ(s0.X1, 1000);
    EXPECT_FLOAT_EQ(s0.Y1, 1000);
    EXPECT_DOUBLE_EQ(f.m.Shape1.rect.Top, 1000 - 67.5);

    // The very first figure with one segment gives its element back at completion.
    f.pick("End Area/Line");
    EXPECT_EQ(f.m.s.segmentIndex, 0);
    EXPECT_EQ(f.m.s.streamLengthReport, "Longest Stream Lenth= 1000 (mi)");
    EXPECT_EQ(f.m.Label1[0].Caption, QString("\r\nLongest Stream Lenth= 1000 (mi)\r\nLength Below Centroid= 0.00 (mi)"));
    EXPECT_EQ(f.m.s.areaCount, 1);
    f.pick("Start Area");
    EXPECT_EQ(f.m.s.traceStart(2), 0);
    f.click(1000, 1000);
    f.click(2000, 2000);
    EXPECT_FLOAT_EQ(f.m.Line1(0).X1, 700);
    EXPECT_EQ(f.m.Line1(0).BorderWidth, 3);
}

TEST(Trace, UndoCutsTheLastLine)
{
    MapFixture f;
    f.pick("Start Area");
    f.click(1000, 1000);
    const QString afterFirst = f.m.Text1.Text;
    f.pick("Undo Current Line");
    EXPECT_FALSE(f.m.Shape1.Visible);
    EXPECT_EQ(f.m.s.lastPointX, 0);
    EXPECT_EQ(f.m.Text1.Text, afterFirst);
    f.click(2000, 2000);  // starts again with a new header
    EXPECT_EQ(f.m.Text1.Text, "Area1 X,Y Coordinates   (mi)\r\n2000, 6000\r\n");
    f.click(3000, 2000);
    f.click(3000, 3000);
    EXPECT_EQ(f.m.s.segmentIndex, 2);

    f.pick("Undo Current Line");
    EXPECT_FALSE(f.m.Line1.exists(1));
    EXPECT_EQ(f.m.s.segmentIndex, 1);
    EXPECT_FLOAT_EQ(f.m.s.lastPointX, 3000);
    EXPECT_FLOAT_EQ(f.m.s.lastPointY, 2000);
    EXPECT_EQ(f.m.Text1.Text, "Area1 X,Y Coordinates   (mi)\r\n2000, 6000\r\n3000, 6000\r\n");
    EXPECT_EQ(f.m.Text1.SelStart, f.m.Text1.Text.size());
    EXPECT_TRUE(f.m.Text1.Visible);

    f.pick("Undo Current Line");  // element 0 is hidden, never removed
    EXPECT_TRUE(f.m.Line1.exists(0));
    EXPECT_FALSE(f.m.Line1(0).Visible);
    EXPECT_EQ(f.m.s.segmentIndex, 0);
    f.click(2500, 2500);
    EXPECT_TRUE(f.m.Line1(0).Visible);
    EXPECT_FLOAT_EQ(f.m.Line1(0).X1, 2000);

    // A last line of 22 characters goes exactly; a longer one leaves n - 24 characters.
    f.click(3000, 3000);
    const QString head = "Area1\r\n";
    f.m.Text1.Text = head + QString(22, 'a') + "\r\n";
    f.pick("Undo Current Line");
    EXPECT_EQ(f.m.Text1.Text, head);
    f.click(3500, 3500);
    f.m.Text1.Text = head + QString(23, 'b') + "\r\n";
    f.pick("Undo Current Line");
    EXPECT_EQ(f.m.Text1.Text, head + "b");
    // A box shorter than the search window is cut to nothing, not an error.
    f.click(3500, 3500);
    f.m.Text1.Text = "xyz";
    f.pick("Undo Current Line");
    EXPECT_EQ(f.m.Text1.Text, "");
    EXPECT_TRUE(f.messages().empty());
}

TEST(Trace, ClearingFiguresAndAll)
{
    MapFixture f;
    f.trace("Start Area", {{1000, 1000}, {3000, 1000}, {3000, 3000}});  // segments 0..2
    f.pick("Add Label");
    f.trace("Start Area", {{4000, 1000}, {6000, 1000}, {6000, 3000}});  // segments 3..5
    f.pick("Add Label");
    EXPECT_TRUE(f.m.Label1[1].Visible);
    EXPECT_EQ(f.m.s.areaCount, 2);

    f.pick("Clear Area/Line");
    EXPECT_EQ(f.m.caption, "Mouse Right Click for menu...");
    EXPECT_EQ(f.m.Line1.highestIndex(), 2);
    EXPECT_EQ(f.m.s.segmentIndex, 2);
    EXPECT_EQ(f.m.s.traceCount, 1);
    EXPECT_EQ(f.m.s.areaCount, 1);
    EXPECT_EQ(f.m.s.lastTraceType, 2);
    EXPECT_FALSE(f.m.Label1[1].Visible);
    EXPECT_TRUE(f.m.Label1[0].Visible);

    f.pick("Clear Area/Line");  // the first area goes; the count stays
    EXPECT_EQ(f.m.Line1.loadedCount(), 1);
    EXPECT_FALSE(f.m.Line1(0).Visible);
    EXPECT_EQ(f.m.s.segmentIndex, 0);
    EXPECT_EQ(f.m.s.traceCount, 0);
    EXPECT_EQ(f.m.s.areaCount, 1);
    EXPECT_EQ(f.m.s.lastTraceType, 1);
    EXPECT_FALSE(f.m.Label1[0].Visible);

    // Clearing everything (the picture menu's reset) with a figure in progress.
    MapFixture g;
    g.trace("Start Area", {{1000, 1000}, {3000, 1000}, {3000, 3000}});
    g.trace("Start Stream Line", {{1000, 4000}, {2000, 4000}, {3000, 4000}});
    g.pick("Start Area");
    g.click(500, 500);
    g.click(800, 800);
    g.m.s.clearAll = true;
    Tracer(g.m, g.ops).ClearCurrentTrace();
    EXPECT_EQ(g.m.Line1.loadedCount(), 1);
    EXPECT_FALSE(g.m.Line1(0).Visible);
    EXPECT_EQ(g.m.s.segmentIndex, 0);
    EXPECT_EQ(g.m.s.traceCount, 0);
    EXPECT_EQ(g.m.s.areaCount, 0);
    EXPECT_FALSE(g.m.Shape1.Visible);
    EXPECT_EQ(g.m.s.lastPointX, 0);
    EXPECT_EQ(g.m.s.traceMode, 1);  // clearing never changes the mode
    EXPECT_TRUE(g.messages().empty());
}

TEST(Trace, ScalePointsAndTheirUndo)
{
    MapFixture f;
    f.rightClick(2000, 3000);
    f.pick("Set Scale");
    EXPECT_EQ(f.m.caption, "Left Click 1st Point on Scale");
    EXPECT_EQ(f.m.s.traceMode, 3);
    EXPECT_EQ(f.m.Image1.MousePointer, 2);
    f.click(1000, 1000);
    EXPECT_TRUE(f.m.Shape1.Visible);
    EXPECT_EQ(f.m.caption, "Left Click 2nd Point on Scale");
    f.click(5000, 1200);
    EXPECT_TRUE(f.m.Shape2.Visible);
    EXPECT_FLOAT_EQ(f.m.s.scalePoint2X, 5000);
    EXPECT_FLOAT_EQ(f.m.s.scalePoint2Y, 1200);
    EXPECT_EQ(f.m.Image1.MousePointer, 0);
    EXPECT_TRUE(f.m.frameScaleVisible);
    EXPECT_DOUBLE_EQ(f.m.frameScaleRect.Top, 3000);
    EXPECT_DOUBLE_EQ(f.m.frameScaleRect.Left, 2000);
    EXPECT_EQ(f.ops.calls, std::vector<std::string>{"showScaleFrame"});
    EXPECT_EQ(f.m.s.traceMode, 3);

    f.pick("Undo Current Line");  // one undo removes both points
    EXPECT_FALSE(f.m.Shape1.Visible);
    EXPECT_FALSE(f.m.Shape2.Visible);
    EXPECT_EQ(f.m.s.lastPointX, 0);
    f.click(1500, 1500);
    EXPECT_TRUE(f.m.Shape1.Visible);
    EXPECT_FALSE(f.m.Shape2.Visible);
    EXPECT_EQ(f.m.Line1(0).Visible, false);  // no segment in scale mode

    // Ending in scale mode measures the last figure again as a line.
    MapFixture g;
    g.trace("Start Area", {{1000, 1000}, {3000, 1000}, {3000, 3000}});
    g.pick("Set Scale");
    g.click(1000, 1000);
    g.pick("End Area/Line");
    EXPECT_FALSE(g.m.Shape1.Visible);
    EXPECT_EQ(g.m.s.lastTraceType, 3);
    EXPECT_EQ(g.m.s.traceMode, 0);
    EXPECT_EQ(g.m.s.streamLengthReport, "Longest Stream Lenth= 6828 (mi)");
    EXPECT_EQ(g.m.Label1[0].Caption, g.m.s.areaReport + "\r\n" + g.m.s.streamLengthReport + "\r\n" +
                                         g.m.s.belowCentroidReport);
}

TEST(MainMenu, StateMachineAndRefusals)
{
    MapFixture f;
    EXPECT_TRUE(f.m.lstMenu1.Visible);
    f.m.Text1.Visible = true;
    f.pick("Cancel");
    EXPECT_FALSE(f.m.lstMenu1.Visible);
    EXPECT_FALSE(f.m.Text1.Visible);
    EXPECT_EQ(f.m.caption, MapModel::startCaption());

    f.pick("End Area/Line");  // idle: only the caption
    EXPECT_EQ(f.m.caption, "Right click coordinate text box to save... or select 'Add Label' from menu");
    EXPECT_EQ(f.m.s.areaCount, 0);
    f.pick("Add Label");  // no area: only the caption
    EXPECT_EQ(f.m.caption, "Left click label and drag to a location...");
    EXPECT_FALSE(f.m.Label1[0].Visible);

    f.pick("Start Stream Line");
    f.pick("Start Area");  // refused while a stream is traced
    EXPECT_EQ(f.m.s.traceMode, 2);
    EXPECT_EQ(f.m.s.areaCount, 0);
    EXPECT_EQ(f.m.caption, "Left click longest stream...");

    f.m.s.pixelScale = f.m.s.pixelPairScale = f.m.s.longLatScale = true;
    f.m.s.scaleX = 0.25f;
    f.pick("Load/Save Map");  // back to idle and the distance scale; factors stay
    EXPECT_EQ(f.m.s.traceMode, 0);
    EXPECT_FALSE(f.m.s.pixelScale || f.m.s.pixelPairScale || f.m.s.longLatScale);
    EXPECT_FLOAT_EQ(f.m.s.scaleX, 0.25f);
    EXPECT_TRUE(f.m.lstMenu2.Visible);

    f.m.Image1.Stretch = true;
    f.pick("Start Area");
    f.pick("Set Scale");  // below 0.5: the view is reset and the mode stays
    EXPECT_EQ(f.m.s.traceMode, 1);
    EXPECT_FLOAT_EQ(f.m.s.scaleX, 1.0f);
    EXPECT_FLOAT_EQ(f.m.s.scaleY, 1.0f);
    EXPECT_FALSE(f.m.Image1.Stretch);
    EXPECT_TRUE(f.m.s.panZoomAllowed);
    EXPECT_EQ(f.ops.calls, (std::vector<std::string>{"ZoomPic 1.000000", "ScrollPic 4"}));
    f.pick("Set Scale");
    EXPECT_EQ(f.m.s.traceMode, 3);

    f.pick("Save Area/Line");
    f.pick("Help");
    EXPECT_EQ(f.ops.calls.back(), "openHelp");
    EXPECT_EQ(f.ops.calls[2], "saveCoordinateFile");
    EXPECT_TRUE(f.messages().empty());
}

TEST(MainMenu, MapClicksAndMenuPlacement)
{
    MapFixture f;  // viewport 12000 x 8000 twips, menu 3000 twips high
    f.rightClick(11000, 7000.4f);
    EXPECT_TRUE(f.m.lstMenu1.Visible);
    EXPECT_DOUBLE_EQ(f.m.lstMenu1.rect.Top, 5000);  // bottom edge on the viewport's
    EXPECT_DOUBLE_EQ(f.m.lstMenu1.rect.Left, 11000);  // partly outside at the right
    EXPECT_DOUBLE_EQ(f.m.s.dragStartY, 7000.4f);
    f.m.Image1.rect.Top = 100;
    f.rightClick(500, 1000.4f);
    EXPECT_DOUBLE_EQ(f.m.lstMenu1.rect.Top, 1100);

    f.m.lstMenu2.Visible = true;
    f.click(500, 500);  // idle: hides both menus, adds nothing
    EXPECT_FALSE(f.m.lstMenu1.Visible);
    EXPECT_FALSE(f.m.lstMenu2.Visible);
    EXPECT_TRUE(f.m.Text1.Text.isEmpty());
    EXPECT_FALSE(f.m.Shape1.Visible);
    MapMenu(f.m, f.ops).mapClick(4, 0, 500, 500);  // other buttons: nothing
    EXPECT_FALSE(f.m.lstMenu1.Visible);
}

TEST(MainMenu, TwentyFirstFigureIsRefusedBeforeAnythingChanges)
{
    MapFixture f;
    for (int k = 0; k < 20; ++k) {
        f.pick("Start Area");
        f.pick("End Area/Line");
    }
    EXPECT_EQ(f.m.s.traceCount, 20);
    EXPECT_EQ(f.m.s.areaCount, 20);
    const QString caption = f.m.caption;
    f.pick("Start Area");
    ASSERT_EQ(f.messages().size(), 1u);
    EXPECT_EQ(f.messages()[0], "Subscript out of range");
    EXPECT_EQ(f.m.s.traceMode, 0);
    EXPECT_EQ(f.m.s.traceCount, 20);
    EXPECT_EQ(f.m.s.areaCount, 20);
    EXPECT_EQ(f.m.caption, caption);
    EXPECT_EQ(f.m.Label1.size(), 20u);
    f.pick("Start Stream Line");
    EXPECT_EQ(f.messages().size(), 2u);
    EXPECT_EQ(f.m.s.traceMode, 0);
    // Clearing a figure makes room again.
    f.pick("Clear Area/Line");
    f.pick("Start Stream Line");
    EXPECT_EQ(f.messages().size(), 2u);
    EXPECT_EQ(f.m.s.traceMode, 2);
}

TEST(MainMenu, RunoffHandOffTakesTheReportNumbers)
{
    MapFixture f;
    f.pick("Runoff Hydrogaph");  // nothing measured yet
    ASSERT_TRUE(f.ops.handed);
    EXPECT_EQ(f.ops.handed->areaNumber, 0);
    EXPECT_FALSE(f.ops.handed->basinArea || f.ops.handed->streamLength || f.ops.handed->lengthBelowCentroid);
    EXPECT_EQ(f.ops.handed->lengthUnits, " (mi)");

    f.milesScale();
    f.trace("Start Area", {{1024, 1024}, {2048, 1024}, {2048, 2048}, {1024, 2048}});
    f.pick("Runoff Hydrogaph");
    EXPECT_EQ(f.ops.handed->areaNumber, 1);
    EXPECT_EQ(f.ops.handed->basinArea, "1.00");
    EXPECT_FALSE(f.ops.handed->streamLength);
    EXPECT_EQ(f.ops.handed->areaUnits, " (mi^2)");
    // While a new area is traced, the area handed over is still the last one.
    f.pick("Start Area");
    f.pick("Runoff Hydrogaph");
    EXPECT_EQ(f.ops.handed->areaNumber, 2);
    EXPECT_EQ(f.ops.handed->basinArea, "1.00");
}

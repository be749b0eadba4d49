// Basin geometry: area, perimeter, centroid, stream lengths and the report lines in
// each scale kind, degenerate figures and failures.
#include <gtest/gtest.h>

#include "map/geometry.h"
#include "map/map_fixture.h"

using namespace corv;
using corv::test::MapFixture;

TEST(Geometry, UnitSquareEitherWay)
{
    // 1024 twips to the mile; the viewport is 8000 twips high, so y = (8000 - Y) / 1024.
    for (const test::Points& ring : {test::Points{{1024, 1024}, {2048, 1024}, {2048, 2048}, {1024, 2048}},
                                     test::Points{{1024, 1024}, {1024, 2048}, {2048, 2048}, {2048, 1024}}}) {
        MapFixture f;
        f.milesScale();
        f.trace("Start Area", ring);
        EXPECT_EQ(f.lastLine(), "Area1= 1.00 (mi^2), Perimeter= 4.00 (mi), Centroid= 1.50, 6.31") << ring[1].first;
        EXPECT_FLOAT_EQ(f.m.s.areaCentroidY, 6.3125f);
        EXPECT_TRUE(f.lines().contains("Xmin 1, Ymin 5.8125, Xmax 2, Ymax 6.8125"));
    }
}

TEST(Geometry, StreamBelowTheAreaCentroid)
{
    // Streams through the centroid and to its nearest point: tests/scenarios/trace_area.scn,
    // stream_two_clicks.scn.
    MapFixture f;
    f.milesScale();
    f.square();  // centroid (1.5, 6.3125)
    f.trace("Start Stream Line", {{512, 1536}, {1536, 1536}, {3072, 1536}});
    EXPECT_EQ(f.m.Label1[0].Caption, "Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)\r\n"
                                     "Longest Stream Lenth= 2.50 (mi)\r\nLength Below Centroid= 1.50 (mi)");
    // A slanted stream moves the reference to its own centroid; clearing it brings the area's back.
    f.trace("Start Stream Line", {{0, 0}, {1024, 1024}, {2048, 3072}});
    EXPECT_NE(f.m.s.centroidX, 1.5f);
    f.pick("Clear Area/Line");
    f.trace("Start Stream Line", {{512, 1536}, {1536, 1536}, {3072, 1536}});
    EXPECT_EQ(f.m.s.belowCentroidReport, "Length Below Centroid= 1.50 (mi)");
}

TEST(Geometry, DegenerateFigures)
{
    MapFixture f;  // a stream with no segment: extents at their starting values, lengths 0.00
    f.trace("Start Stream Line", {{1000, 1000}});
    EXPECT_TRUE(f.lines().contains("Xmin 1E+38, Ymin 1E+38, Xmax -1E+38, Ymax -1E+38"));
    EXPECT_EQ(f.lastLine(), "Longest Stream Lenth= 0.00 (mi), Length Below Centroid= 0.00 (mi)");
    MapFixture g;  // the very first area with only its first vertex: no closing segment
    g.trace("Start Area", {{1000, 1000}});
    EXPECT_TRUE(g.m.Line1.loadedCount() == 1 && !g.m.Line1(0).Visible);
    EXPECT_EQ(g.lastLine(), "Area1= 0.00, Perimeter= 0.00 (mi), Centroid= 0.00, 0.00");
    MapFixture h;  // collinear vertices carry the previous figure's centroid
    h.milesScale();
    h.square();
    h.trace("Start Area", {{1024, 4096}, {2048, 4096}, {3072, 4096}});
    EXPECT_EQ(h.m.s.areaCentroidReport, "Area2= 0.00 (mi^2), Perimeter= 4.00 (mi), Centroid= 1.50, 6.31");
    // Slanted, with values not exact in binary: the sums are rounding noise, not a centroid.
    h.m.s.scaleX = 0.1f;
    h.trace("Start Area", {{1000, 1000}, {1300, 1700}, {1600, 2400}});
    EXPECT_EQ(std::pair(h.m.s.areaCentroidX, h.m.s.areaCentroidY), std::pair(1.5f, 6.3125f));
}

TEST(Geometry, OldPixelScaleUsesUnroundedPixels)
{
    // Longitude/latitude and the pixel-pair scale: tests/scenarios/map_longlat_scale.scn,
    // map_picture_cancels.scn.
    MapFixture f;
    f.pixelUnits();
    std::tie(f.m.s.scaleX, f.m.Image1.rect.Left, f.m.Image1.rect.Top) = std::tuple(1.0f / 15, 150., 300.);
    f.trace("Start Area", {{1000, 1000}, {2500, 1000}, {2500, 2000}});
    // The triangle's centroid is the mean of its corners, (66.67 + 2 x 166.67) / 3 and
    // (2 x 66.67 + 133.33) / 3 (edge midpoints gave 142, 83.3 for the slanted edge).
    EXPECT_EQ(f.lines(), QStringList({"Area1 X,Y Coordinates   (pix)", "66, 66", "166, 66", "166, 133", "66, 66",
                                      "Xmin 66.66667, Ymin 66.66667, Xmax 166.6667, Ymax 133.3333",
                                      "Area1= 3333 (pix^2), Perimeter= 287 (pix), Centroid= 133, 88.9", ""}));
}

TEST(Geometry, FailureShowsItsTextAndKeepsWhatWasWritten)
{
    MapFixture f, g;
    for (MapFixture* x : {&f, &g}) x->trace("Start Area", {{1000, 1000}, {2000, 1000}, {2000, 2000}});
    f.m.s.scaleX = 3e38f;  // every converted point overflows single precision
    f.m.s.traceMode = 1;
    const QString before = f.m.Text1.Text;
    ComputeTraceStats(f.m, f.ops.dlg);
    EXPECT_EQ(f.messages(), std::vector<QString>{"Overflow"});
    EXPECT_EQ(f.m.Text1.Text, before);
    g.m.s.segmentIndex = 7;  // a figure whose segments are gone: the missing element is reported
    ComputeTraceStats(g.m, g.ops.dlg);
    EXPECT_EQ(g.messages(), std::vector<QString>{"Control array element '3' doesn't exist"});
}

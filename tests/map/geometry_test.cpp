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
    MapFixture f;
    f.milesScale();
    f.square();  // centroid (1.5, 6.3125)
    // Stream vertices at x 0.5, 1.5 (on the centroid), 3.0: the part below it is 1.5.
    f.trace("Start Stream Line", {{512, 1536}, {1536, 1536}, {3072, 1536}});
    EXPECT_EQ(f.lastLine(), "Longest Stream Lenth= 2.50 (mi), Length Below Centroid= 1.50 (mi)");
    EXPECT_TRUE(f.lines()[0] == "Area1 X,Y Coordinates   (mi)" && f.lines().contains("0.5, 6.3125"));  // appended
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

TEST(Geometry, LongitudeLatitudeInMilesFromTheKeptOrigin)
{
    // A stream before any area (from its own first point), a new scale's origin, a
    // triangle worked by hand: tests/scenarios/map_longlat_scale.scn.
    MapFixture f;
    MapState& s = f.m.s;
    s.pixelScale = s.pixelPairScale = s.longLatScale = true;
    std::tie(s.scaleX, s.scaleY, s.refMapX, s.refMapY, s.areaFactor) = std::tuple(0.001f, -0.001f, -105.f, 40.f, 1.f);
    s.areaUnits = " (mi^2)";
    // A one-degree square from 104 W 39 N to 103 W 38 N.
    f.trace("Start Area", {{1000, 1000}, {2000, 1000}, {2000, 2000}, {1000, 2000}});
    const QStringList l = f.lines();
    EXPECT_EQ(QStringList({l[1], l[3], l[6], l[7]}),
              QStringList({"-104, 39", "-103, 38", "Xmin -104, Ymin 38, Xmax -103, Ymax 39",
                           "Area1= 3710 (mi^2), Perimeter= 246 (mi), Centroid= 26.84779, -34.54665"}));
    EXPECT_EQ(std::pair(s.originLat, s.originLon), std::pair(39.0, -104.0));
    // A stream is measured from the kept origin; its extents stay in degrees.
    f.trace("Start Stream Line", {{1500, 500}, {1500, 1500}, {1500, 2500}});
    EXPECT_EQ(f.lastLine(), "Longest Stream Lenth= 138 (mi), Length Below Centroid= 69.1 (mi)");
    EXPECT_TRUE(f.lines().contains("Xmin -103.5, Ymin 37.5, Xmax -103.5, Ymax 39.5"));
}

TEST(Geometry, ExactCentroidOfASlantedTriangle)
{
    MapFixture f, g;
    f.pixelUnits();
    g.pixelUnits();
    const MapState& s = f.m.s;
    // The corners' mean: (100 + 300 + 300) / 3, (200 + 200 + 400) / 3 (edge midpoints
    // gave 250, 250). Perimeter 200 + 200 + 282.84.
    f.trace("Start Area", {{100, 200}, {300, 200}, {300, 400}});
    EXPECT_EQ(s.areaCentroidReport, "Area1= 20000 (pix^2), Perimeter= 683 (pix), Centroid= 233.3333, 266.6667");
    // The point of the stream nearest the centroid is straight above it, at x 233.33,
    // between the vertices at 230 and 255: 400 - 233.33 = 166.67 lies below it.
    f.trace("Start Stream Line", {{0, 260}, {230, 260}, {255, 260}, {400, 260}});
    EXPECT_EQ(f.lastLine(), "Longest Stream Lenth= 400 (pix), Length Below Centroid= 167 (pix)");
    // Any corner order and direction gives the same centroid.
    g.trace("Start Area", {{300, 400}, {300, 200}, {100, 200}});
    EXPECT_EQ(std::pair(g.m.s.areaCentroidX, g.m.s.areaCentroidY), std::pair(233.333328f, 266.666656f));
}

TEST(Geometry, OldPixelScaleUsesUnroundedPixels)
{
    MapFixture f;
    f.pixelUnits(false);
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

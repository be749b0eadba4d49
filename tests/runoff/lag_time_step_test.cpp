// Lag, slope, C and the automatic time step from the basin boxes.
#include <gtest/gtest.h>

#include <map>

#include "runoff/lag_time_step.h"

using namespace corv;

namespace {

// The basin boxes in memory; like the window, a changed text raises the box's change
// handler before setText returns.
class FakeBoxes : public LagBoxes {
public:
    std::map<LagBox, QString> boxes{{LagBox::txtelv1, ""},  {LagBox::txtElv2, ""}, {LagBox::txtL, ""},
                                    {LagBox::txtLca, ""},   {LagBox::txtS, "1"},   {LagBox::txtC, "1"},
                                    {LagBox::txtLag, "1"},  {LagBox::txtGraphtimestep, "15"}};
    QString lblL = "Stream Length (mi)";
    QString label14 = "Hydrograph Time Step (minutes)";
    bool ticked = true;
    QString method = "Select Dimensionless Graph";
    int writes = 0;

    QString text(LagBox b) const override { return boxes.at(b); }
    void setText(LagBox b, const QString& t) override
    {
        ++writes;
        if (boxes[b] == t) return;
        boxes[b] = t;
        if (b == LagBox::txtC) txtC_Change(*this);
        if (b == LagBox::txtLag) txtLag_Change(*this);
    }
    QString lengthCaption() const override { return lblL; }
    void setTimeStepCaption(const QString& c) override { label14 = c; }
    bool autoTimeStep() const override { return ticked; }
    QString methodText() const override { return method; }

    // The user types a whole text (no change handler on the elevation and length boxes).
    void basin(const QString& e1, const QString& e2, const QString& l, const QString& lca)
    {
        boxes[LagBox::txtelv1] = e1;
        boxes[LagBox::txtElv2] = e2;
        boxes[LagBox::txtL] = l;
        boxes[LagBox::txtLca] = lca;
    }
    QString operator[](LagBox b) const { return boxes.at(b); }
};

}  // namespace

TEST(LagTimeStep, BasinsOfTheWorkedExamples)
{
    FakeBoxes b;
    b.basin("5000", "4000", "10", "5");
    txtElevation_LostFocus(b);
    EXPECT_EQ(b[LagBox::txtC], "1.51");
    EXPECT_EQ(b[LagBox::txtS], "100");
    EXPECT_EQ(b[LagBox::txtLag], "2.56");
    EXPECT_EQ(b.label14, "Hydrograph Time Step (minutes)");
    EXPECT_EQ(b[LagBox::txtGraphtimestep], "15");

    // The same basin measured in feet.
    FakeBoxes ft;
    ft.lblL = "Stream Length (ft)";
    ft.basin("5000", "4000", "52800", "26400");
    Getbasinstats(ft);
    EXPECT_EQ(ft[LagBox::txtC], "1.51");
    EXPECT_EQ(ft[LagBox::txtS], "100");
    EXPECT_EQ(ft[LagBox::txtLag], "2.56");
    EXPECT_EQ(ft[LagBox::txtGraphtimestep], "15");

    FakeBoxes small;
    small.basin("1200", "1000", "2", "1");
    Getbasinstats(small);
    EXPECT_EQ(small[LagBox::txtLag], "0.89");
    EXPECT_EQ(small[LagBox::txtGraphtimestep], "5");
    EXPECT_EQ(small.label14, "Hydrograph Time Step (minutes)");

    FakeBoxes large;
    large.label14 = "Hydrograph Time Step (minutes)";
    large.basin("3000", "1000", "40", "20");
    Getbasinstats(large);
    EXPECT_EQ(large[LagBox::txtC], "1.36");
    EXPECT_EQ(large[LagBox::txtS], "50");
    EXPECT_EQ(large[LagBox::txtLag], "6.48");
    EXPECT_EQ(large.label14, "Hydrograph Time Step (hours)");
    EXPECT_EQ(large[LagBox::txtGraphtimestep], "2");
}

TEST(LagTimeStep, TypedCUsesHalfTheStepRatio)
{
    FakeBoxes b;
    b.basin("5000", "4000", "10", "5");
    b.setText(LagBox::txtC, "1.51");
    EXPECT_EQ(b[LagBox::txtS], "100");
    EXPECT_EQ(b[LagBox::txtLag], "2.57");
    EXPECT_EQ(b[LagBox::txtGraphtimestep], "10");  // lag / 11, not lag / 5.5

    // Elevations compared as numbers: "999" is below "1234".
    FakeBoxes c;
    c.basin("1234", "999", "10", "5");
    c.setText(LagBox::txtC, "2");
    EXPECT_NE(c[LagBox::txtS], "1");
    EXPECT_EQ(c[LagBox::txtS], "23.5");

    // An empty C or a lone point stops the handler.
    FakeBoxes d;
    d.basin("5000", "4000", "10", "5");
    d.setText(LagBox::txtC, ".");
    d.setText(LagBox::txtC, "");
    EXPECT_EQ(d[LagBox::txtS], "1");
    EXPECT_EQ(d[LagBox::txtLag], "1");
}

TEST(LagTimeStep, TypedLagsSnapToTheStepTable)
{
    const std::pair<const char*, const char*> cases[] = {{"1", "10"}, {"0.3", "1"}, {"4", "30"}, {"6", "1"}, {"6.1", "2"}};
    for (const auto& [lag, step] : cases) {
        FakeBoxes b;
        b.boxes[LagBox::txtLag] = lag;
        txtLag_LostFocus(b);
        EXPECT_EQ(b[LagBox::txtGraphtimestep], step) << "lag " << lag;
        EXPECT_EQ(b.label14, QString::fromLatin1(std::string(lag) == "6" || std::string(lag) == "6.1"
                                                     ? "Hydrograph Time Step (hours)"
                                                     : "Hydrograph Time Step (minutes)"));
    }
    EXPECT_EQ(SnapTimeStep(0.0f).text, "1");  // Lca 0 gives lag 0: the smallest step
    EXPECT_EQ(SnapTimeStep(0.165f).text, "5");
    EXPECT_EQ(SnapTimeStep(0.166f).text, "10");
    EXPECT_EQ(SnapTimeStep(0.98f).text, "30");
    EXPECT_EQ(SnapTimeStep(0.99f).text, "1");
    EXPECT_EQ(SnapTimeStep(13.0f).text, "13");

    FakeBoxes dot;
    dot.boxes[LagBox::txtLag] = ".";
    txtLag_LostFocus(dot);
    EXPECT_EQ(dot.writes, 0);
}

TEST(LagTimeStep, QuietRefusals)
{
    const std::array<std::array<const char*, 4>, 10> refused = {{
        {"4000", "4000", "10", "5"},   // equal elevations
        {"4000", "5000", "10", "5"},   // lower above upper
        {"5000", "4000", "", "5"},     // no stream length
        {"5000", "4000", "0", "5"},    // zero length
        {"5000", "4000", "-5", "5"},   // negative length
        {"5000", "4000", "ten", "5"},  // letters
        {"5000", "4000", "10x", "5"},  // a length that is only partly a number
        {"5000", "4000", "10", "-1"},  // negative length below the centroid
        {"5000", "", "10", "5"},       // one elevation missing
        {"5000", "4000", "10", ""},    // no length below the centroid
    }};
    for (const auto& r : refused) {
        FakeBoxes b;
        b.basin(r[0], r[1], r[2], r[3]);
        Getbasinstats(b);
        b.setText(LagBox::txtC, "2");
        --b.writes;
        EXPECT_EQ(b.writes, 0) << r[0] << "/" << r[1] << "/" << r[2] << "/" << r[3];
        EXPECT_EQ(b[LagBox::txtS], "1");
        EXPECT_EQ(b[LagBox::txtLag], "1");
        EXPECT_EQ(b[LagBox::txtGraphtimestep], "15");
    }

    // Unticked: nothing derives anything, except the linear-reservoir shape.
    FakeBoxes off;
    off.ticked = false;
    off.basin("5000", "4000", "10", "5");
    Getbasinstats(off);
    txtLength_LostFocus(off);
    off.boxes[LagBox::txtLag] = "3";
    txtLag_LostFocus(off);
    off.setText(LagBox::txtC, "2");
    EXPECT_EQ(off[LagBox::txtS], "1");
    EXPECT_EQ(off[LagBox::txtGraphtimestep], "15");
    off.method = "Linear Reservoir";
    off.setText(LagBox::txtLag, "1");
    EXPECT_EQ(off[LagBox::txtC], "1.129");

    // A length box left with the time step empty does not recompute.
    FakeBoxes empty;
    empty.basin("5000", "4000", "10", "5");
    empty.boxes[LagBox::txtGraphtimestep] = "";
    txtLength_LostFocus(empty);
    EXPECT_EQ(empty[LagBox::txtS], "1");
}

TEST(LagTimeStep, LinearReservoirShapeAndAFiniteChain)
{
    EXPECT_EQ(linearReservoirShapeText(1.0f), "1.129");
    EXPECT_EQ(linearReservoirShapeText(2.0f), "0.525");
    EXPECT_FALSE(linearReservoirShapeFor("0"));
    EXPECT_FALSE(linearReservoirShapeFor(""));
    EXPECT_FALSE(linearReservoirShapeFor("-2"));

    // With complete basin inputs the two change handlers would feed each other without
    // end; each edit derives the other box once.
    FakeBoxes b;
    b.method = "Linear Reservoir";
    b.basin("5000", "4000", "10", "5");
    b.setText(LagBox::txtLag, "2");
    EXPECT_EQ(b[LagBox::txtLag], "2");
    EXPECT_EQ(b[LagBox::txtC], "0.525");
    EXPECT_LT(b.writes, 5);

    b.writes = 0;
    b.setText(LagBox::txtC, "1.51");
    EXPECT_EQ(b[LagBox::txtC], "1.51");
    EXPECT_EQ(b[LagBox::txtLag], "2.57");
    EXPECT_LT(b.writes, 6);

    // Getbasinstats leaves its own lag with the shape that belongs to it.
    b.writes = 0;
    Getbasinstats(b);
    EXPECT_EQ(b[LagBox::txtLag], "2.56");
    EXPECT_EQ(b[LagBox::txtC], linearReservoirShapeText(2.56f));
    EXPECT_EQ(b[LagBox::txtGraphtimestep], "15");
    EXPECT_LT(b.writes, 20);
}

TEST(LagTimeStep, RoundingShowsPlainDecimals)
{
    EXPECT_EQ(roundedText(2.5617f, 2), "2.56");
    EXPECT_EQ(roundedText(100.0f, 1), "100");
    EXPECT_EQ(roundedText(0.125f, 2), "0.13");  // halves upward
    EXPECT_EQ(roundedText(15.0f, 3), "15");
}

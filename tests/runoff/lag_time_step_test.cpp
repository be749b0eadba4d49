// Lag, slope, C and the automatic time step from the basin boxes.
#include <gtest/gtest.h>

#include <QStringList>
#include <map>

#include "runoff/lag_time_step.h"

using namespace corv;

namespace {

// The basin boxes in memory; as in the window, setText raises the box's change
// handler before it returns.
struct FakeBoxes : LagBoxes {
    std::map<LagBox, QString> boxes;
    QString lblL = "Stream Length (mi)", label14 = "Hydrograph Time Step (minutes)";
    QString method = "Select Dimensionless Graph";
    bool ticked = true;
    int writes = 0;

    // The user's typing in the elevation and length boxes (they have no change handler).
    FakeBoxes(const char* e1 = "", const char* e2 = "", const char* l = "", const char* lca = "")
        : boxes{{LagBox::txtelv1, e1}, {LagBox::txtElv2, e2}, {LagBox::txtL, l},       {LagBox::txtLca, lca},
                {LagBox::txtS, "1"},   {LagBox::txtC, "1"},   {LagBox::txtLag, "1"}, {LagBox::txtGraphtimestep, "15"},
                {LagBox::shape, ""}}
    {
    }
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
    // C, S, lag, time step and its unit as one line.
    std::string derived() const
    {
        QStringList shown;
        for (LagBox b : {LagBox::txtC, LagBox::txtS, LagBox::txtLag, LagBox::txtGraphtimestep}) shown << boxes.at(b);
        return (shown.join(' ') + ' ' + label14.section(' ', -1)).toStdString();
    }
};

}  // namespace

// 5000/4000 ft over 10 and 5 mi (1.51 100 2.56 15 minutes) is form3_open.scn's basin.
TEST(LagTimeStep, BasinsOfTheWorkedExamples)
{
    const struct { const char *e1, *e2, *l, *lca, *caption, *derived; } basins[] = {
        {"5000", "4000", "52800", "26400", "Stream Length (ft)", "1.51 100 2.56 15 (minutes)"},
        {"3000", "1000", "40", "20", "Stream Length (mi)", "1.36 50 6.48 2 (hours)"}};
    for (const auto& c : basins) {
        FakeBoxes b(c.e1, c.e2, c.l, c.lca);
        b.lblL = c.caption;
        txtElevation_LostFocus(b);
        EXPECT_EQ(b.derived(), c.derived) << c.l;
    }
}

TEST(LagTimeStep, TypedCAndTypedLags)
{
    // A typed C: S 235 ft / 10 mi = 23.5 (elevations compared as numbers, not as text);
    // lag 2 (10 * 5 / sqrt(23.5))^0.33 = 2 * 10.314^0.33 = 4.32 h; 4.32 / 11 = 0.39 h
    // (not / 5.5) snaps to 15 minutes.
    FakeBoxes c("1234", "999", "10", "5");
    c.setText(LagBox::txtC, "2");
    EXPECT_EQ(c.derived(), "2 23.5 4.32 15 (minutes)");
    FakeBoxes d("5000", "4000", "10", "5");  // an empty C or a lone point stops the handler
    d.setText(LagBox::txtC, ".");
    d.setText(LagBox::txtC, "");
    EXPECT_EQ(d.derived(), " 1 1 15 (minutes)");

    // A typed lag: 6 h / 5.5 = 1.09 h is 1 hour (6.1 h is 2: form3_open.scn); a lone point is none.
    for (const auto& [lag, derived] : {std::pair{"6", "1 1 6 1 (hours)"}, {".", "1 1 . 15 (minutes)"}}) {
        FakeBoxes typed;
        typed.boxes[LagBox::txtLag] = lag;
        txtLag_LostFocus(typed);
        EXPECT_EQ(typed.derived(), derived) << "lag " << lag;
    }
    const std::pair<float, const char*> snaps[] = {{0, "1"}, {0.165f, "5"}, {0.166f, "10"}, {0.98f, "30"}, {0.99f, "1"}};
    for (auto [lag, step] : snaps) EXPECT_EQ(SnapTimeStep(lag).text, step) << lag;
}

TEST(LagTimeStep, QuietRefusals)
{
    const std::array<const char*, 4> refused[] = {
        {"4000", "4000", "10", "5"}, {"4000", "5000", "10", "5"}, {"5000", "", "10", "5"},  // equal, lower, missing
        {"5000", "4000", "0", "5"}, {"5000", "4000", "10x", "5"}, {"5000", "4000", "10", "-1"},  // 0, partly a number
        {"5000", "4000", "10", ""}, {"5000", "4000", "1e-40", "5"},  // no Lca; then no finite slope, C or lag
        {"1e39", "4000", "10", "5"}, {"5000", "4000", "1e39", "5"},
    };
    for (const auto& r : refused) {
        FakeBoxes b(r[0], r[1], r[2], r[3]);
        Getbasinstats(b);
        b.setText(LagBox::txtC, "2");
        EXPECT_EQ(b.writes, 1) << r[0] << "/" << r[1] << "/" << r[2] << "/" << r[3];
        EXPECT_EQ(b.derived(), "2 1 1 15 (minutes)");
    }
    // Unticked: nothing derives anything, except the linear-reservoir shape.
    FakeBoxes off("5000", "4000", "10", "5");
    off.ticked = false;
    txtLength_LostFocus(off);
    off.boxes[LagBox::txtLag] = "3";
    txtLag_LostFocus(off);
    off.setText(LagBox::txtC, "2");
    EXPECT_EQ(off.derived(), "2 1 3 15 (minutes)");  // the linear shape unticked: form3_methods.scn
    for (const char* lag : {"0", "", "-2"}) EXPECT_FALSE(linearReservoirShapeFor(lag)) << lag;
}

TEST(LagTimeStep, LinearReservoirShapeFollowsTheLagAndDerivesNothing)
{
    // The derived lag of 2.56 h gives the shape 1.12899 * 2.56^-1.10391 = 0.39997; the C box
    // keeps the lag coefficient (the window shows the shape in its place: form3_linear_reservoir.scn).
    FakeBoxes b("5000", "4000", "10", "5");
    b.method = "Linear Reservoir";
    Getbasinstats(b);
    EXPECT_EQ(b.derived(), "1.51 100 2.56 15 (minutes)");
    EXPECT_EQ(b.boxes[LagBox::shape], "0.4");
    // A lag that gives no shape empties the box rather than leave the last lag's shape.
    b.setText(LagBox::txtLag, "0");
    EXPECT_EQ(b.boxes[LagBox::shape], "");
}

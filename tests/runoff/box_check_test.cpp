// The boxes a compute reads, refused by caption before anything runs.
#include <gtest/gtest.h>

#include "runoff/box_check.h"
#include "runoff/compute_driver.h"

using namespace corv;

namespace {

// The window as "Triangle Unit Graph" leaves it, with a one-hour inch of rain.
ComputeBoxes triangleBoxes()
{
    ComputeBoxes b;
    b.ComboDimgraph = "Triangle Unit Graph";
    b.lblL = "<<Base Flow\r\n       GW Loss>>";
    b.Label6 = "SCS Recession Ratio";
    b.Label10 = "Basin Area (mi^2)";
    b.Label14 = "Hydrograph Time Step (minutes)";
    b.txtC = "0.4", b.txtS = "1.5", b.txtLca = "0.5", b.txtL = "0", b.txtElv2 = "3", b.txtelv1 = ".2";
    b.GWloss = "0.0", b.txtLag = "1", b.txtBasinArea = "1", b.txtGraphtimestep = "15";
    b.txtCNloss = "75", b.txtResetLossFactor = "0.2";
    b.txtDuration[0] = "1", b.txtRain[0] = "1.00";
    return b;
}

std::string refusal(const ComputeBoxes& b) { return refusedBox(b, false).value_or("accepted").toStdString(); }

}  // namespace

TEST(BoxCheck, WordsInTheTrianglesRecessionBoxesAreRefusedByName)
{
    EXPECT_EQ(refusal(triangleBoxes()), "accepted");
    const std::pair<QString ComputeBoxes::*, const char*> recession[] = {
        {&ComputeBoxes::txtS, "Recession Ratio 2"},
        {&ComputeBoxes::txtLca, "Recession Factor2"},
        {&ComputeBoxes::txtElv2, "Recession Ratio 3"},
        {&ComputeBoxes::txtelv1, "Recession Factor3"}};
    for (const auto& [box, caption] : recession) {
        ComputeBoxes b = triangleBoxes();
        b.*box = "half";
        EXPECT_EQ(refusal(b), QString("The box \"%1\" holds \"half\", which is not a number.").arg(caption).toStdString());
    }
}

TEST(BoxCheck, AnAreaOfNoSquareMileIsRefused)
{
    // 1e-40 ft^2 / 27,878,400 = 3.6e-48 mi^2 and 1e-43 acres / 640 = 1.6e-46 mi^2 are 0 as
    // singles (the least above 0 is 1.4e-45); 1e-40 and 1e-43 mi^2 are not.
    const struct { const char *caption, *area, *refused; } areas[] = {
        {"Basin Area (ft^2)", "1e-40", "The box \"Basin Area (ft^2)\" holds \"1e-40\": the basin area must be above 0."},
        {"Basin Area (acres)", "1e-43", "The box \"Basin Area (acres)\" holds \"1e-43\": the basin area must be above 0."},
        {"Basin Area (mi^2)", "1e-40", "accepted"},
        {"Basin Area (mi^2)", "1e-43", "accepted"}};
    for (const auto& a : areas) {
        ComputeBoxes b = triangleBoxes();
        b.Label10 = a.caption, b.txtBasinArea = a.area;
        EXPECT_EQ(refusal(b), a.refused) << a.caption << " " << a.area;
    }
}

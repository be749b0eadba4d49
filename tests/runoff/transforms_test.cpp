// Unit-graph transforms: Rational Method, triangles, linear reservoir, dimensionless
// graph files (volume correction, malformed files) and the closing sequence.
#include <gtest/gtest.h>

#include <QDir>

#include <cmath>
#include <random>
#include <vector>

#include "common/dialogs.h"
#include "runoff/transforms.h"
#include "stage_support.h"

using namespace corv;
using stagetest::caught;

namespace {

// Basin of `area` square miles, excess equal to rain, no base flow unless set.
ComputeState basin(float area, float lag, float udur, const std::vector<float>& excess, long room = 300)
{
    ComputeState s;
    s.area = area;
    s.lag = lag;
    s.udur = udur;
    s.obs = static_cast<std::int16_t>(excess.size());
    s.rdepth.redim(s.obs + room);
    s.excess.redim(s.obs + room);
    s.gwFlow.redim(s.obs + room);
    for (std::size_t i = 0; i < excess.size(); ++i) {
        s.rdepth(static_cast<long>(i) + 1) = excess[i];
        s.excess(static_cast<long>(i) + 1) = excess[i];
    }
    return s;
}

TransformInputs method(const char* name, const QString& folder = stagetest::programData())
{
    TransformInputs in;
    in.ComboDimgraph = QString::fromLatin1(name);
    in.folder = folder;
    return in;
}

// Inches of runoff over the basin from qi(1..it) (cfs per step of udur hours).
double inchesOf(const ComputeState& s)
{
    double cfsDays = 0;
    for (long i = 1; i <= s.it; ++i) cfsDays += s.qi(i) * s.udur / 24.0;
    return cfsDays / (26.8888 * s.area);
}

}  // namespace

TEST(DimensionlessGraph, OneInchOfExcessGivesOneInchOfRunoff)
{
    struct {
        const char* graph;
        QString folder;
    } graphs[] = {{"SCS.DGF", stagetest::programData()}, {"TRIANGLE.DGF", QStringLiteral(TEST_DATA_DIR)}};
    for (const auto& g : graphs) {
        ComputeState s = basin(1, 1, 0.25f, {1});
        ScriptedDialogs d;
        ASSERT_EQ(transformExcess(s, method(g.graph, g.folder), d), StageEnd::Continue) << g.graph;
        EXPECT_NEAR(inchesOf(s), 1.0, 1e-4) << g.graph;
        EXPECT_FLOAT_EQ(s.volume, 53) << g.graph;  // 640 / 12 = 53.3 acre-ft, rounded
        EXPECT_FLOAT_EQ(s.tp, 1.125f);
        EXPECT_EQ(s.it, s.obs + s.qi.ubound() - s.obs);
        EXPECT_TRUE(d.messages().empty());
    }
    ComputeState s = basin(1, 1, 0.25f, {1});
    ScriptedDialogs d;
    transformExcess(s, method("SCS.DGF"), d);
    EXPECT_EQ(s.dgfCount, 50);
    EXPECT_FLOAT_EQ(s.dgfStep, 10);
    EXPECT_EQ(s.ugSteps, 22);  // 5 * 1.125 / 0.25 = 22.5, halves to even
    EXPECT_EQ(s.dgfFitError, 0);
    // Peak near the time to peak (1.125 h = step 4.5 after the excess step).
    EXPECT_GE(s.tmax, 4);
    EXPECT_LE(s.tmax, 6);

    // Two square miles, a base flow and a bigger storm scale as they should.
    ComputeState big = basin(2, 1, 0.25f, {0.5f, 1.5f});
    big.gwFlow(1) = 24;
    transformExcess(big, method("SCS.DGF"), d);
    EXPECT_NEAR(inchesOf(big), 2.0 + 24 * 0.25 / 24.0 / (26.8888 * 2), 1e-4);
}

TEST(DimensionlessGraph, ConvolutionMatchesThePlainDoubleLoop)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> rain(0, 0.3f);
    std::vector<float> ex(500);
    for (float& e : ex) e = rng() % 3 == 0 ? 0.0f : rain(rng);
    ComputeState s = basin(3, 2, 0.1f, ex);
    ScriptedDialogs d;
    ASSERT_EQ(transformExcess(s, method("SCS.DGF"), d), StageEnd::Continue);
    const long m = s.it - s.obs;
    std::vector<float> ref(static_cast<std::size_t>(s.it) + 1, 0.0f);
    for (long st = 1; st <= s.obs; ++st)
        for (long j = 0; j <= m; ++j) ref[static_cast<std::size_t>(st + j)] += s.excess(st) * s.unitGraph(j);
    for (long i = 1; i <= s.it; ++i) ASSERT_FLOAT_EQ(s.qi(i), ref[static_cast<std::size_t>(i)]) << i;
}

TEST(DimensionlessGraph, MissingAndMalformedFilesEndWithAClearMessage)
{
    ComputeState s = basin(1, 1, 0.25f, {1});
    ScriptedDialogs d;
    const auto missing = caught([&] { transformExcess(s, method("Urban.DGF"), d); });
    EXPECT_EQ(missing.number, err::kFileNotFound);
    EXPECT_NE(missing.text.find("Urban.DGF"), std::string::npos) << missing.text;
    EXPECT_NE(missing.text.find(QDir::cleanPath(stagetest::programData()).toStdString()), std::string::npos)
        << missing.text;

    const struct {
        const char* file;
        const char* says;
    } cases[] = {
        {"graph_few.DGF", "at least 4 are needed"},
        {"graph_zero_step.DGF", "must be above 0"},
        {"graph_letters.DGF", "\"peak\""},
        {"graph_missing.DGF", "announces 20 ordinates but holds only 5"},
        {"graph_huge.DGF", "at most 32767"},
        {"graph_title_only.DGF", "title lines"},
    };
    for (const auto& c : cases) {
        ComputeState t = basin(1, 1, 0.25f, {1});
        const auto e = caught([&] { transformExcess(t, method(c.file, QStringLiteral(TEST_DATA_DIR)), d); });
        ASSERT_TRUE(e.thrown) << c.file;
        EXPECT_NE(e.text.find(c.says), std::string::npos) << e.text;
        EXPECT_NE(e.text.find(c.file), std::string::npos) << e.text;
    }
    EXPECT_TRUE(d.messages().empty());

    // A graph much longer than the hydrograph's 16-bit ordinate count.
    ComputeState tiny = basin(1, 100, 0.001f, {1});
    const auto longGraph = caught([&] { transformExcess(tiny, method("SCS.DGF"), d); });
    EXPECT_TRUE(longGraph.thrown);
    EXPECT_NE(longGraph.text.find("longer time step"), std::string::npos) << longGraph.text;
}

TEST(DimensionlessGraph, NoExcessMessage)
{
    ComputeState s = basin(1, 1, 0.25f, {0, 0, 0});
    ScriptedDialogs d;
    EXPECT_EQ(transformExcess(s, method("SCS.DGF"), d), StageEnd::EndCompute);
    ASSERT_EQ(d.messages().size(), 1u);
    EXPECT_EQ(d.messages()[0], QStringLiteral("No Excess Rainfall for 3 rainfall increments."));

    // Impervious area turns rain into excess even when the losses took it all.
    ComputeState imp = basin(1, 1, 0.25f, {0, 0});
    imp.rdepth(1) = 1;
    imp.imperviousFraction = 0.5f;
    EXPECT_EQ(transformExcess(imp, method("SCS.DGF"), d), StageEnd::Continue);
    EXPECT_FLOAT_EQ(imp.excess(1), 0.5f);
    EXPECT_FLOAT_EQ(imp.perviousFraction, 0.5f);
}

TEST(RationalMethod, WarningsZeroAndLargeC)
{
    ComputeState s = basin(1, 1, 0.25f, {0.2f, 0.4f, 0.3f, 0.1f});
    s.C = 0;
    ScriptedDialogs d;
    EXPECT_EQ(transformExcess(s, method("Rational Method"), d), StageEnd::EndCompute);
    ASSERT_EQ(d.messages().size(), 2u);
    EXPECT_EQ(d.messages()[0], QStringLiteral("Warning, C estimate should be between .01-1"));
    EXPECT_EQ(d.messages()[1], QStringLiteral("No Excess Rainfall for 4 rainfall increments."));

    d.clear();
    s = basin(1, 1, 0.25f, {0.2f, 0.4f, 0.3f, 0.1f});
    s.C = 1.5f;
    ASSERT_EQ(transformExcess(s, method("Rational Method"), d), StageEnd::Continue);
    ASSERT_EQ(d.messages().size(), 1u);
    EXPECT_TRUE(s.rationalMethod);
    EXPECT_FLOAT_EQ(s.acres, 640);
    EXPECT_EQ(s.lagSteps, 4);
    EXPECT_NEAR(s.excessTotal, 1.5f, 1e-6);
    // The peak: C times the excess of the last lag window over the lag, times acres.
    EXPECT_EQ(s.tmax, 4);
    EXPECT_NEAR(s.maxq, 1.5f * 1.0f / 1 * 640, 1e-2);
    // Ordinates 192, 576, 864, 960 cfs (0.2, 0.6, 0.9, 1.0 in over the lag window); the
    // tail's first ordinate, 864, already brings the volume within half an ordinate of
    // the 80 acre-ft of excess (1.5 in over 640 acres): 3456 cfs-steps = 71.4 acre-ft.
    EXPECT_NEAR(s.qi(1), 192, 1e-2);
    EXPECT_NEAR(s.qi(5), 864, 1e-2);
    EXPECT_EQ(s.it, 6);
    EXPECT_FLOAT_EQ(s.qi(6), 0);
    EXPECT_FLOAT_EQ(s.volume, 71);

    d.clear();
    s = basin(1, 1, 0.25f, {0.2f, 0.4f, 0.3f, 0.1f});
    s.C = 0.6f;
    transformExcess(s, method("Rational Method"), d);
    EXPECT_TRUE(d.messages().empty());

    // A storm too long for the method's 9000 steps.
    ComputeState longStorm = basin(1, 1, 0.25f, std::vector<float>(9500, 0.1f));
    longStorm.C = 0.5f;
    const auto e = caught([&] { transformExcess(longStorm, method("Rational Method"), d); });
    EXPECT_TRUE(e.thrown);
    EXPECT_NE(e.text.find("9000"), std::string::npos) << e.text;
}

TEST(TriangleUnitGraph, MainAndExtraTriangles)
{
    ScriptedDialogs d;
    ComputeState s = basin(1, 1, 0.25f, {1});
    s.C = 0.4f;
    TransformInputs in = method("Triangle Unit Graph");
    in.txtLca = QStringLiteral("0");
    in.txtS = QStringLiteral("1.5");
    in.txtelv1 = QStringLiteral("0");
    in.txtElv2 = QStringLiteral("3");
    int events = 0;
    in.processEvents = [&] { ++events; };
    ASSERT_EQ(transformExcess(s, in, d), StageEnd::Continue);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(s.extraTriangles, 0);
    EXPECT_EQ(s.riseSteps(0), 4);  // (0.125 + 1) / 0.25 = 4.5, halves to even
    EXPECT_EQ(s.recessionSteps(0), 2);
    const float peak = 2 * 645.33f / 1.4f / 1;
    EXPECT_NEAR(s.trianglePeak(0), peak, 1e-2);
    EXPECT_NEAR(s.maxq, peak, 1e-2);
    EXPECT_EQ(s.tmax, 4);
    EXPECT_EQ(s.it, 1 + 1 + 6);
    EXPECT_GE(s.workSize, 9000);

    // Factor 2 zero: only triangles 0 and 2.
    ComputeState t = basin(1, 1, 0.25f, {1});
    t.C = 0.4f;
    in.txtelv1 = QStringLiteral(".2");
    transformExcess(t, in, d);
    EXPECT_EQ(t.extraTriangles, 2);
    EXPECT_FLOAT_EQ(t.trianglePeak(1), 0);
    EXPECT_EQ(t.recessionSteps(2), 12);
    EXPECT_NEAR(t.trianglePeak(0), peak * 0.8f, 1e-2);
    EXPECT_NEAR(t.trianglePeak(2), 2 * 645.33f / 4 * 0.2f, 1e-2);
    EXPECT_EQ(t.it, 1 + 1 + t.baseSteps(2));

    // All three.
    ComputeState u = basin(1, 1, 0.25f, {1});
    u.C = 0.4f;
    in.txtLca = QStringLiteral("0.5");
    transformExcess(u, in, d);
    EXPECT_NEAR(u.trianglePeak(0), peak * (1 - 0.5f - 0.2f), 1e-2);

    // A convolution longer than the arrays stop with a message.
    ComputeState longStorm = basin(1, 1, 0.25f, std::vector<float>(9200, 0.1f));
    longStorm.C = 0.4f;
    const auto e = caught([&] { transformExcess(longStorm, in, d); });
    EXPECT_TRUE(e.thrown);
    EXPECT_NE(e.text.find("triangle"), std::string::npos) << e.text;
}

TEST(LinearReservoir, DelayStepsShiftTheOutflow)
{
    ScriptedDialogs d;
    // udur 1 h: lag 0.5 h gives one delay step, lag 2 h two.
    ComputeState one = basin(1, 0.5f, 1, {1, 0.5f}, 20);
    one.C = 0.8f;
    ASSERT_EQ(transformExcess(one, method("Linear Reservoir"), d), StageEnd::Continue);
    EXPECT_EQ(one.delaySteps, 1);
    const double F = 645.33, e = std::exp(-0.8);
    EXPECT_NEAR(one.qi(1), F * (1 - e), 1e-2);  // the reservoir outflow itself
    EXPECT_NEAR(one.qi(2), 0.5 * F * (1 - e) + one.qi(1) * e, 1e-2);
    EXPECT_EQ(one.it, one.excess.ubound());

    ComputeState two = basin(1, 2, 1, {1, 0.5f}, 20);
    two.C = 0.8f;
    transformExcess(two, method("Linear Reservoir"), d);
    EXPECT_EQ(two.delaySteps, 2);
    EXPECT_FLOAT_EQ(two.qi(1), 0);
    for (long t = 2; t <= two.it; ++t) EXPECT_FLOAT_EQ(two.qi(t), one.qi(t - 1)) << t;
    EXPECT_TRUE(d.messages().empty());

    // A lag short against the step leaves no delay at all.
    ComputeState none = basin(1, 0, 1, {1});
    none.C = 0.8f;
    const auto err0 = caught([&] { transformExcess(none, method("Linear Reservoir"), d); });
    EXPECT_TRUE(err0.thrown);
    EXPECT_NE(err0.text.find("delay"), std::string::npos) << err0.text;
}

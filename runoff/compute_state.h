// The hydrograph window's compute state: every working array and value of one
// computation, kept for the whole run so that routing and combining start from the
// last computed hydrograph.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "common/numbers.h"
#include "common/varray.h"
#include "hdb/retrieval_sequence.h"

namespace corv {

// Single precision where the program works in single precision (ordinates, losses,
// thresholds); 16-bit counts and ordinate indices; dates as double day numbers.
struct ComputeState {
    // Basin and time.
    float C = 0;     // txtC: lag coefficient, SCS recession ratio, Rational C or linear-reservoir shape
    float area = 0;  // square miles
    float lag = 0;   // hours
    float udur = 0;  // time step, hours

    // Loss inputs.
    QStringList lossParts;  // txtCNloss split at ","
    float lossValue = 0;    // curve number (> 9.99999) or the current initial-loss capacity
    float lossValueEntered = 0;
    float wetLimit = 0;
    float dryLimit = 0;
    float recoveryFactor = 0;
    float constLoss = 0;      // in/hr
    float gwLoss = 0;         // fraction of recovered water kept from the ground-water column
    float constLossStep = 0;  // inches per step
    float recoveryStep = 0;   // inches per step; above 0 means continuous simulation
    bool continuousLoss = false;
    bool ilLimitsShown = false;  // the derived initial-loss limits were announced
    bool cnLimitsShown = false;  // the derived curve-number limits were announced
    bool scsMode = false;
    bool rationalMethod = false;
    float imperviousFraction = 0;
    float perviousFraction = 1;
    float baseFlow = 0;  // cfs

    // Loss state.
    float CNwet = 0;
    float CNdry = 0;
    float S1 = 0;
    float S1start = 0;
    float Ia = 0;
    float retentionTerm = 0;
    float S1wet = 0;
    float S1dry = 0;
    float sRange = 1;
    float pCum = 0;
    float qCumPrev = 0;
    float depletionThreshold = 0;
    float gwFactor = 0;  // cfs
    VArray<float> hourlyRecoveryStep;  // 0..24
    std::int16_t stepMonth = 3;
    std::int16_t stepHour = 0;
    double stepDate = 0;  // days
    VArray<float> pCumStep;
    VArray<float> S1Step;

    // Rainfall.
    std::int16_t rainMode = 1;     // 0 uniform, 1 design storm, 2 storm file, 3 database
    std::int16_t arrangement = 0;  // 0 None, 1 Peak at 2/3, 2 Peak at 1/3, 3 Peak Centered
    VArray<float> durations;       // depth-duration table, hours, rows 1..8
    VArray<float> depths;          // inches, already times the areal factor
    VArray<float> slopes;          // curve slopes of the table
    float arealFactor = 1;
    float stormDuration = 0;  // hours
    float tdepth = 0;         // inches
    float rainSum = 0;        // inches
    std::int16_t obs = 0;     // rainfall steps (table rows while the table is read)
    std::int16_t stormOrdinates = 0;
    std::int16_t stormRows = 0;
    VArray<float> cumDepth;
    VArray<float> incDepth;
    VArray<float> stepTimes;
    VArray<float> rdepth;  // rain per step, inches
    VArray<float> excess;  // rainfall excess per step, inches
    VArray<float> gwFlow;  // ground-water and base flow per step, cfs
    VArray<double> rrtime;  // step dates (database rainfall)
    QString stormFile;
    bool commaSeparated = false;

    // Database: the connection string and setup file, the period of the last retrieval.
    SequenceFields database;
    QString messageText;
    std::int16_t missing = 0;

    // Hydrograph and routing.
    VArray<float> qi;  // runoff or inflow ordinates, cfs
    VArray<float> qout;
    VArray<float> elvout;
    VArray<float> storout;
    std::int16_t it = 0;  // last ordinate index of qi
    std::int16_t newit = 0;
    std::int16_t tmax = 0;
    float maxq = 0;
    float volume = 0;  // acre-ft after the transform's closing sequence
    float maxout = 0;
    float tmaxout = 0;
    float maxelv = 0;
    float K = 0;
    float muskX = 0;
    float tatumTime = 0;
    QString combineFileName;
    std::int16_t workSize = 0;

    // Transforms.
    float acres = 0;
    float excessTotal = 0;
    std::int16_t lagSteps = 0;
    VArray<std::int16_t> riseSteps;       // 0..2
    VArray<std::int16_t> recessionSteps;  // 0..2
    VArray<std::int16_t> baseSteps;       // 0..2
    VArray<float> trianglePeak;           // cfs per inch of excess
    VArray<float> triangleShare;
    std::int16_t extraTriangles = 0;
    std::int16_t delaySteps = 0;
    VArray<float> delayLine;
    QString dgfPath;
    std::int16_t dgfCount = 0;  // last point index of the graph
    float dgfStep = 0;          // percent of the time to peak
    VArray<float> dgfTime;
    VArray<float> dgfOrdinate;
    VArray<float> dgfSlope;
    std::int16_t dgfFitError = 0;
    float tp = 0;        // time to peak, hours
    float qpFactor = 0;  // cfs
    VArray<float> unitGraph;
    std::int16_t ugSteps = 0;

    // Report and chart.
    QString reportPath;
    QString timeFormat;
    QString flowFormat;
    QString blank9;
    float rainLoss = 0;
};

// How a compute stage ended: go on with the next stage, or end the compute here
// (a message was shown or the user cancelled). Run-time errors are exceptions.
enum class StageEnd { Continue, EndCompute };

// Basin areas typed in acres or square feet, in square miles.
inline constexpr float kAcresPerSquareMile = 640.0f;
inline constexpr float kSquareFeetPerSquareMile = 27878400.0f;
// The time steps a hydrograph may have, in hours, typed or from a storm file: from a
// few seconds to a day (beyond them the step dates cannot hold the steps).
inline constexpr double kMinStepHours = 0.001;
inline constexpr double kMaxStepHours = 24;

// One time step of udur hours in days, to add to a date: dates are double day
// numbers, so the step is divided in double too.
inline double stepDays(float udur) { return static_cast<double>(udur) / 24.0; }

// A window box read as a number: the leading-number rule, 0 for no number. A number
// beyond the range of singles (1e39, 1e400) is "Overflow" with the box's text in
// the message, so the user sees which value to mend.
double boxValue(const QString& text);
// The same stored as a single.
float boxSingle(const QString& text);

}  // namespace corv

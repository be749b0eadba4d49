// Station list and series retrieval against a database the test fills (SQLite through
// its ODBC driver, or the PostgreSQL server of HDB_TEST_CONNECTION).
#include <gtest/gtest.h>

#include <QFile>
#include <cmath>
#include <ctime>

#include "common/dates.h"
#include "common/dialogs.h"
#include "hdb/retrieval.h"
#include "hdb/station_list.h"
#include "hdb/hdb_database.h"
#include "support/file_bytes.h"

using namespace corv;
using corv::test::readBytes;

namespace {

const double kDay = makeDate(2026, 12, 5);
const char *const kAlpha = "11 precip  Alpha", *const kBeta = "12 precip in Beta", *const kGamma = "13 precip mm Gamma",
                  *const kZulu = "21 flow cfs Zulu Creek", *const kMill = "22 flow cfs Mill Creek";
const char *const kHourly = "Hourly Values", *const kUnit = "Unit Values";

// The program's local time zone, as it was afterwards.
struct LocalZone {
    QByteArray kept = qgetenv("TZ");
    explicit LocalZone(const char* zone) { qputenv("TZ", zone); ::tzset(); }
    ~LocalZone() { kept.isNull() ? qunsetenv("TZ") : qputenv("TZ", kept); ::tzset(); }
};

class HdbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        connection = hdbtest::testConnection(dir);
        database = std::make_unique<hdbtest::Database>(connection);
        hdbtest::fillSample(*database);
        in.txtRainAdjust = QStringLiteral("1.0");
        in.folder = dir.path();
    }

    // The station entry, the value table, and the step: "" automatic, else the
    // manual step with the unit that the time-step box's label gives ("10 min", "0.5 h").
    void choose(const char* station, const char* units, const QString& step = {})
    {
        in.ComboDSID = QString::fromLatin1(station);
        in.ComboUnits = QString::fromLatin1(units);
        in.chkAutoTimeStep = step.isEmpty();
        in.txtGraphtimestep = step.section(' ', 0, 0);
        in.Label14 = step.endsWith('h') ? QStringLiteral("Hydrograph Time Step (hours)")
                                        : QStringLiteral("Hydrograph Time Step (minutes)");
    }

    struct Rain {
        std::int16_t obs = -1, missing = -1;
        float udur = -1, tdepth = -1;
        VArray<double> rrtime;
        VArray<float> rdepth;
    };
    Rain rain(double bdate = kDay, double edate = kDay + 1, const char* db = nullptr)
    {
        Rain r;
        GetHDB(bdate, edate, r.obs, r.missing, r.udur, r.rrtime, r.rdepth, r.tdepth, db ? QString(db) : connection, in,
               dialogs);
        return r;
    }
    std::int16_t flow(float& udur, double bdate = kDay, double edate = kDay + 1, const char* db = nullptr)
    {
        std::int16_t obs = -1;
        GetHDBQ(bdate, edate, obs, udur, db ? QString(db) : connection, in, dialogs);
        return obs;
    }
    QString tmpPath() const { return dir.filePath(QStringLiteral("TmpHDB.GRF")); }
    std::vector<QString> messages() const { return dialogs.messages(); }
    void expectOneMessage(const char* part)
    {
        ASSERT_EQ(messages().size(), 1u) << part;
        EXPECT_TRUE(messages()[0].contains(QString::fromLatin1(part))) << messages()[0].toStdString();
    }

    QTemporaryDir dir;
    QString connection;
    std::unique_ptr<hdbtest::Database> database;
    RetrievalInputs in;
    ScriptedDialogs dialogs;
};

TEST_F(HdbTest, StationListsByNameWithTheNullUnitAndAnEmptyLastItem)
{
    EXPECT_EQ(GetHDBlist(true, connection, dialogs),
              QStringList({"11 precip  Alpha", "12 precip in Beta", "13 precip mm Gamma", ""}));
    // Flow takes data types 1 and 30 together; the gage height (65) stays out.
    EXPECT_EQ(GetHDBlist(false, connection, dialogs), QStringList({"22 flow cfs Mill Creek", "21 flow cfs Zulu Creek", ""}));
    EXPECT_TRUE(messages().empty());

    // Failures are told once: no station, no driver, an empty string (a setup file whose
    // first line is blank), no table.
    database->exec("DELETE FROM rsite WHERE datatype_id=10");
    const std::pair<QString, const char*> failures[] = {{connection, "Table rsite not found???"},
                                                         {"Driver=NoSuchDriver;", "NoSuchDriver"},
                                                         {QString(), "Data source name not found"}};
    for (const auto& [db, message] : failures) {
        dialogs.clear();
        EXPECT_EQ(GetHDBlist(true, db, dialogs), std::nullopt);
        expectOneMessage(message);
    }
    dialogs.clear();
    database->exec("DROP TABLE rsite");
    EXPECT_EQ(GetHDBlist(false, connection, dialogs), std::nullopt);
    expectOneMessage("rsite");
    // Every connection made was released, also those that never opened.
    EXPECT_EQ(QSqlDatabase::connectionNames(), QStringList{"test-filler"});
}

// A rainfall retrieval and what it must give: steps, filled steps, step in hours,
// total; the depths from step 1; steps' dates as minutes after the period's first
// midnight plus the 1E-07 days that every filled step adds to the one before.
struct RainCase {
    const char *what, *station, *units, *step;
    int obs, missing;
    float udur, tdepth;
    std::vector<float> depths;
    std::vector<std::tuple<int, double, int>> dates;  // step, minutes, filled steps before
    double bdate = kDay, edate = kDay + 1;
    const char* factor = "1.0";
};

TEST_F(HdbTest, RainfallStepsGapsAndValues)
{
    // Recorded series are kept in standard time (or UTC): in the hour that Denver's clocks
    // skip on 08-Mar-2026 the 02:00 and 02:30 rows are ordinary rows.
    const LocalZone denver("America/Denver");
    const double dst = makeDate(2026, 3, 8);
    const RainCase cases[] = {
        // Hourly rain, the 03:00 hour filled with the 02:00 value: automatic, and a manual 60 minutes.
        {"hourly", kBeta, kHourly, "", 4, 1, 1, 0.8f, {0.1f, 0.2f, 0.2f, 0.3f}, {{1, 60, 0}, {2, 120, 0}, {3, 180, 1}}},
        {"60 minutes", kBeta, kHourly, "60 min", 4, 1, 1, 0.8f, {0.1f, 0.2f, 0.2f, 0.3f}, {{3, 180, 1}, {4, 240, 0}}},
        // 15 minutes from the first rows; the 5-minute rows after them are all kept.
        {"15 then 5 minutes", kBeta, kUnit, "", 10, 0, 0.25f, 0.55f, {}, {{10, 85, 0}}},
        // Three rows half an hour apart but for one gap: the step comes from them.
        {"half hours", kAlpha, kUnit, "", 4, 1, 0.5f, 1.125f, {0.5f, 0.25f, 0.25f, 0.125f}, {}},
        // Distances count from the first row: ten rows at its own date, then 01:00 beyond
        // the first ten, leave the step at 99 days, as does a single row.
        {"first ten rows", "14 precip in Delta", kUnit, "", 11, 0, 2376, 12, {}, {}},
        {"one row", kZulu, kHourly, "", 1, 0, 2376, 4, {4}, {}},
        // A period that starts and ends at 02:00 holds the 02:00 row: both bounds count.
        {"both bounds", kBeta, kHourly, "", 1, 0, 2376, 0.2f, {0.2f}, {}, kDay + 2.0 / 24, kDay + 2.0 / 24},
        // 00:00 (.5), 00:30 (.25), 01:30 (.125); 10 minutes is not exact in binary. Filled:
        // 00:10, 00:20 with .5, then 00:40 .. 01:20 (five) with .25: .5 x 3 + .25 x 6 + .125.
        {"10 minutes", kAlpha, kUnit, "10 min", 10, 7, 1.0f / 6, 3.125f,
         {0.5f, 0.5f, 0.5f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.125f},
         {{3, 20, 2}, {4, 30, 0}, {9, 80, 5}, {10, 90, 0}}},
        // The same step in hours: the label decides the unit.
        {"half an hour", kAlpha, kUnit, "0.5 h", 4, 1, 0.5f, 1.125f, {}, {}},
        {"factor 25.4", kBeta, kHourly, "", 4, 1, 1, 20.32f, {2.54f, 5.08f, 5.08f, 7.62f}, {}, kDay, kDay + 1, "25.4"},
        {"empty factor", kBeta, kHourly, "", 4, 1, 1, 0, {0, 0, 0, 0}, {}, kDay, kDay + 1, ""},
        // "Hour" decides, in its case: lower-case "hourly" reads the unit values.
        {"lower case", kBeta, "hourly values", "", 10, 0, 0.25f, 0.55f, {}, {}},
        {"daylight saving", "16 precip in Denver", kUnit, "", 5, 1, 0.5f, 1.3f, {}, {{2, 120, 0}, {3, 150, 0}, {4, 180, 1}},
         dst, dst + 1},
    };
    for (const RainCase& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        choose(c.station, c.units, c.step);
        in.txtRainAdjust = QString::fromLatin1(c.factor);
        const Rain r = rain(c.bdate, c.edate);
        EXPECT_TRUE(messages().empty());
        ASSERT_EQ(r.obs, c.obs);
        EXPECT_EQ(r.missing, c.missing);
        EXPECT_FLOAT_EQ(r.udur, c.udur);
        EXPECT_NEAR(r.tdepth, c.tdepth, 1E-5);
        for (std::size_t k = 0; k < c.depths.size(); ++k) EXPECT_FLOAT_EQ(r.rdepth(k + 1), c.depths[k]) << k + 1;
        for (const auto& [step, minutes, filled] : c.dates)
            EXPECT_NEAR(r.rrtime(step), std::floor(c.bdate) + minutes / 1440 + filled * 1E-07, 1E-8) << step;
        // The arrays hold the whole period plus a day: 48 hourly steps.
        if (c.udur == 1) {
            EXPECT_EQ(r.rrtime.ubound(), 48);
        }
    }
}

TEST_F(HdbTest, FlowFileWithFilledStepsInPrintForm)
{
    const struct {
        const char *station, *step, *factor;
        int obs;
        float udur;
        QByteArray file;
        std::vector<QString> messages;
    } cases[] = {
        {kMill, "", "1.0", 5, 0.25f,
         "Time\tRunoff\r\n05 00:00\t 10 \r\n05 00:15\t .5 \r\n05 00:30\t .5 \r\n05 00:45\t .5 \r\n05 01:00\t-2 \r\n",
         {"2 missing flows added to match time-step"}},
        // A manual step of 10 minutes: 15 minutes to the second row is more than a step and
        // its minute of tolerance, 5 minutes after the filled 00:10 is not.
        {kMill, "10 min", "1.0", 8, 1.0f / 6,
         "Time\tRunoff\r\n05 00:00\t 10 \r\n05 00:10\t 10 \r\n05 00:15\t .5 \r\n05 00:25\t .5 \r\n"
         "05 00:35\t .5 \r\n05 00:45\t .5 \r\n05 00:55\t .5 \r\n05 01:00\t-2 \r\n",
         {"5 missing flows added to match time-step"}},
        // 45 seconds late is within the tolerance: no gap, no message.
        {kZulu, "", "25.4", 3, 0.25f, "Time\tRunoff\r\n05 00:00\t 25.4 \r\n05 00:15\t 50.8 \r\n05 00:30\t 76.2 \r\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.station);
        dialogs.clear();
        choose(c.station, kUnit, c.step);
        in.txtRainAdjust = QString::fromLatin1(c.factor);
        float udur = 0;
        EXPECT_EQ(flow(udur), c.obs);
        EXPECT_FLOAT_EQ(udur, c.udur);
        EXPECT_EQ(readBytes(tmpPath()), c.file);
        EXPECT_EQ(messages(), c.messages);
    }
}

TEST_F(HdbTest, RetrievalsThatCannotGoOnAreToldAndLeaveTheFlowFileAsItWas)
{
    enum Path { Rainfall, Flow, Both };
    const struct {
        Path path;
        const char *station, *units, *step, *message;
        double bdate = kDay, edate = kDay + 1;
        const char* db = nullptr;
    } cases[] = {
        {Both, "DSID Parameter Units Station Name", kHourly, "", "Select station to retrieve"},
        {Both, "", kHourly, "", "does not start with a station number"},
        {Both, "abc precip in Beta", kHourly, "", "does not start with a station number"},
        {Both, "12; drop table rsite", kHourly, "", "does not start with a station number"},
        {Both, kBeta, kHourly, "0 min", "time step must be greater than zero"},
        {Both, kBeta, kHourly, "-15 min", "time step must be greater than zero"},
        {Both, kGamma, kHourly, "", "has no date_time or no value"},
        {Both, kAlpha, kHourly, "", "No data in rhour for time period."},
        // An end before the start finds nothing.
        {Both, kBeta, kHourly, "", "No data in rhour for time period.", kDay + 1, kDay},
        // 366 days in 15-minute steps are 35136 steps: more than a count holds.
        {Both, kBeta, kHourly, "15 min", "Overflow", kDay - 364, kDay + 1},
        {Both, kBeta, kHourly, "", "NoSuchDriver", kDay, kDay + 1, "Driver=NoSuchDriver;"},
        {Flow, kZulu, kHourly, "", "Only one flow value in rhour"},
        {Flow, kZulu, kHourly, "60 min", "Only one flow value in rhour"},
    };
    const QByteArray earlier("Time\tRunoff\r\n01 00:00\t 1 \r\n");
    ASSERT_TRUE(test::writeBytes(tmpPath(), earlier));
    for (const auto& c : cases) {
        for (const Path path : {Rainfall, Flow}) {
            if (c.path != Both && c.path != path) continue;
            SCOPED_TRACE(std::string(c.message) + (path == Flow ? " (flow)" : " (rain)"));
            dialogs.clear();
            choose(c.station, c.units, c.step);
            float udur = 0;
            EXPECT_EQ(path == Flow ? flow(udur, c.bdate, c.edate, c.db) : rain(c.bdate, c.edate, c.db).obs, 0);
            expectOneMessage(c.message);
            EXPECT_EQ(readBytes(tmpPath()), earlier);
        }
    }
    EXPECT_FALSE(QFile::exists(tmpPath() + ".part"));
    // The id check kept the table.
    EXPECT_TRUE(GetHDBlist(true, connection, dialogs));
}

TEST_F(HdbTest, MoreRowsThanACountHoldsOverflow)
{
    // One row doubled fifteen times, the copies of value 1: 32768 rows, one more than a count holds.
    database->addRows("rhour", 17, {{"01:00", "2"}});
    for (int i = 0; i < 15; ++i)
        database->exec("INSERT INTO rhour SELECT datatype_site_id, date_time, 1 FROM rhour WHERE datatype_site_id=17");
    choose("17 precip in Many", kHourly);
    EXPECT_EQ(rain().obs, 0);
    float udur = 0;
    EXPECT_EQ(flow(udur), 0);
    EXPECT_EQ(messages(), (std::vector<QString>{"Overflow", "Overflow"}));
    EXPECT_FALSE(QFile::exists(tmpPath()));
    // One row fewer, the 2 taken out, is read whole.
    dialogs.clear();
    database->exec("DELETE FROM rhour WHERE datatype_site_id=17 AND value=2");
    const Rain r = rain();
    EXPECT_EQ(r.obs, 32767);
    EXPECT_EQ(r.missing, 0);
    EXPECT_FLOAT_EQ(r.tdepth, 32767.0f);
    EXPECT_TRUE(messages().empty());
}

TEST(HdbQuery, DatesInTheOdbcTimestampFormWithWholeHours)
{
    // 24 hours on 05-Dec-2026 is midnight of the 6th; minutes are not sent.
    EXPECT_EQ(seriesQuery("rhour", 12, makeDate(2026, 12, 5, 0, 40), makeDate(2026, 12, 6, 0, 0)),
              "Select date_time, value from rhour where datatype_site_id=12 and date_time between "
              "{ts '2026-12-05 00:00:00'} and {ts '2026-12-06 00:00:00'} order by date_time;");
}

}  // namespace

// Station list and series retrieval against a database the test fills (SQLite through
// its ODBC driver, or the PostgreSQL server of HDB_TEST_CONNECTION).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <ctime>

#include "common/dates.h"
#include "common/dialogs.h"
#include "hdb/retrieval.h"
#include "hdb/station_list.h"
#include "hdb_database.h"

using namespace corv;

namespace {

const double kDay = makeDate(2026, 12, 5);
constexpr double kMinute = 1.0 / 1440.0;

class HdbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        connection = hdbtest::testConnection(dir);
        database = std::make_unique<hdbtest::Database>(connection);
        hdbtest::fillSample(*database);
        in.ComboDSID = QStringLiteral("12 precip in Beta");
        in.ComboUnits = QStringLiteral("Hourly Values");
        in.txtRainAdjust = QStringLiteral("1.0");
        in.folder = dir.path();
    }

    struct Rain {
        std::int16_t obs = -1, missing = -1;
        float udur = -1, tdepth = -1;
        VArray<double> rrtime;
        VArray<float> rdepth;
    };
    Rain rain(double bdate = kDay, double edate = kDay + 1)
    {
        Rain r;
        GetHDB(bdate, edate, r.obs, r.missing, r.udur, r.rrtime, r.rdepth, r.tdepth, connection, in, dialogs);
        return r;
    }
    std::int16_t flow(float& udur, double bdate = kDay, double edate = kDay + 1)
    {
        std::int16_t obs = -1;
        GetHDBQ(bdate, edate, obs, udur, connection, in, dialogs);
        return obs;
    }
    QByteArray tmpFile() const
    {
        QFile f(dir.filePath(QStringLiteral("TmpHDB.GRF")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    std::vector<QString> messages() const { return dialogs.messages(); }

    // A retrieval that must be refused with one message and no steps.
    struct Refusal {
        const char* station;
        const char* units;
        bool automatic;
        const char* step;  // minutes
        const char* message;
        double bdate = kDay, edate = kDay + 1;
    };
    template <class Retrieve>
    void expectRefused(const Refusal& c, Retrieve retrieve)
    {
        SCOPED_TRACE(c.message);
        dialogs.clear();
        in.ComboDSID = QString::fromLatin1(c.station);
        in.ComboUnits = QString::fromLatin1(c.units);
        in.chkAutoTimeStep = c.automatic;
        in.txtGraphtimestep = QString::fromLatin1(c.step);
        in.Label14 = QStringLiteral("Hydrograph Time Step (minutes)");
        EXPECT_EQ(retrieve(c), 0);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_TRUE(messages()[0].contains(QString::fromLatin1(c.message))) << messages()[0].toStdString();
    }

    QTemporaryDir dir;
    QString connection;
    std::unique_ptr<hdbtest::Database> database;
    RetrievalInputs in;
    ScriptedDialogs dialogs;
};

TEST_F(HdbTest, StationListsByNameWithTheNullUnitAndAnEmptyLastItem)
{
    const auto rainList = GetHDBlist(true, connection, dialogs);
    ASSERT_TRUE(rainList);
    EXPECT_EQ(*rainList, QStringList({"11 precip  Alpha", "12 precip in Beta", "13 precip mm Gamma", ""}));
    // Flow takes data types 1 and 30 together; the gage height (65) stays out.
    const auto flowList = GetHDBlist(false, connection, dialogs);
    ASSERT_TRUE(flowList);
    EXPECT_EQ(*flowList, QStringList({"22 flow cfs Mill Creek", "21 flow cfs Zulu Creek", ""}));
    EXPECT_TRUE(messages().empty());

    database->exec("DELETE FROM rsite WHERE datatype_id=10");
    EXPECT_FALSE(GetHDBlist(true, connection, dialogs));
    EXPECT_EQ(messages(), std::vector<QString>{"Table rsite not found???"});
}

TEST_F(HdbTest, StationListFailuresAreToldOnce)
{
    EXPECT_FALSE(GetHDBlist(true, QStringLiteral("Driver=NoSuchDriver;"), dialogs));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].contains("NoSuchDriver")) << messages()[0].toStdString();
    // An empty string (a setup file whose first line is blank) names no database.
    EXPECT_FALSE(GetHDBlist(true, QString(), dialogs));
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_TRUE(messages()[1].contains("Data source name not found")) << messages()[1].toStdString();
    database->exec("DROP TABLE rsite");
    EXPECT_FALSE(GetHDBlist(false, connection, dialogs));
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_TRUE(messages()[2].contains("rsite")) << messages()[2].toStdString();
    // Every connection made was released, also those that never opened.
    EXPECT_EQ(QSqlDatabase::connectionNames(), QStringList{"test-filler"});
}

TEST_F(HdbTest, HourlyRainWithAGapFilledByTheLastValue)
{
    for (bool automatic : {true, false}) {
        in.chkAutoTimeStep = automatic;
        // The manual step: 60 in minutes is one hour.
        in.txtGraphtimestep = QStringLiteral("60");
        in.Label14 = QStringLiteral("Hydrograph Time Step (minutes)");
        const Rain r = rain();
        ASSERT_EQ(r.obs, 4);
        EXPECT_EQ(r.missing, 1);
        EXPECT_FLOAT_EQ(r.udur, 1.0f);
        EXPECT_FLOAT_EQ(r.tdepth, 0.8f);
        // The filled hour carries the gap's tolerance; the rows their own dates.
        const double hour = 1.0 / 24;
        EXPECT_DOUBLE_EQ(r.rrtime(1), kDay + hour);
        EXPECT_DOUBLE_EQ(r.rrtime(2), kDay + 2 * hour);
        EXPECT_NEAR(r.rrtime(3), kDay + 3 * hour + 1E-07, 1E-10);
        EXPECT_DOUBLE_EQ(r.rrtime(4), kDay + 4 * hour);
        EXPECT_EQ(std::vector<float>(r.rdepth.vec().begin() + 1, r.rdepth.vec().begin() + 5),
                  (std::vector<float>{0.1f, 0.2f, 0.2f, 0.3f}));
        // The arrays hold the whole period plus a day: 48 hourly steps.
        EXPECT_EQ(r.rrtime.ubound(), 48);
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(HdbTest, UnitRainKeepsTheStepOfItsFirstTenRows)
{
    in.ComboUnits = QStringLiteral("Unit Values");
    // 15 minutes from the first rows; the 5-minute rows after them are all kept.
    Rain r = rain();
    EXPECT_EQ(r.obs, 10);
    EXPECT_EQ(r.missing, 0);
    EXPECT_FLOAT_EQ(r.udur, 0.25f);
    EXPECT_NEAR(r.rrtime(10) - r.rrtime(9), 5 * kMinute, 1E-9);
    // Three rows half an hour apart but for one gap: the step comes from them.
    in.ComboDSID = QStringLiteral("11 precip  Alpha");
    r = rain();
    EXPECT_EQ(r.obs, 4);
    EXPECT_EQ(r.missing, 1);
    EXPECT_FLOAT_EQ(r.udur, 0.5f);
    EXPECT_FLOAT_EQ(r.rdepth(3), 0.25f);
    EXPECT_FLOAT_EQ(r.tdepth, 1.125f);
    // Distances count from the first row, so only rows at its own date show that the
    // step is looked for in the first ten rows alone: ten rows at 00:00, then 01:00.
    database->addRows("runit", 14, {{"2026-12-05 00:00:00", "1"}, {"2026-12-05 00:00:00", "1"},
                                    {"2026-12-05 00:00:00", "1"}, {"2026-12-05 00:00:00", "1"},
                                    {"2026-12-05 00:00:00", "1"}, {"2026-12-05 00:00:00", "1"},
                                    {"2026-12-05 00:00:00", "1"}, {"2026-12-05 00:00:00", "1"},
                                    {"2026-12-05 00:00:00", "1"}, {"2026-12-05 00:00:00", "1"},
                                    {"2026-12-05 01:00:00", "2"}});
    in.ComboDSID = QStringLiteral("14 precip in Delta");
    r = rain();
    EXPECT_EQ(r.obs, 11);
    EXPECT_EQ(r.missing, 0);
    EXPECT_FLOAT_EQ(r.udur, 2376.0f);
    // One row alone: the step stays 99 days.
    in.ComboDSID = QStringLiteral("21 flow cfs Zulu Creek");
    in.ComboUnits = QStringLiteral("Hourly Values");
    r = rain();
    EXPECT_EQ(r.obs, 1);
    EXPECT_FLOAT_EQ(r.udur, 2376.0f);
    // A period that starts and ends at 02:00 holds the 02:00 row: both bounds count.
    in.ComboDSID = QStringLiteral("12 precip in Beta");
    r = rain(kDay + 2.0 / 24, kDay + 2.0 / 24);
    EXPECT_EQ(r.obs, 1);
    EXPECT_FLOAT_EQ(r.rdepth(1), 0.2f);
}

TEST_F(HdbTest, ManualTenMinuteStepFillsEveryTenMinutes)
{
    // Rows at 00:00 (.5), 00:30 (.25) and 01:30 (.125); 10 minutes is not exact in
    // binary. Filled: 00:10, 00:20 with .5, then 00:40 .. 01:20 (five) with .25.
    in.ComboDSID = QStringLiteral("11 precip  Alpha");
    in.ComboUnits = QStringLiteral("Unit Values");
    in.chkAutoTimeStep = false;
    in.txtGraphtimestep = QStringLiteral("10");
    in.Label14 = QStringLiteral("Hydrograph Time Step (minutes)");
    const Rain r = rain();
    ASSERT_EQ(r.obs, 10);
    EXPECT_EQ(r.missing, 7);
    EXPECT_FLOAT_EQ(r.udur, 1.0f / 6);
    // .5 x 3 + .25 x 6 + .125
    EXPECT_FLOAT_EQ(r.tdepth, 3.125f);
    EXPECT_EQ(std::vector<float>(r.rdepth.vec().begin() + 1, r.rdepth.vec().begin() + 11),
              (std::vector<float>{0.5f, 0.5f, 0.5f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.125f}));
    // Each filled step is 1E-07 days later than the one before would be on its own.
    EXPECT_NEAR(r.rrtime(3), kDay + 20 * kMinute + 2E-07, 1E-8);
    EXPECT_DOUBLE_EQ(r.rrtime(4), kDay + 30 * kMinute);
    EXPECT_NEAR(r.rrtime(9), kDay + 80 * kMinute + 5E-07, 1E-8);
    EXPECT_DOUBLE_EQ(r.rrtime(10), kDay + 90 * kMinute);
    // The same step in hours: the label decides the unit.
    in.txtGraphtimestep = QStringLiteral("0.5");
    in.Label14 = QStringLiteral("Hydrograph Time Step (hours)");
    EXPECT_EQ(rain().obs, 4);
    EXPECT_TRUE(messages().empty());
}

TEST_F(HdbTest, ValueFactorAndTheUnitText)
{
    in.txtRainAdjust = QStringLiteral("25.4");
    Rain r = rain();
    EXPECT_FLOAT_EQ(r.rdepth(1), 2.54f);
    EXPECT_FLOAT_EQ(r.rdepth(4), 7.62f);
    EXPECT_NEAR(r.tdepth, 20.32f, 1E-5);
    in.txtRainAdjust.clear();
    r = rain();
    EXPECT_EQ(r.obs, 4);
    EXPECT_EQ(r.tdepth, 0.0f);
    // "Hour" decides, in its case: lower-case "hourly" reads the unit values.
    in.txtRainAdjust = QStringLiteral("1.0");
    in.ComboUnits = QStringLiteral("hourly values");
    r = rain();
    EXPECT_EQ(r.obs, 10);
    EXPECT_FLOAT_EQ(r.udur, 0.25f);
}

TEST_F(HdbTest, RainfallThatCannotBeRetrievedIsToldAndGivesNoSteps)
{
    const Refusal cases[] = {
        {"DSID Parameter Units Station Name", "Hourly Values", true, "", "Select station to retrieve"},
        {"", "Hourly Values", true, "", "does not start with a station number"},
        {"abc precip in Beta", "Hourly Values", true, "", "does not start with a station number"},
        {"12; drop table rsite", "Hourly Values", true, "", "does not start with a station number"},
        {"12 precip in Beta", "Hourly Values", false, "0", "time step must be greater than zero"},
        {"12 precip in Beta", "Hourly Values", false, "-15", "time step must be greater than zero"},
        {"13 precip mm Gamma", "Hourly Values", true, "", "has no date_time or no value"},
        {"11 precip  Alpha", "Hourly Values", true, "", "No data in rhour for time period."},
        // An end before the start finds nothing.
        {"12 precip in Beta", "Hourly Values", true, "", "No data in rhour for time period.", kDay + 1, kDay},
        // A year in 15-minute steps is more than 32767 steps.
        {"12 precip in Beta", "Hourly Values", false, "15", "Overflow", kDay - 364, kDay + 1},
    };
    for (const Refusal& c : cases) expectRefused(c, [&](const Refusal& r) { return rain(r.bdate, r.edate).obs; });
    // The id check kept the table.
    EXPECT_TRUE(GetHDBlist(true, connection, dialogs));

    dialogs.clear();
    in.ComboDSID = QStringLiteral("12 precip in Beta");
    in.chkAutoTimeStep = true;
    EXPECT_EQ(GetHDBlist(true, QStringLiteral("Driver=NoSuchDriver;"), dialogs), std::nullopt);
    Rain r;
    GetHDB(kDay, kDay + 1, r.obs, r.missing, r.udur, r.rrtime, r.rdepth, r.tdepth, QStringLiteral("Driver=NoSuchDriver;"),
           in, dialogs);
    EXPECT_EQ(r.obs, 0);
    EXPECT_EQ(messages().size(), 2u);
}

TEST_F(HdbTest, FlowFileWithFilledStepsInPrintForm)
{
    in.ComboDSID = QStringLiteral("22 flow cfs Mill Creek");
    in.ComboUnits = QStringLiteral("Unit Values");
    float udur = 0;
    EXPECT_EQ(flow(udur), 5);
    EXPECT_FLOAT_EQ(udur, 0.25f);
    EXPECT_EQ(tmpFile(), QByteArray("Time\tRunoff\r\n"
                                    "05 00:00\t 10 \r\n"
                                    "05 00:15\t .5 \r\n"
                                    "05 00:30\t .5 \r\n"
                                    "05 00:45\t .5 \r\n"
                                    "05 01:00\t-2 \r\n"));
    EXPECT_EQ(messages(), std::vector<QString>{"2 missing flows added to match time-step"});

    // A manual step of 10 minutes: 15 minutes to the second row is more than a step and
    // its minute of tolerance, 5 minutes after the filled 00:10 is not.
    dialogs.clear();
    in.chkAutoTimeStep = false;
    in.txtGraphtimestep = QStringLiteral("10");
    in.Label14 = QStringLiteral("Hydrograph Time Step (minutes)");
    EXPECT_EQ(flow(udur), 8);
    EXPECT_FLOAT_EQ(udur, 1.0f / 6);
    EXPECT_EQ(tmpFile(), QByteArray("Time\tRunoff\r\n05 00:00\t 10 \r\n05 00:10\t 10 \r\n05 00:15\t .5 \r\n"
                                    "05 00:25\t .5 \r\n05 00:35\t .5 \r\n05 00:45\t .5 \r\n05 00:55\t .5 \r\n"
                                    "05 01:00\t-2 \r\n"));
    EXPECT_EQ(messages(), std::vector<QString>{"5 missing flows added to match time-step"});
    in.chkAutoTimeStep = true;

    // 45 seconds late is within the tolerance: no gap, no message.
    dialogs.clear();
    in.ComboDSID = QStringLiteral("21 flow cfs Zulu Creek");
    in.txtRainAdjust = QStringLiteral("25.4");
    EXPECT_EQ(flow(udur), 3);
    EXPECT_EQ(tmpFile(), QByteArray("Time\tRunoff\r\n05 00:00\t 25.4 \r\n05 00:15\t 50.8 \r\n05 00:30\t 76.2 \r\n"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(HdbTest, FlowThatCannotBeRetrievedLeavesTheFlowFileAsItWas)
{
    const QByteArray earlier("Time\tRunoff\r\n01 00:00\t 1 \r\n");
    QFile f(dir.filePath(QStringLiteral("TmpHDB.GRF")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(earlier);
    f.close();
    const Refusal cases[] = {
        {"21 flow cfs Zulu Creek", "Hourly Values", true, "", "Only one flow value in rhour"},
        {"21 flow cfs Zulu Creek", "Hourly Values", false, "60", "Only one flow value in rhour"},
        {"22 flow cfs Mill Creek", "Unit Values", false, "0", "time step must be greater than zero"},
        {"22 flow cfs Mill Creek", "Unit Values", false, "-15", "time step must be greater than zero"},
        {"13 precip mm Gamma", "Hourly Values", true, "", "has no date_time or no value"},
        {"22 flow cfs Mill Creek", "Hourly Values", true, "", "No data in rhour for time period."},
        // 366 days in 15-minute steps are 35136 steps: more than a count holds.
        {"22 flow cfs Mill Creek", "Unit Values", false, "15", "Overflow", kDay - 364, kDay + 1},
    };
    for (const Refusal& c : cases) {
        expectRefused(c, [&](const Refusal& r) {
            float udur = 0;
            return flow(udur, r.bdate, r.edate);
        });
        EXPECT_EQ(tmpFile(), earlier);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("TmpHDB.GRF.part"))));
}

TEST_F(HdbTest, MoreRowsThanACountHoldsOverflow)
{
    // One row doubled fifteen times: 32768 rows, one more than a count holds.
    database->addRows("rhour", 17, {{"2026-12-05 01:00:00", "1"}});
    for (int i = 0; i < 15; ++i) database->exec("INSERT INTO rhour SELECT * FROM rhour WHERE datatype_site_id=17");
    in.ComboDSID = QStringLiteral("17 precip in Many");
    EXPECT_EQ(rain().obs, 0);
    float udur = 0;
    EXPECT_EQ(flow(udur), 0);
    EXPECT_EQ(messages(), (std::vector<QString>{"Overflow", "Overflow"}));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("TmpHDB.GRF"))));
    // One row fewer is read whole: a row of 2 doubled as rows of 1, the 2 taken out.
    dialogs.clear();
    database->exec("DELETE FROM rhour WHERE datatype_site_id=17");
    database->addRows("rhour", 17, {{"2026-12-05 01:00:00", "2"}});
    for (int i = 0; i < 15; ++i)
        database->exec("INSERT INTO rhour SELECT datatype_site_id, date_time, 1 FROM rhour WHERE datatype_site_id=17");
    database->exec("DELETE FROM rhour WHERE datatype_site_id=17 AND value=2");
    const Rain r = rain();
    EXPECT_EQ(r.obs, 32767);
    EXPECT_EQ(r.missing, 0);
    EXPECT_FLOAT_EQ(r.tdepth, 32767.0f);
    EXPECT_TRUE(messages().empty());
}

// The local time zone of the program, for one test.
class LocalZone {
public:
    explicit LocalZone(const char* zone) : had_(std::getenv("TZ") != nullptr), old_(had_ ? std::getenv("TZ") : "")
    {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~LocalZone()
    {
        if (had_) ::setenv("TZ", old_.c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool had_;
    std::string old_;
};

TEST_F(HdbTest, RowsInTheHourSkippedByDaylightSavingTime)
{
    // Recorded series are kept in standard time (or UTC): on the night that Denver's
    // clocks skip from 02:00 to 03:00 the 02:00 and 02:30 rows are ordinary rows.
    const LocalZone denver("America/Denver");
    database->addRows("runit", 16, {{"2026-03-08 01:30:00", "0.1"}, {"2026-03-08 02:00:00", "0.2"},
                                    {"2026-03-08 02:30:00", "0.3"}, {"2026-03-08 03:30:00", "0.4"}});
    in.ComboDSID = QStringLiteral("16 precip in Denver");
    in.ComboUnits = QStringLiteral("Unit Values");
    const double day = makeDate(2026, 3, 8);
    const Rain r = rain(day, day + 1);
    EXPECT_TRUE(messages().empty()) << messages()[0].toStdString();
    ASSERT_EQ(r.obs, 5);
    EXPECT_EQ(r.missing, 1);
    EXPECT_FLOAT_EQ(r.udur, 0.5f);
    EXPECT_DOUBLE_EQ(r.rrtime(2), day + 2.0 / 24);
    EXPECT_DOUBLE_EQ(r.rrtime(3), day + 2.5 / 24);
    EXPECT_NEAR(r.rrtime(4), day + 3.0 / 24 + 1E-07, 1E-10);
    EXPECT_FLOAT_EQ(r.tdepth, 1.3f);
}

TEST(HdbQuery, DatesInTheOdbcTimestampFormWithWholeHours)
{
    // 24 hours on 05-Dec-2026 is midnight of the 6th; minutes are not sent.
    EXPECT_EQ(seriesQuery("rhour", 12, makeDate(2026, 12, 5, 0, 40), makeDate(2026, 12, 6, 0, 0)),
              "Select date_time, value from rhour where datatype_site_id=12 and date_time between "
              "{ts '2026-12-05 00:00:00'} and {ts '2026-12-06 00:00:00'} order by date_time;");
}

}  // namespace

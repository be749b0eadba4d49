// Station list and series retrieval against a database the test fills (SQLite through
// its ODBC driver, or the PostgreSQL server of HDB_TEST_CONNECTION).
#include <gtest/gtest.h>

#include "common/dates.h"
#include "common/dialogs.h"
#include "hdb/retrieval.h"
#include "hdb/station_list.h"
#include "hdb/hdb_database.h"
#include "support/file_bytes.h"

using namespace corv;

namespace {

const double kDay = makeDate(2026, 12, 5);
const char *const kAlpha = "11 precip  Alpha", *const kBeta = "12 precip in Beta", *const kGamma = "13 precip mm Gamma",
                  *const kZulu = "21 flow cfs Zulu Creek", *const kMill = "22 flow cfs Mill Creek";
const char *const kHourly = "Hourly Values", *const kUnit = "Unit Values";

class HdbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
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
        in.Label14 = step.endsWith('h') ? "Hydrograph Time Step (hours)" : "Hydrograph Time Step (minutes)";
    }

    // A retrieval into the members below: rainfall, giving the recorded depth, or flow.
    float rain(double bdate = kDay, double edate = kDay + 1, const char* db = nullptr)
    {
        obs = -1;
        return GetHDB(bdate, edate, obs, missing, udur, rrtime, rdepth, tdepth, db ? db : connection, in, dialogs)
            .recordedDepth;
    }
    void flow(double bdate = kDay, double edate = kDay + 1, const char* db = nullptr)
    {
        obs = -1;
        GetHDBQ(bdate, edate, obs, udur, db ? db : connection, in, dialogs);
    }
    QString tmpPath() const { return dir.filePath(QStringLiteral("TmpHDB.GRF")); }
    void expectOneMessage(const char* part)
    {
        ASSERT_EQ(dialogs.messages().size(), 1u) << part;
        EXPECT_TRUE(dialogs.messages()[0].contains(QString::fromLatin1(part))) << dialogs.messages()[0].toStdString();
    }

    QTemporaryDir dir;
    QString connection;
    std::unique_ptr<hdbtest::Database> database;
    RetrievalInputs in;
    ScriptedDialogs dialogs;
    std::int16_t obs = -1, missing = -1;
    float udur = -1, tdepth = -1;
    VArray<double> rrtime;
    VArray<float> rdepth;
};

TEST_F(HdbTest, StationListsByNameWithTheNullUnitAndAnEmptyLastItem)
{
    EXPECT_EQ(GetHDBlist(true, connection, dialogs),
              QStringList({"11 precip  Alpha", "12 precip in Beta", "13 precip mm Gamma", ""}));
    // Flow takes data types 1 and 30 together; the gage height (65) stays out.
    EXPECT_EQ(GetHDBlist(false, connection, dialogs), QStringList({"22 flow cfs Mill Creek", "21 flow cfs Zulu Creek", ""}));
    EXPECT_TRUE(dialogs.messages().empty());

    // Failures are told once: no station, no driver, an empty string, a text file given as
    // the database, no table or column read.
    database->exec("DELETE FROM rsite WHERE datatype_id=10");
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(test::writeBytes(text, "Rain gauges, December\r\n"));
    const std::pair<QString, QString> failures[] = {
        {"Driver=SQLite3;Database=" + text + ";", "The file " + text + " is not an SQLite database."},
        {connection, "Table rsite not found???"},
        {"Driver=NoSuchDriver;", "NoSuchDriver"},
        {QString(), "Data source name not found"}};
    for (const auto& [db, message] : failures) {
        dialogs.clear();
        EXPECT_EQ(GetHDBlist(true, db, dialogs), std::nullopt);
        expectOneMessage(message.toUtf8().constData());
    }
    dialogs.clear();
    database->exec("DROP TABLE rsite");
    database->exec("ALTER TABLE rhour DROP COLUMN value");
    EXPECT_EQ(GetHDBlist(false, connection, dialogs), std::nullopt);
    expectOneMessage("The database lacks rsite, rhour.value. The program reads the tables rsite (datatype_site_id, "
                     "datatype_name, unit_name, site_name, datatype_id), rhour and runit (each datatype_site_id, "
                     "date_time, value); see \"Hydrologic database\" in the README.");
    // Every connection made was released, also those that never opened.
    EXPECT_EQ(QSqlDatabase::connectionNames(), QStringList{"test-filler"});
}

// A rainfall retrieval and what it must give: steps, filled steps, step in hours, total
// and recorded depth; the depths from step 1; steps' dates as minutes after midnight.
struct RainCase {
    const char *what, *station, *units, *step;
    int obs, missing;
    float udur, tdepth, recorded;
    std::vector<float> depths;
    std::vector<std::pair<int, double>> dates;  // step, minutes
    double bdate = kDay, edate = kDay + 1;
    const char *factor = "1.0", *said = "";
    bool textKept = false;  // only where the database keeps a stamp's text as given
};

TEST_F(HdbTest, RainfallStepsGapsAndValues)
{
    const float third = 1.0f / 3;
    const RainCase cases[] = {
        // Hourly rain 01:00 .1, 02:00 .2, 04:00 .3, the absent 03:00 repeating .2, each
        // hour split in two halves that end at 00:30, 01:00 ... 04:00: .05 .05 .1 .1 .1
        // .1 .15 .15; the 04:00 record's halves are dated 03:30 and 04:00.
        {"half an hour", kBeta, kHourly, "0.5 h", 8, 2, 0.5f, 0.8f, 0.6f, {0.05f, 0.05f, 0.1f, 0.1f, 0.1f, 0.1f, 0.15f, 0.15f},
         {{1, 30}, {2, 60}, {7, 210}, {8, 240}}},
        // The same in quarters: .025 four times to 01:00, .05 eight times, .075 from 03:15 to 04:00.
        {"15 minutes", kBeta, kHourly, "15 min", 16, 4, 0.25f, 0.8f, 0.6f,
         {0.025f, 0.025f, 0.025f, 0.025f, 0.05f, 0.05f, 0.05f, 0.05f, 0.05f, 0.05f, 0.05f, 0.05f, 0.075f, 0.075f, 0.075f,
          0.075f},
         {{1, 15}, {4, 60}, {13, 195}, {16, 240}}},
        // Two hours ending 02:00 (.1 + .2) and 04:00 (the filled .2 + .3), each x 25.4 (inches to mm).
        {"two hours, factor 25.4", kBeta, kHourly, "2 h", 2, 1, 2, 20.32f, 15.24f, {7.62f, 12.7f}, {{1, 120}, {2, 240}},
         kDay, kDay + 1, "25.4"},
        // 15-minute records from 00:15 summed into the hours ending 01:00 (.1 to .4) and 02:00 (.5 to .8).
        {"quarters into hours", "43 precip in Quarter", kUnit, "1 h", 2, 0, 1, 3.6f, 3.6f, {1, 2.6f}, {{1, 60}, {2, 120}}},
        // Hourly records off the grid, each whole in the 2 h step its hour ends in: 00:30
        // and 01:30 in the step ending 02:00 (3), 02:30 in the one ending 04:00 (4).
        {"off the grid", "49 precip in Half", kHourly, "2 h", 2, 0, 2, 7, 7, {3, 4}, {{1, 120}, {2, 240}}},
        // 1.5 h is no whole number of hours: each hour shared by time, steps ending 01:30
        // (.1 + half of .2), 03:00 (the other half + the filled .2), 04:30 (.3).
        {"a step of 1.5 records", kBeta, kHourly, "1.5 h", 3, 1, 1.5f, 0.8f, 0.6f, {0.2f, 0.3f, 0.3f},
         {{1, 90}, {3, 270}}},
        // At 3 h, the absent 02:30 (2 again) ends in the step to 03:00 (1 + 2 + 2), the
        // absent 03:30 in the one to 06:00 with 04:30 (2 + 4).
        {"absent off the grid", "50 precip in Gap", kHourly, "3 h", 2, 2, 3, 11, 7, {5, 6}, {{1, 180}, {2, 360}}},
        // Hours end on the hour: the 00:00 record alone ends in the hour to 00:00, 00:15 to
        // 01:00 make the next, and the 5-minute rows from 01:05 to 01:25 the hour to 02:00.
        {"hours on the hour", kBeta, kUnit, "60 min", 3, 0, 1, 0.55f, 0.55f, {0.01f, 0.14f, 0.4f}, {{1, 0}, {3, 120}}},
        // 00:00 .5, 00:30 .25, 01:00 absent (.25 again), 01:30 .125, each a third a step
        // (10 minutes is not exact in binary), from 23:30 the day before.
        {"10 minutes", kAlpha, kUnit, "10 min", 12, 3, 1.0f / 6, 1.125f, 0.875f,
         {0.5f * third, 0.5f * third, 0.5f * third, 0.25f * third, 0.25f * third, 0.25f * third, 0.25f * third,
          0.25f * third, 0.25f * third, 0.125f * third, 0.125f * third, 0.125f * third},
         {{1, -20}, {4, 10}, {12, 90}}},
        // 15 minutes from the first rows; the 5-minute rows after 01:00 are summed into the
        // steps their intervals end in: 01:15 .06+.07+.08, 01:30 .09+.1.
        {"15 then 5 minutes", kBeta, kUnit, "", 7, 0, 0.25f, 0.55f, 0.55f,
         {0.01f, 0.02f, 0.03f, 0.04f, 0.05f, 0.21f, 0.19f}, {{1, 0}, {7, 90}}},
        // Three exact copies at 00:00 are one row: 00:00 1, 01:00 2.
        {"exact copies", "14 precip in Delta", kUnit, "", 2, 0, 1, 3, 3, {1, 2}, {}, kDay, kDay + 1, "1.0",
         "The series of station 14 in runit, 05-Dec-2026 00:00 to 06-Dec-2026 00:00: 2 row(s) repeat the row before "
         "them exactly, the first at 05-Dec-2026 00:00; each is used once."},
        // The hours to 05-Dec-2027 filled with 2: 8760 steps and the last, none more.
        {"a year on", "36 precip in Year", kUnit, "", 8761, 8758, 1, 17520, 4, {1, 2, 2}, {{8761, 525600}}, kDay, kDay + 365},
        {"one row, a step of 99 days", kZulu, kHourly, "", 1, 0, 2376, 4, 4, {4}, {}},
        // A period that starts and ends at 02:00 holds the 02:00 row: both bounds count.
        {"both bounds", kBeta, kHourly, "", 1, 0, 2376, 0.2f, 0.2f, {0.2f}, {}, kDay + 2.0 / 24, kDay + 2.0 / 24},
        // "Hour" decides, in its case: lower-case "hourly" reads the unit values.
        {"lower case", kBeta, "hourly values", "", 7, 0, 0.25f, 0.55f, 0.55f, {}, {}},
        // Stamps '9:00', '9:30' read and put before '10:00:00'; a period ending at 09:00
        // holds '9:00', though as text it comes after '09:00:00'.
        {"text stamps", "35 precip in Text", kUnit, "", 3, 0, 0.5f, 0.6f, 0.6f, {0.1f, 0.2f, 0.3f}, {{1, 540}}},
        {"text stamp at the end", "35 precip in Text", kUnit, "", 1, 0, 2376, 0.1f, 0.1f, {0.1f}, {}, kDay,
         kDay + 9.0 / 24},
        // A period from 00:10 to 01:20 runs from 00:00 to 01:00: the rows 00:00 to 01:00.
        {"bounds at whole hours", kBeta, kUnit, "", 5, 0, 0.25f, 0.15f, 0.15f, {0.01f, 0.02f, 0.03f, 0.04f, 0.05f},
         {{5, 60}}, kDay + 10.0 / 1440, kDay + 80.0 / 1440},
        // A one-digit day: the 9th and the 10th asked for, 48 hours of 0.1.
        {"one-digit day", "41 precip in Days", kHourly, "", 48, 0, 1, 4.8f, 4.8f, {0.1f}, {{1, 4 * 1440}, {48, 5 * 1440 + 1380}},
         kDay + 4, kDay + 6},
        // A one-digit month, a stamp without time: 05-Jan-2026 00:00 .2 and 00:30 .3.
        {"one-digit month", "42 precip in Month", kUnit, "", 2, 0, 0.5f, 0.5f, 0.5f, {0.2f, 0.3f}, {{2, -334 * 1440 + 30}},
         kDay - 334, kDay - 333},
        // A stamp with a leading blank, ' 2026-12-05 01:00', sorts before every year as text.
        {"leading blank", "48 precip in Blank", kHourly, "", 3, 0, 1, 0.6f, 0.6f, {0.1f, 0.2f, 0.3f}, {{1, 60}, {3, 180}},
         kDay, kDay + 1, "1.0", "", true},
    };
    const bool textKept = qgetenv("HDB_TEST_CONNECTION").isEmpty();
    for (const RainCase& c : cases) {
        if (c.textKept && !textKept) continue;
        SCOPED_TRACE(c.what);
        dialogs.clear();
        choose(c.station, c.units, c.step);
        in.txtRainAdjust = QString::fromLatin1(c.factor);
        EXPECT_NEAR(rain(c.bdate, c.edate), c.recorded, 1E-5);
        EXPECT_EQ(dialogs.messages(), *c.said ? std::vector<QString>{c.said} : std::vector<QString>{});
        ASSERT_EQ(obs, c.obs);
        EXPECT_EQ(missing, c.missing);
        EXPECT_FLOAT_EQ(udur, c.udur);
        EXPECT_NEAR(tdepth, c.tdepth, 1E-5);
        for (std::size_t k = 0; k < c.depths.size(); ++k) EXPECT_NEAR(rdepth(k + 1), c.depths[k], 1E-6) << k + 1;
        for (const auto& [step, minutes] : c.dates) EXPECT_NEAR(rrtime(step), kDay + minutes / 1440, 1E-8) << step;
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
        flow();
        EXPECT_EQ(obs, c.obs);
        EXPECT_FLOAT_EQ(udur, c.udur);
        EXPECT_EQ(test::readBytes(tmpPath()), c.file);
        EXPECT_EQ(dialogs.messages(), c.messages);
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
        bool textKept = false;  // only where the database keeps a stamp's text as given
    } cases[] = {
        {Both, "DSID Parameter Units Station Name", kHourly, "", "Select station to retrieve"},
        {Both, "12; drop table rsite", kHourly, "", "does not start with a station number"},
        {Both, kBeta, kHourly, "0 min", "time step must be greater than zero"},
        {Both, kGamma, kHourly, "", "the row of 05-Dec-2026 02:00 has no value."},
        {Both, kAlpha, kHourly, "", "No data in rhour for time period."},
        // An end before the start finds nothing.
        {Both, kBeta, kHourly, "", "No data in rhour for time period.", kDay + 1, kDay},
        // 00:00 on the 5th (the start of the 01:00 record's hour) to 01:00 on the 7th in
        // steps of 1/1024 hour: 49 x 1024 = 50,176 steps.
        {Rainfall, kBeta, kHourly, "0.0009765625 h", "the period holds 50,176 values, more than 32,767: choose a "
                                                     "shorter period", kDay, kDay + 3},
        {Flow, kBeta, kHourly, "0.0009765625 h", "values, more than 32,767: choose a shorter period", kDay, kDay + 3},
        {Both, kBeta, kHourly, "", "NoSuchDriver", kDay, kDay + 1, "Driver=NoSuchDriver;"},
        {Flow, kZulu, kHourly, "60 min", "Only one flow value in rhour"},
        {Both, "31 precip in Twice", kHourly, "", "The series of station 31 in rhour, 05-Dec-2026 00:00 to 06-Dec-2026 "
                                                "00:00: it holds two values, 0.1 and 0.2, at 05-Dec-2026 01:00."},
        {Rainfall, "32 precip in Minus", kHourly, "", "the rainfall -0.1 of 05-Dec-2026 02:00 is negative."},
        {Both, "33 precip in Huge", kHourly, "", "the value 1e+39 of 05-Dec-2026 01:00 is beyond the range"},
        {Both, "34 precip in Stamp", kHourly, "", "the date_time \"2026-12-05 25:00\" cannot be read", kDay, kDay + 1,
         nullptr, true},
        // A stamp outside any year as text is named, not taken for a period without data.
        {Both, "45 precip in Slashes", kHourly, "", "The series of station 45 in rhour, 05-Dec-2026 00:00 to 06-Dec-2026 "
         "00:00: the date_time \"12/05/2026 01:00\" cannot be read", kDay, kDay + 1, nullptr, true},
        {Both, "44 precip in Comma", kHourly, "", "The series of station 44 in rhour, 05-Dec-2026 00:00 to 06-Dec-2026 "
         "00:00: the value \"5,5\" of 05-Dec-2026 01:00 is not one number", kDay, kDay + 1, nullptr, true},
        // One number: a blank inside is not read as 0.52 or 125.
        {Both, "46 precip in Blank", kHourly, "", "the value \"0.5 2\" of 05-Dec-2026 01:00 is not one number", kDay,
         kDay + 1, nullptr, true},
        {Both, "47 precip in Cell", kHourly, "", "the value \"12 5\" of 05-Dec-2026 01:00 is not one number", kDay,
         kDay + 1, nullptr, true},
    };
    const QByteArray earlier("Time\tRunoff\r\n01 00:00\t 1 \r\n");
    ASSERT_TRUE(test::writeBytes(tmpPath(), earlier));
    const bool textKept = qgetenv("HDB_TEST_CONNECTION").isEmpty();
    for (const auto& c : cases) {
        for (const Path path : {Rainfall, Flow}) {
            if ((c.path != Both && c.path != path) || (c.textKept && !textKept)) continue;
            SCOPED_TRACE(std::string(c.message) + (path == Flow ? " (flow)" : " (rain)"));
            dialogs.clear();
            choose(c.station, c.units, c.step);
            path == Flow ? flow(c.bdate, c.edate, c.db) : void(rain(c.bdate, c.edate, c.db));
            EXPECT_EQ(obs, 0);
            expectOneMessage(c.message);
            EXPECT_EQ(test::readBytes(tmpPath()), earlier);
        }
    }
    // The id check kept the table.
    EXPECT_TRUE(GetHDBlist(true, connection, dialogs));
}

TEST(HdbQuery, DateAndValueAsTextOverThePeriodsYears)
{
    EXPECT_EQ(seriesQuery("rhour", 12, makeDate(2026, 12, 5, 0), makeDate(2027, 1, 6, 0)),
              "Select CAST(date_time AS VARCHAR(40)), CAST(value AS VARCHAR(40)) from rhour where datatype_site_id=12 "
              "and (date_time between {ts '2025-12-31 00:00:00'} and {ts '2028-01-01 00:00:00'} or date_time < "
              "{ts '1900-01-01 00:00:00'}) order by date_time;");
}

}  // namespace

// Bounds-checked arrays, dates and the scripted dialogs.
#include <gtest/gtest.h>

#include <cmath>

#include "common/dates.h"
#include "common/dialogs.h"
#include "common/varray.h"
#include "support/error_number.h"

using namespace corv;

using corv::test::errorNumber;

TEST(VArray, BoundsRedimAndPreserve)
{
    VArray<float> a(3);
    a(3) = 7;
    EXPECT_EQ(errorNumber([&] { a(4) = 1; }), err::kSubscript);
    EXPECT_EQ(errorNumber([&] { a(-1); }), err::kSubscript);
    a.redimPreserve(10);
    EXPECT_EQ(std::make_pair(a(3), a(10)), std::make_pair(7.0f, 0.0f));
    a.redim(5);
    EXPECT_EQ(a(3), 0);
    EXPECT_EQ(errorNumber([] { VArray<int>()(0); }), err::kSubscript);
    EXPECT_EQ(errorNumber([&] { a.redim(kMaxArrayElements); }), err::kOutOfMemory);
}

TEST(Dates, DayNumbersAndNamedFormats)
{
    const double d = makeDate(2024, 3, 5, 14, 30);
    for (auto [format, text] : {std::pair{" dd hh:mm", " 05 14:30"}, {"dd-mmm-yyyy", "05-Mar-2024"},
                                {"mm/dd/yyyy hh:00", "03/05/2024 14:00"}})
        EXPECT_EQ(formatDate(d, format), text);
    for (auto [day, number] : {std::pair{makeDate(1899, 12, 31), 1.0}, {makeDate(1900, 1, 1), 2.0},
                               {parseDate("3/5/2024 14:30"), d}, {parseDate("05-Mar-2024"), makeDate(2024, 3, 5)}})
        EXPECT_DOUBLE_EQ(day, number);
    EXPECT_THROW(parseDate("yesterday"), RuntimeError);
    // A time just short of midnight rounds into the next day rather than showing 24:00.
    EXPECT_EQ(formatDate(makeDate(2024, 3, 5) + 0.9999999, "dd hh:mm"), "06 00:00");
    // 1 Jan 100 is day -657434 and 31 Dec 9999 day 2958465 (36,524 days past 31 Dec 1999,
    // day 36525); a day before or after them, huge steps and NaN have no date.
    EXPECT_EQ(formatDate(-657434, "yyyy-mm-dd") + " " + formatDate(2958465.5, "yyyy-mm-dd hh"), "100-01-01 9999-12-31 12");
    for (double day : {-657435.0, 2958466.0, 1e30 / 24, -1e300, std::nan("")})
        EXPECT_EQ(errorNumber([&] { splitDate(day); }), err::kOverflow) << day;
}

TEST(ScriptedDialogs, AnswersInOrderAndRecords)
{
    ScriptedDialogs d;
    d.answerMessage(MsgAnswer::No);
    d.answerInput(std::nullopt);
    d.answerFile(QStringLiteral("/tmp/x.GRF"));
    EXPECT_EQ(d.msgBox("Exit?", MsgStyle::YesNoQuestion), MsgAnswer::No);
    EXPECT_EQ(d.msgBox("Note"), MsgAnswer::Ok);  // OK-only boxes need no queued reply
    EXPECT_EQ(d.inputBox("Enter:"), "");  // Cancel
    EXPECT_EQ(d.unanswered(), 0);
    EXPECT_EQ(d.inputBox("Again:"), "");
    EXPECT_EQ(d.unanswered(), 1);

    CommonDialog cd(d);
    cd.DialogTitle = "Open Hydrograph";
    cd.CancelError = true;
    cd.ShowOpen();
    EXPECT_EQ(cd.FileName + "|" + d.asked().back().title, "/tmp/x.GRF|Open Hydrograph");
    // Title and CancelError held for that use only: Cancel now just empties the name.
    cd.ShowSave();
    EXPECT_EQ(cd.FileName + "|" + d.asked().back().title, "|");
    cd.CancelError = true;
    EXPECT_EQ(errorNumber([&] { cd.ShowOpen(); }), err::kCancel);
    EXPECT_EQ(filterToNameFilters("Pic files (*.bmp;*.jpg)|*.bmp;*.jpg|All files (*.*)|*.*|"),
              QStringList({"Pic files (*.bmp *.jpg)", "All files (*)"}));  // *.* would hide names without a dot
}

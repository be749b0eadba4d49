// Drags of the map labels, the coordinate box and the scale frame; the label edit.
// A label dragged and edited through the window: form1_window_test.cpp.
#include <gtest/gtest.h>

#include <QPointF>

#include "support/error_number.h"
#include "map/labels.h"
#include "map/map_fixture.h"

using namespace corv;

TEST(Drags, LeftButtonMovesTheGrabbedPointWithThePointer)
{
    test::MapFixture f;
    MapModel& m = f.m;
    m.Label1.resize(2);
    m.Label1[1].rect = {1000, 2000, 1800, 255};
    Label1_MouseDown(m, f.ops.dlg, 1, 1, 0, 300, 100);
    // Moves arrive relative to the label: right 500 and up 250, then far out of the
    // viewport (no bounds); the right button or both held move nothing.
    const std::tuple<int, float, float, double, double> moves[] = {
        {1, 800, -150, 1500, 1750}, {1, -99700, 100, -98500, 1750}, {3, 5000, 5000, -98500, 1750}, {2, 5000, 5000, -98500, 1750}};
    for (auto [button, x, y, left, top] : moves) {
        Label1_MouseMove(m, 1, button, 0, x, y);
        EXPECT_EQ(QPointF(m.Label1[1].rect.Left, m.Label1[1].rect.Top), QPointF(left, top)) << x;
    }

    m.Text1.Text = "kept\r\n";  // the box moves with its text
    m.Text1.rect.Left = m.Text1.rect.Top = 0;
    ASSERT_TRUE(dragStart(m.s, 1, 10, 20));
    Text1_MouseMove(m, 1, 0, 1010, 520);
    EXPECT_EQ(std::pair(QPointF(m.Text1.rect.Left, m.Text1.rect.Top), m.Text1.Text), std::pair(QPointF(1000, 500), QString("kept\r\n")));

    m.frameScaleRect.Left = m.frameScaleRect.Top = 100;
    frameScale_MouseDown(m, 2, 0, 50, 50);  // not a drag start
    EXPECT_EQ(m.s.dragStartX, 10);
    frameScale_MouseDown(m, 1, 0, 50, 50);
    frameScale_MouseMove(m, 1, 1, 150, 25);  // Shift held does not matter
    frameScale_MouseMove(m, 4, 0, 500, 500);
    EXPECT_EQ(QPointF(m.frameScaleRect.Left, m.frameScaleRect.Top), QPointF(200, 75));
}

TEST(Drags, OtherButtonsEditTheLabel)
{
    test::MapFixture f;
    const QString report = "Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)\r\nLongest Stream Lenth= 2.00 (mi)";
    f.m.Label1[0].Caption = report;
    for (auto [button, reply, caption] : {std::tuple{3, std::optional<QString>(), report},  // Cancel
                                          {4, QString(" "), QString(" ")}}) {
        f.ops.dlg.answerInput(reply);
        Label1_MouseDown(f.m, f.ops.dlg, 0, button, 0, 0, 0);
        EXPECT_EQ(f.m.Label1[0].Caption, caption) << button;
    }
    const auto& asked = f.ops.dlg.asked();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text + "|" + asked[0].title + "|" + asked[0].extra, "Edit label:|Edit Label|" + report);
    // A label that does not exist is an error, not a crash.
    EXPECT_EQ(test::errorNumber([&] { Label1_MouseDown(f.m, f.ops.dlg, 5, 2, 0, 0, 0); }), 340);
    EXPECT_THROW(Label1_MouseMove(f.m, -1, 1, 0, 0, 0), RuntimeError);
}

// Drags of the map labels, the coordinate box and the scale frame; the label edit.
#include <gtest/gtest.h>

#include "common/dialogs.h"
#include "common/runtime_error.h"
#include "map/labels.h"
#include "map/map_model.h"

using namespace corv;

TEST(Drags, LeftButtonMovesTheGrabbedPointWithThePointer)
{
    MapModel m;
    m.formLoad();
    ScriptedDialogs dialogs;
    m.Label1.resize(2);
    m.Label1[1].rect = {1000, 2000, 1800, 255};

    Label1_MouseDown(m, dialogs, 1, 1, 0, 300, 100);
    EXPECT_EQ(m.s.dragStartX, 300);
    EXPECT_EQ(m.s.dragStartY, 100);
    // The label moved right 500 and up 250; the point stays under the pointer.
    Label1_MouseMove(m, 1, 1, 0, 800, -150);
    EXPECT_EQ(m.Label1[1].rect.Left, 1500);
    EXPECT_EQ(m.Label1[1].rect.Top, 1750);
    EXPECT_EQ(m.Label1[1].rect.Width, 1800);
    // The next move arrives relative to the moved label.
    Label1_MouseMove(m, 1, 1, 0, 300, 100);
    EXPECT_EQ(m.Label1[1].rect.Left, 1500);
    // No bounds: out of the viewport is allowed.
    Label1_MouseMove(m, 1, 1, 0, -99700, 100);
    EXPECT_EQ(m.Label1[1].rect.Left, -98500);
    // Both buttons held, or the right alone: nothing moves.
    Label1_MouseMove(m, 1, 3, 0, 5000, 5000);
    Label1_MouseMove(m, 1, 2, 0, 5000, 5000);
    EXPECT_EQ(m.Label1[1].rect.Left, -98500);
    EXPECT_TRUE(dialogs.asked().empty());

    // The coordinate box: its text goes with it unchanged.
    m.Text1.Text = "Area1 X,Y Coordinates   (mi)\r\n1, 2\r\n";
    m.Text1.rect.Left = 0;
    m.Text1.rect.Top = 0;
    ASSERT_TRUE(dragStart(m.s, 1, 10, 20));
    Text1_MouseMove(m, 1, 0, 1010, 520);
    EXPECT_EQ(m.Text1.rect.Left, 1000);
    EXPECT_EQ(m.Text1.rect.Top, 500);
    EXPECT_EQ(m.Text1.Text, "Area1 X,Y Coordinates   (mi)\r\n1, 2\r\n");

    // The scale frame.
    m.frameScaleRect.Left = 100;
    m.frameScaleRect.Top = 100;
    frameScale_MouseDown(m, 2, 0, 50, 50);  // not a drag start
    EXPECT_EQ(m.s.dragStartX, 10);
    frameScale_MouseDown(m, 1, 0, 50, 50);
    frameScale_MouseMove(m, 1, 1, 150, 25);  // Shift held does not matter
    EXPECT_EQ(m.frameScaleRect.Left, 200);
    EXPECT_EQ(m.frameScaleRect.Top, 75);
    frameScale_MouseMove(m, 4, 0, 500, 500);
    EXPECT_EQ(m.frameScaleRect.Left, 200);
}

TEST(Drags, OtherButtonsEditTheLabel)
{
    MapModel m;
    m.formLoad();
    ScriptedDialogs dialogs;
    m.Label1[0].Caption = "Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)\r\nLongest Stream Lenth= 2.00 (mi)";
    dialogs.answerInput(QStringLiteral("Upper basin"));
    Label1_MouseDown(m, dialogs, 0, 2, 0, 0, 0);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].text, "Edit label:");
    EXPECT_EQ(dialogs.asked()[0].title, "Edit Label");
    EXPECT_EQ(dialogs.asked()[0].extra, "Area1= 1.00 (mi^2), Perimeter= 4.00 (mi)\r\nLongest Stream Lenth= 2.00 (mi)");
    EXPECT_EQ(m.Label1[0].Caption, "Upper basin");

    dialogs.answerInput(std::nullopt);  // Cancel
    Label1_MouseDown(m, dialogs, 0, 3, 0, 0, 0);  // both buttons
    EXPECT_EQ(m.Label1[0].Caption, "Upper basin");
    dialogs.answerInput(QStringLiteral(" "));
    Label1_MouseDown(m, dialogs, 0, 4, 0, 0, 0);
    EXPECT_EQ(m.Label1[0].Caption, " ");
    EXPECT_EQ(dialogs.asked().size(), 3u);

    // A label that does not exist is an error, not a crash.
    try {
        Label1_MouseDown(m, dialogs, 5, 2, 0, 0, 0);
        FAIL() << "label 5 accepted";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 340);
    }
    EXPECT_THROW(Label1_MouseMove(m, -1, 1, 0, 0, 0), RuntimeError);
}

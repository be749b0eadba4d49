// Form1's drags of its floating pieces, the map label edit, the coordinate file save
// and the text editor.
#include "common/guard.h"
#include "common/text_editor.h"
#include "map/coordinate_file.h"
#include "map/window/form1.h"
#include "map/labels.h"
#include "map/window/mouse_forwarder.h"

namespace corv {

namespace {
const char* const kDragInstalled = "corvDragInstalled";
}

void Form1::installDrags()
{
    // Right clicks on the coordinate box save it; no context menu of its own.
    Text1->setContextMenuPolicy(Qt::NoContextMenu);
    new MouseForwarder(
        Text1->viewport(), Text1, [this](int b, int s, float x, float y) { Text1_MouseDown(b, s, x, y); },
        [this](int b, int s, float x, float y) { Text1_MouseMove(b, s, x, y); }, true);
    new MouseForwarder(
        frameScale, frameScale, [this](int b, int s, float x, float y) { frameScale_MouseDown(b, s, x, y); },
        [this](int b, int s, float x, float y) { frameScale_MouseMove(b, s, x, y); });
}

void Form1::refreshDrags()
{
    // Labels are created as areas are started; each gets its mouse events once.
    for (std::size_t i = 0; i < Label1.size(); ++i) {
        QLabel* label = Label1[i];
        if (label->property(kDragInstalled).toBool()) continue;
        label->setProperty(kDragInstalled, true);
        const int index = static_cast<int>(i);
        new MouseForwarder(
            label, label, [this, index](int b, int s, float x, float y) { Label1_MouseDown(index, b, s, x, y); },
            [this, index](int b, int s, float x, float y) { Label1_MouseMove(index, b, s, x, y); });
    }
}

void Form1::Label1_MouseDown(int index, int button, int shift, float x, float y)
{
    guarded(shell_.dialogs(), [&] { corv::Label1_MouseDown(model_, shell_.dialogs(), index, button, shift, x, y); });
    refresh();
}

void Form1::Label1_MouseMove(int index, int button, int shift, float x, float y)
{
    if (button != kLeftButton) return;
    guarded(shell_.dialogs(), [&] { corv::Label1_MouseMove(model_, index, button, shift, x, y); });
    refresh();
}

void Form1::Text1_MouseDown(int button, int, float x, float y)
{
    if (!dragStart(model_.s, button, x, y)) saveCoordinateFile(model_, commonDialog_, shell_.dialogs(), shell_.folder());
    refresh();
}

void Form1::Text1_MouseMove(int button, int shift, float x, float y)
{
    if (button != kLeftButton) return;
    corv::Text1_MouseMove(model_, button, shift, x, y);
    refresh();
}

void Form1::frameScale_MouseDown(int button, int shift, float x, float y)
{
    corv::frameScale_MouseDown(model_, button, shift, x, y);
}

void Form1::frameScale_MouseMove(int button, int shift, float x, float y)
{
    if (button != kLeftButton) return;
    corv::frameScale_MouseMove(model_, button, shift, x, y);
    refresh();
}

void Form1::OpenInNotepad(const QString& fileName) { corv::OpenInNotepad(fileName, shell_.dialogs(), this); }

void Form1::OpenHelp() { OpenInNotepad(shell_.folder() + QStringLiteral("/CorvantineHelp.txt")); }

}  // namespace corv

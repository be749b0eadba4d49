// Form1: the map window. It draws the MapModel and turns widget events into calls
// of the map logic; it owns no arithmetic.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "common/dialogs.h"
#include "common/shell.h"
#include "map/map_model.h"
#include "map/picture/picture.h"
#include "map/window/view.h"
#include "map/scale.h"

namespace corv {

class MapViewport;
class MapImage;
class MapOverlay;
class PadImage;

class Form1 : public QWidget {
    Q_OBJECT
public:
    Form1(Shell& shell, QWidget* parent = nullptr);
    ~Form1() override;

    MapModel& model() { return model_; }
    CommonDialog& CommonDialog1() { return commonDialog_; }
    Shell& shell() { return shell_; }
    ScaleFrameState& scaleFrame() { return scaleFrame_; }

    // Redraws the controls from the model (positions, visibility, texts).
    void refresh();

    // Event procedures.
    void Form_Load();
    void lstMenu1_Click();
    void lstMenu2_Click();
    void Image1_MouseUp(int button, int shift, float x, float y);
    void img4Way_MouseUp(int button, int shift, float x, float y);

    // The view: public procedures of the window, and the layout on resize (newPicture:
    // load, paste and clear turn stretching off so the new picture shows at its size).
    void ZoomPic(double ZoomPercent);
    void ScrollPic(std::int16_t ScrollMode);
    void Form_Resize(bool newPicture = false);
    // Image1's picture (decoded once, drawn from directly).
    void setPicture(MapPicture picture);
    const MapPicture& picture() const { return picture_; }
    MapView& view() { return view_; }
    // The user edited the coordinate box: the model takes its text.
    void Text1_Change();

    // The scale frame (form1_scale.cpp).
    void Command1_Click();
    void Option1_Click(int index);
    void UpDown1_Change();

    // Drags, label edit, coordinate file and the text editor (form1_drags.cpp).
    // "Save Area/Line" calls Text1_MouseDown(2, 0, 0, 0); "Help" calls OpenHelp().
    void Label1_MouseDown(int index, int button, int shift, float x, float y);
    void Label1_MouseMove(int index, int button, int shift, float x, float y);
    void Text1_MouseDown(int button, int shift, float x, float y);
    void Text1_MouseMove(int button, int shift, float x, float y);
    void frameScale_MouseDown(int button, int shift, float x, float y);
    void frameScale_MouseMove(int button, int shift, float x, float y);
    void OpenInNotepad(const QString& fileName);
    void OpenHelp();

    // Widgets, named as the controls they stand for.
    MapViewport* UserControlPic1 = nullptr;
    MapImage* Image1 = nullptr;
    MapOverlay* overlay = nullptr;  // draws Line1, Shape1 and Shape2
    QPlainTextEdit* Text1 = nullptr;
    QListWidget* lstMenu1 = nullptr;
    QListWidget* lstMenu2 = nullptr;
    std::vector<QLabel*> Label1;
    QLabel* Picture2 = nullptr;
    PadImage* img4Way = nullptr;
    QGroupBox* frameScale = nullptr;
    std::array<QRadioButton*, 8> Option1{};
    QLabel* Label2 = nullptr;
    QLineEdit* Text2 = nullptr;
    QSpinBox* UpDown1 = nullptr;
    QPushButton* Command1 = nullptr;

signals:
    // Closing the map window ends the program.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void syncLabels();
    void buildScaleFrame();
    void refreshScaleFrame();
    void installDrags();
    void refreshDrags();
    Shell& shell_;
    MapModel model_;
    CommonDialog commonDialog_;
    MapPicture picture_;
    MapView view_;
    ScaleFrameState scaleFrame_;
    void syncText1();
    // What Text1 shows (its own copy, so the model's text is never shared and grows
    // in place): new lines are appended to the box instead of resetting it.
    QString shownText_;
    int shownSelStart_ = -1;
    // What Image1 last painted: the picture's place and the picture itself.
    struct ImageView {
        double left = 0, top = 0, width = -1, height = -1;
        bool stretch = false;
        qint64 picture = 0;
        bool operator==(const ImageView&) const = default;
    };
    ImageView shownImage_;
};

// UserControlPic1: the viewport, a plain container.
class MapViewport : public QWidget {
    Q_OBJECT
public:
    explicit MapViewport(QWidget* parent) : QWidget(parent) {}
};

// Image1: paints only the part of the picture inside the viewport.
class MapImage : public QWidget {
    Q_OBJECT
public:
    MapImage(Form1& form, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Form1& form_;
};

// Segments and markers above the picture; mouse events pass through.
class MapOverlay : public QWidget {
    Q_OBJECT
public:
    MapOverlay(Form1& form, QWidget* parent);
    // Schedules a repaint of only what changed since the last call (a new segment
    // repaints its own small rectangle, not the whole figure).
    void updateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Drawn {
        long index;
        Segment seg;
    };
    Form1& form_;
    std::vector<Drawn> drawn_;
    Marker shape1_, shape2_;
};

}  // namespace corv

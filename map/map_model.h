// The map window without widgets: its state record, the segment set Line1, the
// coordinate box Text1, markers, labels, and the rectangles of the controls that the
// map logic moves (all in twips). Form1 draws this model and feeds it events.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "map/map_state.h"

namespace corv {

struct TwipRect {
    double Left = 0, Top = 0, Width = 0, Height = 0;
};

// One Line1 element; end points in viewport twips.
struct Segment {
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int BorderWidth = 1;
    std::uint32_t BorderColor = 0;  // 0xRRGGBB
    bool Visible = false;
    long zOrder = 0;  // larger is nearer the front
};

// The indexed set Line1: element 0 exists from design and is never removed;
// the others are loaded and unloaded at run time.
class SegmentSet {
public:
    SegmentSet();
    bool exists(long index) const;
    // Load a new element ("Object already loaded" when it exists; index must be >= 0).
    Segment& load(long index);
    // Unload an element; element 0 cannot be unloaded.
    void unload(long index);
    // An existing element ("Control array element 'n' doesn't exist" otherwise).
    Segment& operator()(long index);
    const Segment& operator()(long index) const;
    long highestIndex() const;  // the highest loaded index (at least 0)
    long loadedCount() const;
    void bringToFront(long index);
    // Loaded elements in index order, for drawing.
    template <class F>
    void forEach(F&& f) const
    {
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (items_[i]) f(static_cast<long>(i), *items_[i]);
    }

private:
    std::vector<std::optional<Segment>> items_;
    long highest_ = 0;
    long count_ = 1;
    long nextZ_ = 1;
};

struct Marker {
    TwipRect rect{0, 0, 135, 135};
    bool Visible = false;
};

struct MapLabel {
    QString Caption;
    TwipRect rect{0, 0, 1800, 255};
    bool Visible = false;
};

struct TextBoxState {
    QString Text;
    int SelStart = 0;
    bool Visible = false;
    TwipRect rect{0, 0, 4800, 2400};
};

struct ListState {
    QStringList items;
    TwipRect rect{0, 0, 2100, 3000};
    bool Visible = false;
};

struct ImageState {
    TwipRect rect;        // Left/Top: the picture's offset in the viewport
    bool Stretch = false;
    int MousePointer = 0;  // 0 default, 2 crosshair
    bool hasPicture = false;
};

class MapModel {
public:
    MapModel();

    MapState s;
    SegmentSet Line1;
    TextBoxState Text1;
    Marker Shape1, Shape2;
    std::vector<MapLabel> Label1;  // element 0 exists from design
    ImageState Image1;
    TwipRect UserControlPic1{0, 0, 12000, 8000};
    ListState lstMenu1, lstMenu2;
    TwipRect frameScaleRect{0, 0, 3600, 3000};
    bool frameScaleVisible = false;
    bool padVisible = true;  // img4Way
    QString caption;

    // Form_Load steps 1, 2, 4, 6 and 7 (the caption and maximising are the window's).
    void formLoad();
    static QString startCaption();
    static const QStringList& mainMenuItems();
    static const QStringList& pictureMenuItems();
};

}  // namespace corv

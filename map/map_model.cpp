// The map window's model: segment set and start-up.
#include "map/map_model.h"

#include "common/runtime_error.h"

namespace corv {

SegmentSet::SegmentSet() : items_(1) { items_[0] = Segment{}; }

bool SegmentSet::exists(long index) const
{
    return index >= 0 && index < static_cast<long>(items_.size()) && items_[static_cast<std::size_t>(index)].has_value();
}

Segment& SegmentSet::load(long index)
{
    if (index < 0) err::raise(err::kSubscript);
    if (exists(index)) throw RuntimeError(360, "Object already loaded");
    if (index >= static_cast<long>(items_.size())) {
        if (index >= 32768) err::raise(err::kSubscript);
        items_.resize(static_cast<std::size_t>(index) + 1);
    }
    auto& slot = items_[static_cast<std::size_t>(index)];
    slot = Segment{};
    slot->zOrder = nextZ_++;
    ++count_;
    if (index > highest_) highest_ = index;
    return *slot;
}

void SegmentSet::unload(long index)
{
    if (index == 0) throw RuntimeError(362, "Can't unload controls created at design time");
    if (!exists(index)) throw RuntimeError(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
    items_[static_cast<std::size_t>(index)].reset();
    --count_;
    while (highest_ > 0 && !items_[static_cast<std::size_t>(highest_)]) --highest_;
    // Drop trailing empty slots so a long session does not keep growing the vector.
    items_.resize(static_cast<std::size_t>(highest_) + 1);
}

Segment& SegmentSet::operator()(long index)
{
    if (!exists(index)) throw RuntimeError(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
    return *items_[static_cast<std::size_t>(index)];
}

const Segment& SegmentSet::operator()(long index) const
{
    if (!exists(index)) throw RuntimeError(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
    return *items_[static_cast<std::size_t>(index)];
}

long SegmentSet::highestIndex() const { return highest_; }
long SegmentSet::loadedCount() const { return count_; }
void SegmentSet::bringToFront(long index) { (*this)(index).zOrder = nextZ_++; }

MapModel::MapModel() : Label1(1) { Image1.rect = UserControlPic1; }

QString MapModel::startCaption()
{
    return QStringLiteral("Right Click for menu... Corvantine %1.%2.%3")
        .arg(CORVANTINE_VERSION_MAJOR)
        .arg(CORVANTINE_VERSION_MINOR)
        .arg(CORVANTINE_VERSION_PATCH);
}

const QStringList& MapModel::mainMenuItems()
{
    static const QStringList items = {"Load/Save Map",    "Set Scale",         "Start Area",      "Start Stream Line",
                                      "End Area/Line",    "Undo Current Line", "Clear Area/Line", "Save Area/Line",
                                      "Add Label",        "Runoff Hydrogaph",  "Help",            "Cancel"};
    return items;
}

const QStringList& MapModel::pictureMenuItems()
{
    static const QStringList items = {"Load Map File",   "Save Map Image",      "Clear Map Image",   "Big Google Maps",
                                      "Google Map Lat/Long", "USGS Map Viewer", "Paste From Clipboard",
                                      "Copy to Clipboard", "Scroll/Zoom Speed", "Print",             "Cancel"};
    return items;
}

void MapModel::formLoad()
{
    s.traceStart.redim(20);
    s.scrollSpeed = 0.05f;
    s.lengthUnits = QStringLiteral(" (mi)");
    caption = startCaption();
    lstMenu2.items = pictureMenuItems();
    lstMenu1.items = mainMenuItems();
    s.scaleX = s.scaleY = 1.0f;
    s.panZoomAllowed = true;
    Text1.rect.Left = lstMenu1.rect.Left = UserControlPic1.Left;
    Text1.rect.Top = lstMenu1.rect.Top = UserControlPic1.Top;
    lstMenu1.Visible = true;
}

}  // namespace corv

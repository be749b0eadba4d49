// The map picture menu: every pick sets the caption and hides the menu and the
// coordinate box, then acts on the item's text.
#include "map/picture/picture_menu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QBuffer>

#include "common/dialogs.h"
#include "common/guard.h"
#include "common/module1.h"
#include "common/numbers.h"
#include "common/runtime_error.h"
#include "common/save_file.h"
#include "common/shell.h"
#include "map/picture/capture.h"
#include "map/picture/dib_section.h"
#include "map/window/form1.h"
#include "map/picture/jpeg_writer.h"
#include "map/main_menu.h"
#include "map/picture/picture.h"
#include "map/scale.h"
#include "map/trace.h"

namespace corv {

QString defaultSaveName(std::int16_t areaCount) { return QStringLiteral("Corvan%1.jpg").arg(areaCount); }

bool savesAsJpeg(const QString& fileName) { return fileName.toLower().contains(QLatin1String(".jpg")); }

std::optional<float> scrollSpeedFromReply(const QString& reply)
{
    const double value = Val(reply.toStdString());
    if (!(value > 0 && value < 1)) return std::nullopt;
    // The reply is kept as a single; the range is tested on that value.
    const auto v = static_cast<float>(value);
    if (v > 0 && v <= 0.5f) return v;
    return std::nullopt;
}

void clearMapFigures(MapModel& m, MapWindowOps& ops)
{
    m.Label1.resize(1);
    m.Label1[0].Visible = false;
    m.s.clearAll = true;
    Tracer(m, ops).ClearCurrentTrace();
}

void saveBitmapFile(const QImage& picture, const QString& fileName)
{
    // The target is checked before the picture is encoded.
    SaveFile file(fileName);
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    QImageWriter writer(&bytes, "bmp");
    if (!writer.write(picture.convertToFormat(QImage::Format_RGB32))) err::raise(err::kOutOfMemory);
    file.write(bytes.data());
    file.commit();
}

void PictureMenu::pick(const QString& item)
{
    MapModel& m = form_.model();
    m.caption = QStringLiteral("Mouse Right Click for menu...");
    m.lstMenu2.Visible = false;
    m.Text1.Visible = false;

    if (item == QLatin1String("Save Map Image")) {
        saveMapImage();
        return;
    }
    // Any failure of the other items is shown with its own text; the pad comes back.
    try {
        if (item == QLatin1String("Load Map File")) loadMapFile();
        else if (item == QLatin1String("Paste From Clipboard")) pasteFromClipboard();
        else if (item == QLatin1String("Clear Map Image")) clearMapImage();
        else if (item == QLatin1String("Copy to Clipboard")) copyToClipboard();
        else if (item == QLatin1String("Print")) print();
        else if (item == QLatin1String("Scroll/Zoom Speed")) scrollZoomSpeed();
        else if (item == QLatin1String("Big Google Maps")) {
            Module1::bigMapPage = true;
            Module1::usgsViewerPage = false;
            form_.shell().openMapSource();
        } else if (item == QLatin1String("Google Map Lat/Long")) {
            Module1::bigMapPage = false;
            Module1::usgsViewerPage = false;
            form_.shell().openMapSource();
        } else if (item == QLatin1String("USGS Map Viewer")) {
            Module1::bigMapPage = false;
            Module1::usgsViewerPage = true;
            form_.shell().openMapSource();
        }
        // "Cancel": nothing beyond hiding the menu.
    } catch (...) {
        // Shown as every handler shows it (rethrown inside the guard while still handled).
        guarded(form_.shell().dialogs(), [] { throw; });
        m.padVisible = true;
    }
}

void PictureMenu::resetCounters()
{
    MapModel& m = form_.model();
    m.s.segmentIndex = m.s.traceCount = m.s.areaCount = 0;
    m.s.clearAll = false;
}

void PictureMenu::loadMapFile()
{
    CommonDialog& dlg = form_.CommonDialog1();
    dlg.FileName = QString();
    dlg.InitDir = form_.shell().folder();
    dlg.Filter = QString::fromLatin1(kLoadFilter);
    dlg.ShowOpen();
    const QString name = dlg.FileName;
    // Cancel keeps the map, its figures and labels as they are.
    if (name.isEmpty()) return;
    // The picture is read before anything is cleared, so a file that cannot be read
    // loses nothing.
    MapPicture picture;
    try {
        picture = MapPicture::load(name);
    } catch (const RuntimeError& e) {
        form_.shell().dialogs().msgBox(QStringLiteral("%1: %2\r\nThe map picture and its traced figures are unchanged.")
                                           .arg(name, QString::fromStdString(e.what())));
        return;
    }

    Form1Ops ops(form_);
    clearMapFigures(form_.model(), ops);
    form_.Form_Resize(true);
    resetCounters();
    form_.setPicture(std::move(picture));
    form_.ScrollPic(4);
    forgetOldScale();
}

void PictureMenu::pasteFromClipboard()
{
    Form1Ops ops(form_);
    clearMapFigures(form_.model(), ops);
    form_.Form_Resize(true);
    resetCounters();
    form_.setPicture(MapPicture(QGuiApplication::clipboard()->image()));
    form_.ScrollPic(4);
    forgetOldScale();
}

void PictureMenu::clearMapImage()
{
    Form1Ops ops(form_);
    clearMapFigures(form_.model(), ops);
    form_.setPicture(MapPicture());
    form_.Form_Resize(true);
    resetCounters();
    forgetOldScale();
}

void PictureMenu::forgetOldScale()
{
    // The new picture shows at its own size, so neither the old scale's factors nor its
    // kind fit it: the user sets its scale again.
    MapModel& m = form_.model();
    const bool hadScale = scaleInForce(m.s);
    forgetScale(m.s);
    if (hadScale) m.caption = scaleGoneCaption();
}

void PictureMenu::saveMapImage()
{
    MapModel& m = form_.model();
    const QString proposed = defaultSaveName(m.s.areaCount);
    CommonDialog& dlg = form_.CommonDialog1();
    // Cancel ends the action without a word; a failed save says why and brings the
    // pad back, leaving any earlier file of that name as it was.
    try {
        dlg.CancelError = true;
        dlg.InitDir = form_.shell().folder();
        dlg.FileName = proposed;
        dlg.Filter = QString::fromLatin1(kSaveFilter);
        dlg.ShowSave();
        const QString name = dlg.FileName;

        m.padVisible = false;
        form_.refresh();
        bool wholeWindow = false;
        CaptureFormImage(form_, *form_.Picture2, wholeWindow);
        if (!name.isEmpty()) {
            const QImage picture = form_.Picture2->pixmap().toImage();
            if (savesAsJpeg(name)) {
                cDIBSection dib;
                dib.CreateFromPicture(picture);
                mIntelJPEGLibrary::SaveDibToJpegFile(dib, name, 90);
            } else {
                saveBitmapFile(picture, name);
            }
        }
        m.padVisible = true;
    } catch (...) {
        if (!handlingCancel()) guarded(form_.shell().dialogs(), [] { throw; });
        m.padVisible = true;
    }
}

void PictureMenu::copyToClipboard()
{
    MapModel& m = form_.model();
    m.padVisible = false;
    form_.refresh();
    bool wholeWindow = false;
    CaptureFormImage(form_, *form_.Picture2, wholeWindow);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(form_.Picture2->pixmap().toImage());
    m.padVisible = true;
}

void PictureMenu::print()
{
    MapModel& m = form_.model();
    m.padVisible = false;
    form_.refresh();
    // The page is turned to landscape on a printer set up for this job alone, so there
    // is no shared orientation to put back afterwards.
    PrintForm(form_);
    m.padVisible = true;
}

void PictureMenu::scrollZoomSpeed()
{
    MapState& s = form_.model().s;
    const QString reply = form_.shell().dialogs().inputBox(QStringLiteral("Enter scoll/zoom factor:"),
                                                           QStringLiteral("Scroll/Zoom Speed"),
                                                           QString::fromStdString(strSingle(s.scrollSpeed)));
    if (reply.isEmpty()) return;
    if (const auto v = scrollSpeedFromReply(reply)) s.scrollSpeed = *v;
}

}  // namespace corv

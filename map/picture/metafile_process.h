// Drawing a metafile in the helper process corvantine-metafile, beside the program.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace corv {

struct MetafileRun {
    QString helper;            // the helper executable; empty: the one beside this program
    int timeLimitMs = 10000;   // the helper is stopped after this long
};

// Draws a metafile at dpi dots per inch on white in the helper process. The helper's
// failure, crash, signal or time-out is "Invalid picture" (481); a picture too large
// for this machine, or the helper running out of its memory, is "Out of memory" (7); a
// helper that does not start is named (File not found, 53, when it is missing).
QImage renderMetafile(const QByteArray& data, double dpi = 96.0, const MetafileRun& run = {});

// The helper executable beside the running program.
QString metafileHelperPath();

}  // namespace corv

// Writing lines into the coordinate box Text1 of the map model: every line ends in
// CR LF, as the saved coordinate file keeps it.
#pragma once

#include <QString>

#include "map/map_model.h"

namespace corv {

inline const QString kCrLf = QStringLiteral("\r\n");

// Replaces the whole text; the caret goes to the start, as with any new text.
inline void setText1(TextBoxState& t, const QString& text)
{
    t.Text = text;
    t.SelStart = 0;
}

// Appends a line and its line end; QString grows geometrically, so a long trace
// never re-copies the whole text per vertex.
inline void appendLine(TextBoxState& t, const QString& line)
{
    t.Text += line;
    t.Text += kCrLf;
}

inline void caretToEnd(TextBoxState& t) { t.SelStart = static_cast<int>(t.Text.size()); }

}  // namespace corv

// Reading the program's small text files (storm files, storage-routing tables,
// hydrograph files): lines, fields and the numbers at their start.
#pragma once

#include <string_view>
#include <vector>

namespace corv {

// The lines of a text, without their CR LF or LF endings.
std::vector<std::string_view> splitLines(std::string_view all);

// The fields of a line split at every sep.
std::vector<std::string_view> splitFields(std::string_view line, char sep);

// True when the text begins with a number under the leading-number rule (so that a
// letter or an empty field is not silently read as 0).
bool startsWithNumber(std::string_view t);

// A field under the leading-number rule; plain decimal fields, nearly all of a data
// file, are read directly (the same correctly rounded value as the general rule).
double fieldValue(std::string_view t);

// A field converted strictly: the whole text (blanks around it allowed) is a number.
// False when it is not.
bool strictNumber(std::string_view t, double& value);

// A line shortened for a message: its first 40 characters.
std::string shownLine(std::string_view line);

}  // namespace corv

// Reading the program's small text files (storm files, storage-routing tables,
// hydrograph files): lines, fields and the numbers at their start.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

// The whole of a data file: a regular file of at most maxBytes, so that a FIFO or a
// device cannot hold the program. A missing file raises "File not found: <path>"; the
// other faults "<file> is not a regular file.", "<file> cannot be read." and "<file> is
// too large for <tooLargeFor>.", where file says which file ("The hydrograph file X").
QByteArray readDataFile(const QString& path, qint64 maxBytes, const std::string& file, const char* tooLargeFor);

// A space or a TAB: what separates and surrounds the numbers of a field.
bool isBlank(char c);

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

// A value read from a file, stored as a single. One beyond singles raises "Overflow"
// with "<file> has the number "<field>" on line <n>, beyond the range of numbers the
// program computes with.", where file says which file ("The storm file C:\\S.STM").
float fileSingle(double value, std::string_view field, const std::string& file, long lineNumber);

// A line shortened for a message: its first 40 characters.
std::string shownLine(std::string_view line);

}  // namespace corv

// The nine-character cells of the hydrograph report, appended to a line being built.
// Each gives exactly what fm, usgsround and the shortest text give; single-precision
// values in the ranges a hydrograph uses take a short integer path, the rest the
// general rules.
#pragma once

#include <string>

namespace corv {

inline constexpr std::size_t kCellWidth = 9;

// Each put writes exactly nine characters at cell and returns cell + 9; each append
// adds the same nine to line.

// fm(x, mask) for the report masks "########0", "######0.0", "#####0.00",
// "####0.000" and "##0.00000": decimals 0, 1, 2, 3 or 5.
char* putMaskCell(char* cell, float x, int decimals);
void appendMaskCell(std::string& line, float x, int decimals);

// A flow cell: x to its shortest text and back, usgsround, then its shortest text
// flush right in nine blanks (the first nine characters of a longer text).
char* putFlowCell(char* cell, float x);
void appendFlowCell(std::string& line, float x);

// usgsround of x (x takes the rounded value), its shortest text flush right in nine
// blanks (first nine of a longer text).
char* putRoundedCell(char* cell, float& x);

// The shortest text of x flush right in nine blanks (first nine of a longer text).
char* putShortestCell(char* cell, float x);
void appendShortestCell(std::string& line, float x);

// The unpadded text of x by the mask "0", "0.0", "0.00" ... (decimals 0 to 5).
std::string maskText(float x, int decimals);

// usgsround without the text round trip, for callers that hold many values.
float usgsroundValue(float v);

// The shortest text of a single (strSingle).
std::string shortestText(float x);

}  // namespace corv

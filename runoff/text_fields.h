// Reading the program's small text files (storm files, storage-routing tables,
// hydrograph files): lines, fields and the numbers at their start.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <limits>
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

// The lines of a text one at a time, without their endings (an LF and the CRs right
// before it, or the CRs at the text's end): a reader holds
// the line it reads, never a list of all of them (a file of blank lines would cost 16
// bytes a byte).
class Lines {
public:
    explicit Lines(std::string_view all) : rest_(all) {}
    // The next line; false at the end of the text.
    bool next(std::string_view& line);
    // The number of the line last given, from 1.
    long number() const { return number_; }

private:
    std::string_view rest_;
    long number_ = 0;
};

// How many lines Lines gives for the text.
long countLines(std::string_view all);

// Raises "Invalid file format" with "<file> has a bare carriage return inside line
// <n>: its lines must end in CR LF or LF." when the line (read by Lines, without its
// ending) still holds a CR: lines split at bare carriage returns would be read as one.
void refuseBareReturn(std::string_view line, const std::string& file, long lineNumber);

// The fields of a line split at every sep, one at a time, so that a line of millions
// of separators costs no more than its reading.
class Fields {
public:
    Fields(std::string_view line, char sep) : rest_(line), sep_(sep) {}
    // The next field; false after the last.
    bool next(std::string_view& field);

private:
    std::string_view rest_;
    char sep_;
    bool done_ = false;
};

// The fields of a line split at every sep, the first maxFields of them: a reader asks
// for the ones it uses.
std::vector<std::string_view> splitFields(std::string_view line, char sep,
                                          std::size_t maxFields = std::numeric_limits<std::size_t>::max());

// Field k (from 0) of a line split at every sep; false when the line has fewer.
bool fieldAt(std::string_view line, char sep, std::size_t k, std::string_view& field);

// The most characters a field read as a number may have: far more than any number is
// written with, far fewer than a run of digits pasted by mistake.
inline constexpr std::size_t kMaxNumberField = 256;

// Raises "Type mismatch" with "<file> has a field of <n> characters on line <line>
// ("<its start>..."), far longer than any number (at most 256 characters)." for a
// field longer than kMaxNumberField, where file says which file.
void checkNumberField(std::string_view field, const std::string& file, long lineNumber);

// True when the text begins with a number under the leading-number rule (so that a
// letter or an empty field is not silently read as 0).
bool startsWithNumber(std::string_view t);

// A field under the leading-number rule; plain decimal fields, nearly all of a data
// file, are read directly (the same correctly rounded value as the general rule).
double fieldValue(std::string_view t);

// A field converted strictly: the whole text (blanks around it allowed, none inside)
// is one number. False when it is not.
bool strictNumber(std::string_view t, double& value);

// How far a number written as t may lie from the value it was rounded from: half a
// unit of its last decimal ("1.3": 0.05); 0 for a whole number or an exponent form.
double halfLastDigit(std::string_view t);

// A value read from a file, stored as a single. One beyond singles raises "Overflow"
// with "<file> has the number "<field>" on line <n>, beyond the range of numbers the
// program computes with.", where file says which file ("The storm file C:\\S.STM").
float fileSingle(double value, std::string_view field, const std::string& file, long lineNumber);

// A line shortened for a message: its first 40 characters.
std::string shownLine(std::string_view line);

}  // namespace corv

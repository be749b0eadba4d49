// The program's number rules: reading numbers from text, whole-number conversions,
// the text and print forms of numbers, and format masks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corv {

// Leading-number reading of a text box: the longest leading part that reads as a
// decimal number (blanks skipped, "." as the point, optional exponent); 0 when the
// text starts with no number. Never fails.
double Val(std::string_view text);

// Strict conversion: the whole text (blanks around it allowed) must be a number,
// otherwise "Type mismatch".
double toNumberStrict(std::string_view text);

// One number as a file field or a database value holds it: blanks around it allowed,
// none inside, so "0.5 2" is not read as 0.52 the way a box reads it; otherwise
// "Type mismatch".
double toOneNumber(std::string_view text);

// Conversion to a 16-bit count: nearest whole number, halves to even;
// "Overflow" outside -32768..32767, for infinities and NaN.
std::int16_t toInt16(double value);
// The same for 32-bit counts.
std::int32_t toInt32(double value);
// 16-bit arithmetic that raises "Overflow" instead of wrapping.
std::int16_t add16(std::int16_t a, long b);

// Int: the largest whole number not above the value.
double intFloor(double value);

// Storing a computed value as a single: "Overflow" when it does not fit.
float toSingle(double value);

// Division as the program's arithmetic does it: x/0 is "Division by zero", 0/0 "Overflow".
double divide(double a, double b);

// A quotient of singles formed and kept in single precision, with divide's rules for
// a zero divisor. Step counts are rounded from such quotients: 0.1 h is not exact in
// binary, and 0.75 / 0.1 is 7.5 in single but 7.4999999 in double.
float singleQuotient(float a, float b);
// The same quotient rounded to a 16-bit count, halves to even ("Overflow" beyond it).
std::int16_t stepCount(float a, float b);

// General text form: rounded to 7 (single) or 15 (double) significant digits,
// trailing zeros dropped, no blank, exponent form ("1E+38", "1.5E-05") for large
// and small magnitudes.
std::string strSingle(float value);
std::string strDouble(double value);

// Print form: a blank (or the minus sign) before, one blank after, and no zero
// before the point of a magnitude below 1 (" .5 ", "-1.25 ").
std::string printSingle(float value);
std::string printDouble(double value);

// Format mask of "0", "#" and "." (other characters are copied as they stand):
// halves are rounded away from zero.
std::string formatMask(double value, std::string_view mask);

// A decimal digit string and exponent (value = 0.d1d2d3... x 10^exp10); used by the
// formatting rules above and exposed for tests.
struct DecimalDigits {
    bool negative = false;
    std::string digits;  // no leading zeros; "" for zero
    int exp10 = 0;       // position of the decimal point relative to digits
};
DecimalDigits toDecimal(double value, int significantDigits);

}  // namespace corv

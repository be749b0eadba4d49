// Timestamps as the database gives them in text: the series query reads date_time as
// text, so that no driver converts it (a driver's own conversion of a stamp stored as
// text can read past its buffer), and the program reads the text itself.
#pragma once

#include <optional>
#include <string_view>

namespace corv {

// "yyyy-mm-dd", "yyyy-mm-dd h:mm", "yyyy-mm-dd hh:mm:ss" or with fractions of a second
// ("hh:mm:ss.ffffff"); a "T" may stand for the blank, month, day and hour may have one
// digit, blanks around are ignored. The day number, or nothing for any other text or a
// date or time that does not exist (31 February, 24:00, minute 60).
std::optional<double> parseTimestamp(std::string_view text);

}  // namespace corv

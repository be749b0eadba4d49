// Run-time errors: a number and the text shown to the user, as the program reports them.
#pragma once

#include <stdexcept>
#include <string>

namespace corv {

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description, std::string source = {})
        : std::runtime_error(description), number_(number), source_(std::move(source)) {}
    int number() const { return number_; }
    std::string description() const { return what(); }
    const std::string& source() const { return source_; }

private:
    int number_;
    std::string source_;
};

// The error numbers and texts the program raises itself.
namespace err {
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kSubscript = 9;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kFileNotFound = 53;
inline constexpr int kBadFileName = 52;
inline constexpr int kInputPastEnd = 62;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kInvalidFileFormat = 321;
inline constexpr int kCancel = 32755;

[[noreturn]] void raise(int number);
std::string text(int number);
}  // namespace err

}  // namespace corv

// Standard texts of the run-time errors the program can raise.
#include "common/runtime_error.h"

namespace corv::err {

std::string text(int number)
{
    switch (number) {
    case kInvalidProcedureCall: return "Invalid procedure call or argument";
    case kOverflow: return "Overflow";
    case kOutOfMemory: return "Out of memory";
    case kSubscript: return "Subscript out of range";
    case kDivisionByZero: return "Division by zero";
    case kTypeMismatch: return "Type mismatch";
    case kBadFileName: return "Bad file name or number";
    case kFileNotFound: return "File not found";
    case kInputPastEnd: return "Input past end of file";
    case kPermissionDenied: return "Permission denied";
    case kPathNotFound: return "Path not found";
    case kPathFileAccess: return "Path/File access error";
    case kInvalidFileFormat: return "Invalid file format";
    case kCancel: return "Cancel was selected.";
    default: return "Application-defined or object-defined error";
    }
}

void raise(int number) { throw RuntimeError(number, text(number)); }

}  // namespace corv::err

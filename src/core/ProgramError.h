// A failure raised to a caller whose error handling reports it by number and
// description (the restart timer logs both). Portable core: no Windows header.
#pragma once

#include <stdexcept>
#include <string>

// The error numbers the program raises, as its callers and logs know them.
enum ErrorNumber : long {
    kErrInvalidProcedureCall = 5, kErrFileNotFound = 53, kErrFileAlreadyExists = 58, kErrDiskFull = 61,
    kErrPermissionDenied = 70, kErrPathNotFound = 76, kErrObjectNotSet = 91, kErrInvalidName = 123,
    kErrResourceNotFound = 326, kErrNoSuchElement = 340, kErrCannotCreateObject = 429, kErrNoSuchMember = 438,
    kErrUnsupportedValueType = 1001,
};

class ProgramError : public std::runtime_error {
public:
    ProgramError(long number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    long Number() const noexcept { return number_; }

private:
    long number_;
};

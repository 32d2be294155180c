// A failure raised to a caller whose error handling reports it by number and
// description (the restart timer logs both). Portable core: no Windows header.
#pragma once

#include <stdexcept>
#include <string>

class ProgramError : public std::runtime_error {
public:
    ProgramError(long number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    long Number() const noexcept { return number_; }
    std::string Description() const { return what(); }

private:
    long number_;
};

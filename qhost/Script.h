// The script of the host program: one command a line, quoted tokens with
// escapes.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace qhost {

// A line that could not run; the message goes to standard error.
struct LineError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Splits a line into tokens; throws LineError on an unterminated quote or a
// bad escape.
std::vector<std::wstring> Tokenize(const std::wstring& line);

} // namespace qhost

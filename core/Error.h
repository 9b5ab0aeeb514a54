// Errors that end a command. what() is the text the user sees in the message box.
#pragma once

#include <stdexcept>
#include <string>

namespace quorvil {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string &message) : std::runtime_error(message) {}
};

// A text that does not read as a number.
class ConversionError : public Error {
public:
    explicit ConversionError(const std::string &text)
        : Error("'" + text + "' is not a valid floating point value") {}
};

// A floating-point fault caught by FpGuard (invalid operation, division by zero, overflow).
class FloatError : public Error {
public:
    using Error::Error;
};

} // namespace quorvil

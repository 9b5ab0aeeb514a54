// Number and angle texts of the survey files (observation files, gama-local), locale-free.
#pragma once

#include "core/Real.h"
#include "core/TextForms.h"

#include <optional>
#include <string>

namespace quorvil {

// A decimal number, optionally signed, with an optional exponent ("0.01e4"); nullopt for anything
// else (empty text, inf, nan, hexadecimal, trailing characters).
std::optional<Real> ParseNumber(const std::string &text);

// Degrees written "d-m-s" with an optional sign ("-57-32-28.428"), in decimal degrees; nullopt when
// the text is not of that form.
std::optional<Real> ParseDashedDms(const std::string &text);

} // namespace quorvil

// Messages of the command line on standard output and standard error, in UTF-8.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quorvil::cli {

void PrintOut(std::string_view text);
void PrintError(std::string_view text);

// The summary of a run (parameters, closures, σ0): on standard output, unless the table goes
// there (`output` is "-"); then on standard error.
void PrintSummary(const QString &output, std::string_view text);

} // namespace quorvil::cli

// Messages of the command line on standard output and standard error, in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace quorvil::cli {

void PrintOut(std::string_view text);
void PrintError(std::string_view text);

} // namespace quorvil::cli

#include "Console.h"

#include <cerrno>
#include <unistd.h>

namespace quorvil::cli {

namespace {

void WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return; // nowhere left to say anything
        text.remove_prefix(static_cast<size_t>(put));
    }
}

} // namespace

void PrintOut(std::string_view text) { WriteAll(STDOUT_FILENO, text); }
void PrintError(std::string_view text) { WriteAll(STDERR_FILENO, text); }

void PrintSummary(const QString &output, std::string_view text)
{
    if (output == u"-")
        PrintError(text);
    else
        PrintOut(text);
}

} // namespace quorvil::cli

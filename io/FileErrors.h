// Errors of reading and writing files, with the texts the user sees.
#pragma once

#include "core/Error.h"

#include <QString>

namespace quorvil {

class FileError : public Error {
public:
    using Error::Error;
    static FileError NotFound() { return FileError("File not found"); }
    static FileError DiskFull() { return FileError("Disk full"); }
    static FileError Io(int code) { return FileError("I/O error " + std::to_string(code)); }
};

} // namespace quorvil

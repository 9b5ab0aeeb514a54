// libFuzzer target for the drawing open path: whatever the bytes, reading gives a drawing or a
// DxfError, and a drawing that was read saves and reads back. Built and run by scripts/fuzz-dxf.sh.
#include "io/dxf/DxfReader.h"
#include "io/dxf/DxfWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quorvil;
    DxfDocument doc;
    try {
        doc = ParseDxf(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), QStringLiteral("fuzz.dxf"));
    } catch (const DxfError &) {
        return 0;
    }
    // Saving what was read must give a file that reads back with the same entities.
    const QByteArray saved = DxfBytes(doc);
    const DxfDocument back = ParseDxf(saved, QStringLiteral("saved.dxf"));
    if (back.entities.size() != doc.entities.size() || back.blocks.size() != doc.blocks.size() || back.truncated)
        std::abort();
    return 0;
}

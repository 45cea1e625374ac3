// Task logs survive crashes and hand edits: any bytes in a log file give records or nothing,
// never a crash, and every record the reader hands out holds its id and source.
#include "service/TransLogReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t records = 0;
    TransLogReader::ReadRecords(text, [&records, size](const LogLineFields& fields) {
        ++records;
        // An id and a source need at least their two keys' worth of bytes.
        if (size_t(fields.TaskID.size() + fields.SrcInfo.size()) > size)
            __builtin_trap();
    });
    if (records > size)
        __builtin_trap();
    return 0;
}

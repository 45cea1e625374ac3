// The local services decode query strings and form bodies from any client: any bytes decode
// without reading outside the input, and decoding never makes a text longer.
#include "FormEncoding.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (FormEncoding::Decode(text).size() > size)
        __builtin_trap();
    const FormEncoding::Fields fields = FormEncoding::Parse(FormEncoding::QueryOf(text));
    for (const auto& field : fields)
        FormEncoding::Find(fields, field.first);
    FormEncoding::IsFormContentType(text);
    return 0;
}

#include "service/ModuleHandles.h"

#include <dlfcn.h>

namespace {

void* ThisModule()
{
    static void* const handle = [] {
        Dl_info info{};
        return dladdr(reinterpret_cast<void*>(&QOVGetAIGCDllHandle), &info) != 0 ? info.dli_fbase : nullptr;
    }();
    return handle;
}

} // namespace

void* QOVGetAIGCDllHandle()
{
    return ThisModule();
}

void* QOVGetAIGCDllResHandle()
{
    return ThisModule();
}

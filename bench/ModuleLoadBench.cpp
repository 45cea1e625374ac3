// Times one load of the module as the editor does it: dlopen, resolving the entry and the tool
// list (command 1), in a process that already runs a Qt application, as the editor does. Prints
// the milliseconds on one line; bench/module_load runs it in fresh processes and sums them up.
#include "plugin/AIGCTypes.h"
#include "plugin/QOVAIGCFunc.h"

#include <QApplication>

#include <chrono>
#include <cstdio>

#include <dlfcn.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MODULE\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const auto start = std::chrono::steady_clock::now();
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    using Entry = int32_t (*)(int32_t, void*, void*);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "QOVAIGCFunc"));
    AIGCToolInfoArray tools;
    if (!entry || entry(AIGC_LIST_TOOLS, nullptr, &tools) != 0 || tools.size() != 4) {
        std::fprintf(stderr, "the module did not list its four tools\n");
        return 1;
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", took.count());
    // Released as the editor does before exiting; the module stays mapped.
    entry(AIGC_RELEASE, nullptr, nullptr);
    return 0;
}

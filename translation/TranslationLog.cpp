#include "translation/TranslationLog.h"

#include "service/TransLog.h"

#include <memory>
#include <mutex>

namespace {

// The folder's name below the log root, in the form of the other tools' folders.
constexpr const char* kLogFolder = "AI翻译";

} // namespace

TransLog& GetTranslationLog()
{
    static std::once_flag made;
    static std::unique_ptr<TransLog> log;
    std::call_once(made, [] { log = std::make_unique<TransLog>(ToolLogFolder(QString::fromUtf8(kLogFolder))); });
    return *log;
}

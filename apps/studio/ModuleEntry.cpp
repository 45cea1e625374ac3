#include "apps/studio/ModuleEntry.h"

#include "plugin/QOVAIGCFunc.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>

#include <dlfcn.h>

namespace {

constexpr const char* kEntrySymbol = "QOVAIGCFunc";
// Beside the studio in a build tree; in the module's private library folder once installed.
constexpr const char* kModuleRelativePaths[] = {"../lib/libQOVAIGC.so", "../" QOV_INSTALL_LIBDIR "/libQOVAIGC.so"};

using RawEntry = int32_t (*)(int32_t, void*, void*);

} // namespace

ModuleEntry::ModuleEntry(Function function)
    : m_function(std::move(function))
{
}

std::optional<ModuleEntry> ModuleEntry::Load(const QString& path, QString* error)
{
    void* module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        if (error)
            *error = QString::fromLocal8Bit(dlerror());
        return std::nullopt;
    }
    auto entry = reinterpret_cast<RawEntry>(dlsym(module, kEntrySymbol));
    if (!entry) {
        if (error)
            *error = QStringLiteral("%1: no %2 entry").arg(path, QString::fromLatin1(kEntrySymbol));
        return std::nullopt;
    }
    return ModuleEntry(entry);
}

QString ModuleEntry::DefaultPath()
{
    const QDir folder(QCoreApplication::applicationDirPath());
    for (const char* relative : kModuleRelativePaths) {
        const QString path = QDir::cleanPath(folder.filePath(QString::fromLatin1(relative)));
        if (QFileInfo::exists(path))
            return path;
    }
    return QDir::cleanPath(folder.filePath(QString::fromLatin1(kModuleRelativePaths[0])));
}

AIGCToolInfoArray ModuleEntry::ListTools() const
{
    AIGCToolInfoArray tools;
    m_function(AIGC_LIST_TOOLS, nullptr, &tools);
    return tools;
}

QWidget* ModuleEntry::CreateWindow(const QUuid& tool, QWidget* parent, int message) const
{
    AIGCToolParam param;
    param.object = parent;
    param.toolId = tool;
    param.value = uint32_t(message);
    AIGCToolParam result;
    m_function(AIGC_CREATE_WINDOW, &param, &result);
    return reinterpret_cast<QWidget*>(uintptr_t(result.value));
}

void ModuleEntry::DestroyWindow(const QUuid& tool, QWidget* window) const
{
    AIGCToolParam param;
    param.object = window;
    param.toolId = tool;
    m_function(AIGC_DESTROY_WINDOW, &param, nullptr);
}

void ModuleEntry::Select(const QUuid& tool, const QUuid& object, const QString& text,
                         const QHash<QString, QString>* properties) const
{
    AIGCToolParam param;
    // The module only reads the map; the call block's field is untyped.
    param.object = const_cast<QHash<QString, QString>*>(properties);
    param.toolId = tool;
    param.selectedObject = object;
    param.value = uint64_t(reinterpret_cast<uintptr_t>(text.utf16()));
    m_function(AIGC_SELECT, &param, nullptr);
}

void ModuleEntry::Release() const
{
    m_function(AIGC_RELEASE, nullptr, nullptr);
}

#include "plugin/ModuleState.h"

#include "host/CZuBuffer.h"
#include "plugin/ModuleHandles.h"
#include "service/TransLog.h"

// The images are compiled into a static part of the module: registering them by name keeps the
// linker from dropping them from programs that link that part directly.
static void RegisterModuleImages()
{
    Q_INIT_RESOURCE(qovaigc);
}

namespace {

constexpr int kAddItemImage = 2000;

} // namespace

ModuleState& ModuleState::Get()
{
    static ModuleState state;
    return state;
}

ModuleState::ModuleState()
{
    RegisterModuleImages();
}

ModuleState::~ModuleState() = default;

CZuBuffer* ModuleState::AddItemImage()
{
    if (!m_addItemImage) {
        auto image = std::make_unique<CZuBuffer>(0xFFFFFFFF);
        if (!image->CreateFromImageResource(QOVGetAIGCDllResHandle(), kAddItemImage, QStringLiteral("PNG")))
            return nullptr;
        m_addItemImage = std::move(image);
    }
    return m_addItemImage.get();
}

ThumbnailCache& ModuleState::Thumbnails()
{
    return m_thumbnails;
}

void ModuleState::Release()
{
    GetSubtitlesLog().ClearItems();
    GetDubbingLog().ClearItems();
    GetPaintingLog().ClearItems();
    GetCopywritingLog().ClearItems();
    m_addItemImage.reset();
    if (historyDialog)
        delete historyDialog.data();
    m_thumbnails.Clear();
}

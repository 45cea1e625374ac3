#include "ui/SharedWindowState.h"

#include "host/CZuBuffer.h"
#include "service/ModuleHandles.h"

// The images are compiled into a static layer of the module: registering them by name keeps the
// linker from dropping them from programs that link that layer directly.
static void RegisterModuleImages()
{
    Q_INIT_RESOURCE(qovaigc);
}

namespace {

constexpr int kAddItemImage = 2000;

} // namespace

SharedWindowState& SharedWindowState::Get()
{
    static SharedWindowState state;
    return state;
}

SharedWindowState::SharedWindowState()
{
    RegisterModuleImages();
}

SharedWindowState::~SharedWindowState() = default;

CZuBuffer* SharedWindowState::AddItemImage()
{
    if (!m_addItemImage) {
        auto image = std::make_unique<CZuBuffer>(0xFFFFFFFF);
        if (!image->CreateFromImageResource(QOVGetAIGCDllResHandle(), kAddItemImage, QStringLiteral("PNG")))
            return nullptr;
        m_addItemImage = std::move(image);
    }
    return m_addItemImage.get();
}

void SharedWindowState::Release()
{
    m_addItemImage.reset();
    if (historyDialog)
        delete historyDialog.data();
    m_thumbnails.Clear();
}

#include "plugin/ToolWindows.h"

#include "copywriting/CCopywritingWnd.h"
#include "dubbing/CTxt2AudioWnd.h"
#include "painting/CTxt2ImageWnd.h"
#include "plugin/ToolWindowFactory.h"
#include "subtitles/CAudio2TxtWnd.h"

#include <QRect>

namespace {

template <typename Window>
QWidget* Make(QWidget* parent, int message, int childId)
{
    auto* window = new Window(uint32_t(message));
    if (!window->Create(parent, kToolWindowRect, childId)) {
        delete window;
        return nullptr;
    }
    return window;
}

} // namespace

void RegisterToolWindows()
{
    ToolWindowFactory::Register(AigcTool::Painting, &Make<CTxt2ImageWnd>);
    ToolWindowFactory::Register(AigcTool::Dubbing, &Make<CTxt2AudioWnd>);
    ToolWindowFactory::Register(AigcTool::Subtitles, &Make<CAudio2TxtWnd>);
    ToolWindowFactory::Register(AigcTool::Copywriting, &Make<CCopywritingWnd>);
}

// Offers the translation tool's window to the entry. The module links every tool's window library
// whole, so this registration runs when the module loads though nothing names it.
#include "translation/CTranslateWnd.h"
#include "ui/WindowMakers.h"

namespace {

[[maybe_unused]] const bool kRegistered = WindowMakers::Register(ToolId::Translation, &MakeToolWindow<CTranslateWnd>);

} // namespace

// Start-up and shut-down of the loaded module: the loader runs these when the editor loads and
// unloads it, as the process attach and detach of the original platform.
#include "service/ModuleHandles.h"
#include "subtitles/AudioTranscode.h"
#include "subtitles/CWaveToTextMgr.h"
#include "ui/SharedWindowState.h"

namespace {

// The exported audio functions and the subtitle task interface live in a static layer nothing in
// the entry calls; naming them here keeps the linker from leaving them out of the module (a class's
// type information brings the rest of its file along).
[[gnu::used]] const void* const kExportedFromLowerLayers[] = {
    reinterpret_cast<const void*>(&TranscodeAudio),
    reinterpret_cast<const void*>(&VideoTranscodeAudio),
    reinterpret_cast<const void*>(&GetAudioDuration),
    reinterpret_cast<const void*>(&GetWaveSrtPath),
    reinterpret_cast<const void*>(&GetWavToTextErrorInfo),
    &typeid(CWaveToTextMgr),
    &typeid(WaveTransSrt),
};

__attribute__((constructor)) void OnModuleLoaded()
{
    // Fixes the instance handle and makes the images findable before any window asks for them.
    QOVGetAIGCDllHandle();
    SharedWindowState::Get();
}

} // namespace

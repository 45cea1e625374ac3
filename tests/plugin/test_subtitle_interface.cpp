// A host that drives subtitle tasks without a window: it knows the module only by dlopen and the
// interface's header, and reaches the classes and functions by their C++ names.
#include "subtitles/CWaveToTextMgr.h"
#include "support/MessageSink.h"
#include "support/TestEnvironment.h"

#include "host/QOVStringTable.h"

#include <QFile>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// Member functions are called as functions whose first argument is the object, as the platform's
// C++ calling convention has it.
struct SubtitleInterface
{
    void (*constructManager)(CWaveToTextMgr*);
    void (*destroyManager)(CWaveToTextMgr*);
    void (*setReceiver)(CWaveToTextMgr*, QObject*, uint32_t);
    int (*isUserInfoEmpty)(const CWaveToTextMgr*);
    bool (*setAccount)(CWaveToTextMgr*, const QString&, const QString&);
    WaveTransSrt* (*addWave)(CWaveToTextMgr*, int, const QString&, int, float, float, const QUuid&, int);
    WaveTransSrt* (*findData)(const CWaveToTextMgr*, const QString&, int, float, float);
    void (*refresh)(CWaveToTextMgr*, WaveTransSrt*, int);
    void (*deleteWave)(CWaveToTextMgr*, WaveTransSrt*);
    QString (*state)(const WaveTransSrt*);
    QString (*srtPath)(const QString&, const QString&, const QString&, float, float);
    QString (*errorInfo)(int);
    // The engine a task hands out (WaveTransSrt::WaveToText(), inline in the header).
    int32_t (*initEngine)(CWaveToText*, const QString&, const QString&);
    QString (*engineTaskId)(const CWaveToText*);
    int32_t (*stopEngine)(CWaveToText*);
};

template <typename F>
void Resolve(void* module, const char* name, F& function)
{
    function = reinterpret_cast<F>(dlsym(module, name));
    ASSERT_NE(function, nullptr) << name << " is not exported";
}

TEST(SubtitleInterfaceThroughDlopen, AHostMakesFindsReportsAndDestroysTasks)
{
    ScratchFolders folders;
    qputenv("QOV_CONFIG_DIR", folders.Config().toUtf8());
    qputenv("QOV_WORK_DIR", folders.Work().toUtf8());

    void* module = dlopen(QOVAIGC_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    SubtitleInterface api{};
    Resolve(module, "_ZN14CWaveToTextMgrC1Ev", api.constructManager);
    Resolve(module, "_ZN14CWaveToTextMgrD1Ev", api.destroyManager);
    Resolve(module, "_ZN14CWaveToTextMgr13SetRecvWndMsgEP7QObjectj", api.setReceiver);
    Resolve(module, "_ZNK14CWaveToTextMgr15IsUserInfoEmptyEv", api.isUserInfoEmpty);
    Resolve(module, "_ZN14CWaveToTextMgr15SetUserIDandKeyERK7QStringS2_", api.setAccount);
    Resolve(module, "_ZN14CWaveToTextMgr7AddWaveEiRK7QStringiffRK5QUuidi", api.addWave);
    Resolve(module, "_ZNK14CWaveToTextMgr8FindDataERK7QStringiff", api.findData);
    Resolve(module, "_ZN14CWaveToTextMgr19RefreshSubtProgressEP12WaveTransSrti", api.refresh);
    Resolve(module, "_ZN14CWaveToTextMgr10DeleteWaveEP12WaveTransSrt", api.deleteWave);
    Resolve(module, "_ZNK12WaveTransSrt8GetStateEv", api.state);
    Resolve(module, "_Z14GetWaveSrtPathRK7QStringS1_S1_ff", api.srtPath);
    Resolve(module, "_Z21GetWavToTextErrorInfoi", api.errorInfo);
    Resolve(module, "_ZN11CWaveToText7InitEnvERK7QStringS2_", api.initEngine);
    Resolve(module, "_ZNK11CWaveToText9GetTaskIDEv", api.engineTaskId);
    Resolve(module, "_ZN11CWaveToText4StopEv", api.stopEngine);
    for (const char* inner : {"_ZN7TaskRun4StopEv", "_ZN11ServiceTask4StopEv", "ListTools"})
        EXPECT_EQ(dlsym(module, inner), nullptr) << inner << " stays inside the module";
    // The module's handle is the base it was loaded at, where its images are looked up.
    auto handle = reinterpret_cast<void* (*)()>(dlsym(module, "_Z19QOVGetAIGCDllHandlev"));
    ASSERT_NE(handle, nullptr);
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(handle), &info), 0);
    EXPECT_EQ(handle(), info.dli_fbase);

    alignas(CWaveToTextMgr) unsigned char storage[sizeof(CWaveToTextMgr)];
    auto* manager = reinterpret_cast<CWaveToTextMgr*>(storage);
    api.constructManager(manager);
    MessageSink sink;
    api.setReceiver(manager, &sink, 8027);
    EXPECT_EQ(api.isUserInfoEmpty(manager), 1);

    const QString audio = folders.Root() + QStringLiteral("/talk.wav");
    EXPECT_EQ(api.addWave(manager, 0, audio, 1, 0.0f, 1.0f, QUuid(), 0), nullptr) << "no account yet";
    EXPECT_TRUE(api.setAccount(manager, QStringLiteral("host-id"), QStringLiteral("host-key")));
    EXPECT_TRUE(QFile::exists(folders.Config() + QStringLiteral("/iTarn.ini")));
    WaveTransSrt* task = api.addWave(manager, 0, audio, 1, 0.0f, 1.0f, QUuid::createUuid(), 0);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(api.findData(manager, audio.toUpper(), 1, 0.0f, 1.0f), task);
    EXPECT_EQ(api.state(task), ZuLoadString(QStringLiteral("NLE_CHECK_INFO")));
    CWaveToText& engine = task->WaveToText();
    EXPECT_EQ(api.initEngine(&engine, QStringLiteral("app"), QStringLiteral("key")), 0);
    EXPECT_EQ(api.engineTaskId(&engine), QString()) << "nothing started yet";
    EXPECT_EQ(api.stopEngine(&engine), 0);
    api.refresh(manager, task, 5);
    sink.Deliver();
    EXPECT_EQ(sink.Codes(), QList<int>{5});

    EXPECT_EQ(api.srtPath(QStringLiteral("/media/clip.mov"), QStringLiteral(".srt"), folders.Work(), 0.0f, 1.0f),
              folders.Work() + QStringLiteral("/clip_0_25.srt"));
    EXPECT_EQ(api.errorInfo(-3), ZuLoadString(QStringLiteral("NLE_UPLOAD_FAIL")) +
                                     ZuLoadString(QStringLiteral("NLE_CHECK_INFO")));

    api.deleteWave(manager, task);
    EXPECT_EQ(api.findData(manager, audio, 1, 0.0f, 1.0f), nullptr);
    api.destroyManager(manager);
}

} // namespace

#include "sound/SoundManager.h"

#include <cstring>

#include "engine/core/Log.h"
#include "engine/core/Vector3.h"
#include "engine/render/Renderer.h"

namespace
{

// Every function of the library's interface, fetched by name in this order.
constexpr const char* kFunctionNames[] = {
    "BASS_SetConfig", "BASS_GetConfig", "BASS_GetVersion", "BASS_GetDeviceDescription", "BASS_ErrorGetCode",
    "BASS_Init", "BASS_SetDevice", "BASS_GetDevice", "BASS_Free", "BASS_GetDSoundObject", "BASS_GetInfo",
    "BASS_Update", "BASS_GetCPU", "BASS_Start", "BASS_Stop", "BASS_Pause", "BASS_SetVolume", "BASS_GetVolume",
    "BASS_Set3DFactors", "BASS_Get3DFactors", "BASS_Set3DPosition", "BASS_Get3DPosition", "BASS_Apply3D",
    "BASS_SetEAXParameters", "BASS_GetEAXParameters", "BASS_MusicLoad", "BASS_MusicFree", "BASS_MusicGetName",
    "BASS_MusicSetAttribute", "BASS_MusicGetAttribute", "BASS_SampleLoad", "BASS_SampleCreate",
    "BASS_SampleCreateDone", "BASS_SampleFree", "BASS_SampleGetInfo", "BASS_SampleSetInfo", "BASS_SampleGetChannel",
    "BASS_SampleStop", "BASS_StreamCreate", "BASS_StreamCreateFile", "BASS_StreamCreateURL",
    "BASS_StreamCreateFileUser", "BASS_StreamFree", "BASS_StreamGetTags", "BASS_StreamGetFilePosition",
    "BASS_RecordGetDeviceDescription", "BASS_RecordInit", "BASS_RecordSetDevice", "BASS_RecordGetDevice",
    "BASS_RecordFree", "BASS_RecordGetInfo", "BASS_RecordGetInputName", "BASS_RecordSetInput", "BASS_RecordGetInput",
    "BASS_RecordStart", "BASS_ChannelBytes2Seconds", "BASS_ChannelSeconds2Bytes", "BASS_ChannelGetDevice",
    "BASS_ChannelIsActive", "BASS_ChannelGetInfo", "BASS_ChannelSetFlags", "BASS_ChannelPreBuf", "BASS_ChannelPlay",
    "BASS_ChannelStop", "BASS_ChannelPause", "BASS_ChannelSetAttributes", "BASS_ChannelGetAttributes",
    "BASS_ChannelSlideAttributes", "BASS_ChannelIsSliding", "BASS_ChannelSet3DAttributes",
    "BASS_ChannelGet3DAttributes", "BASS_ChannelSet3DPosition", "BASS_ChannelGet3DPosition",
    "BASS_ChannelSetPosition", "BASS_ChannelGetPosition", "BASS_ChannelGetLevel", "BASS_ChannelGetData",
    "BASS_ChannelSetSync", "BASS_ChannelRemoveSync", "BASS_ChannelSetDSP", "BASS_ChannelRemoveDSP",
    "BASS_ChannelSetFX", "BASS_ChannelRemoveFX", "BASS_ChannelSetEAXMix", "BASS_ChannelGetEAXMix",
    "BASS_ChannelSetLink", "BASS_ChannelRemoveLink", "BASS_FXSetParameters", "BASS_FXGetParameters",
};
constexpr uint32_t kFunctionCount = sizeof(kFunctionNames) / sizeof(kFunctionNames[0]);

// A stub of the function type F that fails: every result type's zero.
template <typename F>
struct Failing;
template <typename R, typename... A>
struct Failing<R (*)(A...)>
{
    static R Call(A...) { return R(); }
};

// What a name the library does not export gets in the table. The program
// calls none of those, so the stub's type matters to nobody.
uint32_t NotProvided()
{
    return 0;
}

#define SOUND_CALLED_FUNCTIONS(X)                                                                                  \
    X(GetVersion) X(ErrorGetCode) X(Init) X(Free) X(GetDevice) X(GetDeviceDescription) X(SetConfig)               \
    X(Set3DFactors) X(Set3DPosition) X(Apply3D) X(StreamCreateFile) X(StreamFree) X(ChannelPlay) X(ChannelStop)  \
    X(ChannelIsActive) X(ChannelSetAttributes) X(ChannelSetFlags) X(ChannelSet3DAttributes) X(ChannelSet3DPosition)

SoundFunctions Stubs()
{
    SoundFunctions stubs;
#define SOUND_STUB(name) stubs.name = &Failing<decltype(&BASS_##name)>::Call;
    SOUND_CALLED_FUNCTIONS(SOUND_STUB)
#undef SOUND_STUB
    return stubs;
}

struct ManagerState
{
    bool loaded = false;
    AudioEntry table[kFunctionCount] = {};
    SoundFunctions calls = Stubs();
    const AudioExport* lentExports = nullptr;
    uint32_t lentCount = 0;
};

ManagerState& Manager()
{
    static ManagerState state;
    return state;
}

int32_t IndexOf(const char* name)
{
    for (uint32_t i = 0; i < kFunctionCount; ++i)
        if (std::strcmp(kFunctionNames[i], name) == 0)
            return static_cast<int32_t>(i);
    return -1;
}

// The typed call for name: the library's function, or the failing stub.
template <typename F>
void Resolve(const char* name, F& call)
{
    const AudioEntry entry = SoundManager::GetEntry(name);
    call = entry && entry != reinterpret_cast<AudioEntry>(&NotProvided) ? reinterpret_cast<F>(entry)
                                                                         : &Failing<F>::Call;
}

void FillTable()
{
    ManagerState& state = Manager();
    uint32_t count = state.lentCount;
    const AudioExport* exports = state.lentExports ? state.lentExports : AudioLibraryExports(count);
    for (uint32_t i = 0; i < kFunctionCount; ++i)
    {
        state.table[i] = reinterpret_cast<AudioEntry>(&NotProvided);
        for (uint32_t e = 0; e < count; ++e)
            if (std::strcmp(exports[e].name, kFunctionNames[i]) == 0)
                state.table[i] = exports[e].entry;
    }
    state.loaded = true;
#define SOUND_RESOLVE(name) Resolve("BASS_" #name, state.calls.name);
    SOUND_CALLED_FUNCTIONS(SOUND_RESOLVE)
#undef SOUND_RESOLVE
}

void PlaceListener(const Vector3& front, const Vector3& up)
{
    const AudioVector f = {front.x, front.y, front.z};
    const AudioVector u = {up.x, up.y, up.z};
    const SoundFunctions& sound = SoundManager::Calls();
    sound.Set3DPosition(nullptr, nullptr, &f, &u);
    sound.Apply3D();
}

} // namespace

int32_t SoundManager::Initialize()
{
    LogInfo("Инициализация менеджера звука.");
    ManagerState& state = Manager();
    if (state.loaded)
        return 0;
    FillTable();
    if (state.calls.GetVersion() != kAudioVersion)
    {
        LogError("Версия библиотеки BASS не совпадает.");
        return 1;
    }
    StartDevice(0);
    state.calls.Set3DFactors(1.0f, 7.0f, 1.0f);
    state.calls.Apply3D();
    Renderer::SetListenerHook(&PlaceListener);
    LogInfo("Менеджер звука инициализирован.");
    return 0;
}

int32_t SoundManager::Terminate()
{
    LogInfo("Завершение работы менеджера звука.");
    ManagerState& state = Manager();
    state.calls.Free();
    if (state.loaded)
    {
        Renderer::SetListenerHook(nullptr);
        state.loaded = false;
        state.calls = Stubs();
        for (AudioEntry& entry : state.table)
            entry = nullptr;
        LogInfo("Менеджер звука завершил работу.");
    }
    return 0;
}

void SoundManager::SetVolume(uint32_t value)
{
    Calls().SetConfig(kAudioGlobalStreamVolume, value < 101 ? value : 100);
}

void SoundManager::StartDevice(unsigned long window)
{
    const SoundFunctions& sound = Calls();
    const bool started = sound.Init(-1, 44100, kAudioDevice3D, window, nullptr) != 0;
    const int32_t reason = sound.ErrorGetCode(); // before the queries below replace it
    const int32_t device = static_cast<int32_t>(sound.GetDevice());
    const char* description = sound.GetDeviceDescription(device);
    if (!description)
        description = "";
    if (started)
        LogInfo("Звук инициализирован. Устройство [%d] [%s]", device, description);
    else
        LogError("Невозможно инициализировать звук. Причина [%d]. Устройство [%s]", reason, description);
}

const SoundFunctions& SoundManager::Calls()
{
    return Manager().calls;
}

AudioEntry SoundManager::GetEntry(const char* name)
{
    const int32_t index = name ? IndexOf(name) : -1;
    return index < 0 ? nullptr : Manager().table[index];
}

void SoundManager::UseLibrary(const AudioExport* exports, uint32_t count)
{
    Manager().lentExports = exports;
    Manager().lentCount = exports ? count : 0;
}

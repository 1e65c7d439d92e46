// The table of music-library operations BassMusicInterface calls, named as the library
// names them and taking the arguments it passes. BassLibrary fills it with our own
// implementation over the mixer; tests fill it with recorders. Plain data, any thread.
#pragma once

#include <cstdint>

namespace zest
{

namespace bass
{
// Channel states answered by BASS_ChannelIsActive.
inline constexpr uint32_t ActiveStopped = 0;
inline constexpr uint32_t ActivePlaying = 1;
inline constexpr uint32_t ActiveStalled = 2;
inline constexpr uint32_t ActivePaused = 3;
// Flags.
inline constexpr uint32_t SampleLoop = 4;         // loop a stream or module
inline constexpr uint32_t MusicRamp = 0x200;      // smooth volume ramping in modules
inline constexpr uint32_t MusicPositionReset = 0x8000; // stop all notes when the position is set
// A module position: MusicPosition | order | row << 16.
inline constexpr uint64_t MusicPosition = 0x80000000u;
// Configuration options.
inline constexpr uint32_t ConfigBuffer = 0;       // output buffer length, ms
inline constexpr uint32_t ConfigStreamVolume = 5; // global stream volume, 0..100
inline constexpr uint32_t ConfigMusicVolume = 6;  // global module volume, 0..100
// Attributes of BASS_MusicSetAttribute.
inline constexpr uint32_t MusicAmplify = 0;       // 0..100, 50 = unchanged
// Error codes answered by BASS_ErrorGetCode.
inline constexpr int ErrorOk = 0;
inline constexpr int ErrorFileOpen = 2;
inline constexpr int ErrorHandle = 5;
inline constexpr int ErrorNotPlaying = 24;
inline constexpr int ErrorFileFormat = 41;
inline constexpr int ErrorIllegalParameter = 20;
} // namespace bass

// Handles are nonzero; 0 means failure. Booleans are ints (nonzero = true).
struct BassFunctions
{
    int (*BASS_Init)(int device, uint32_t frequency, uint32_t flags, void* window, void* classId) = nullptr;
    int (*BASS_Free)() = nullptr;
    int (*BASS_Start)() = nullptr;
    int (*BASS_Stop)() = nullptr;
    uint32_t (*BASS_GetVersion)() = nullptr;
    int (*BASS_ErrorGetCode)() = nullptr;
    // Its presence marks a version-2 library.
    int (*BASS_SetConfig)(uint32_t option, uint32_t value) = nullptr;
    uint32_t (*BASS_GetConfig)(uint32_t option) = nullptr;

    // file is a file name (memory = 0). Opened through the archive file functions.
    uint32_t (*BASS_StreamCreateFile)(int memory, const void* file, uint64_t offset, uint64_t length,
                                      uint32_t flags) = nullptr;
    int (*BASS_StreamFree)(uint32_t handle) = nullptr;
    uint32_t (*BASS_MusicLoad)(int memory, const void* file, uint64_t offset, uint32_t length, uint32_t flags,
                               uint32_t frequency) = nullptr;
    int (*BASS_MusicFree)(uint32_t handle) = nullptr;
    int (*BASS_MusicSetAttribute)(uint32_t handle, uint32_t attribute, uint32_t value) = nullptr;

    int (*BASS_ChannelPlay)(uint32_t handle, int restart) = nullptr;
    int (*BASS_ChannelStop)(uint32_t handle) = nullptr;
    int (*BASS_ChannelPause)(uint32_t handle) = nullptr;
    uint32_t (*BASS_ChannelIsActive)(uint32_t handle) = nullptr;
    int (*BASS_ChannelSetFlags)(uint32_t handle, uint32_t flags) = nullptr;
    // frequency -1, volume -1 (0..100) and pan -101 (-100..100) leave a value unchanged.
    int (*BASS_ChannelSetAttributes)(uint32_t handle, int frequency, int volume, int pan) = nullptr;
    int (*BASS_ChannelGetAttributes)(uint32_t handle, uint32_t* frequency, uint32_t* volume, int* pan) = nullptr;
    // Bytes of decoded 16-bit audio, or a module position (MusicPosition | order | row << 16).
    int (*BASS_ChannelSetPosition)(uint32_t handle, uint64_t position) = nullptr;
    uint64_t (*BASS_ChannelGetPosition)(uint32_t handle) = nullptr;
    uint64_t (*BASS_ChannelGetLength)(uint32_t handle) = nullptr; // optional
};

} // namespace zest

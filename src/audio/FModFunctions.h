// The table of FMOD-style operations FModMusicInterface (and the sound manager, for
// decoding) call, named as that library names them. FModLibrary fills it with our own
// implementation over the mixer; tests may fill it with recorders. Plain data.
#pragma once

#include <cstdint>

namespace zest
{

// Opaque handles of the library.
struct FSoundSample;
struct FMusicModule;

namespace fmod
{
inline constexpr int Free = -1;           // FSOUND_PlaySound: pick a free channel
inline constexpr int Unmanaged = -1;      // FSOUND_Sample_Load: an index the library picks
inline constexpr unsigned LoopOff = 1;
inline constexpr unsigned LoopNormal = 2;
inline constexpr unsigned Bits8 = 0x08;
inline constexpr unsigned Bits16 = 0x10;
inline constexpr unsigned Mono = 0x20;
inline constexpr unsigned Stereo = 0x40;
} // namespace fmod

struct FModFunctions
{
    int (*FSOUND_SetBufferSize)(int milliseconds) = nullptr;
    int (*FSOUND_SetHWND)(void* window) = nullptr;
    int (*FSOUND_Init)(int mixRate, int maxChannels, unsigned flags) = nullptr;
    void (*FSOUND_Close)() = nullptr;

    // Decodes a whole sound file (wave, Ogg Vorbis, AU) read through the archive file
    // functions. Null on failure.
    FSoundSample* (*FSOUND_Sample_Load)(int index, const char* name, unsigned mode, int offset, int length) = nullptr;
    void (*FSOUND_Sample_Free)(FSoundSample* sample) = nullptr;
    // Gives read access to length bytes from offset of the 16-bit data (ptr2 stays null).
    int (*FSOUND_Sample_Lock)(FSoundSample* sample, int offset, int length, void** ptr1, void** ptr2, unsigned* len1,
                              unsigned* len2) = nullptr;
    int (*FSOUND_Sample_Unlock)(FSoundSample* sample, void* ptr1, void* ptr2, unsigned len1, unsigned len2) = nullptr;
    // In frames.
    unsigned (*FSOUND_Sample_GetLength)(FSoundSample* sample) = nullptr;
    int (*FSOUND_Sample_GetDefaults)(FSoundSample* sample, int* frequency, int* volume, int* pan,
                                     int* priority) = nullptr;
    unsigned (*FSOUND_Sample_GetMode)(FSoundSample* sample) = nullptr;

    // Returns the channel, or -1.
    int (*FSOUND_PlaySound)(int channel, FSoundSample* sample) = nullptr;
    // The same, optionally starting paused so volume and looping can be set first.
    // dsp must be null. Optional.
    int (*FSOUND_PlaySoundEx)(int channel, FSoundSample* sample, void* dsp, int startPaused) = nullptr;
    int (*FSOUND_StopSound)(int channel) = nullptr;
    // 0..255.
    int (*FSOUND_SetVolume)(int channel, int volume) = nullptr;
    int (*FSOUND_SetPaused)(int channel, int paused) = nullptr;
    int (*FSOUND_SetLoopMode)(int channel, unsigned mode) = nullptr;
    int (*FSOUND_IsPlaying)(int channel) = nullptr;
    // The sample a channel plays or holds paused; null once it ended or was stopped (a
    // later tune may then take the channel). Optional.
    FSoundSample* (*FSOUND_GetCurrentSample)(int channel) = nullptr;

    FMusicModule* (*FMUSIC_LoadSong)(const char* name) = nullptr;
    int (*FMUSIC_FreeSong)(FMusicModule* module) = nullptr;
    int (*FMUSIC_PlaySong)(FMusicModule* module) = nullptr;
    int (*FMUSIC_StopSong)(FMusicModule* module) = nullptr;
    int (*FMUSIC_SetLooping)(FMusicModule* module, int looping) = nullptr;
    int (*FMUSIC_SetOrder)(FMusicModule* module, int order) = nullptr;
    int (*FMUSIC_SetPaused)(FMusicModule* module, int paused) = nullptr;
    // 0..256.
    int (*FMUSIC_SetMasterVolume)(FMusicModule* module, int volume) = nullptr;
    int (*FMUSIC_IsPlaying)(FMusicModule* module) = nullptr;
};

} // namespace zest

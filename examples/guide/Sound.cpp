#include "Samples.h"

#include <zest/app/ZestAppBase.h>
#include <zest/audio/MusicInterface.h>
#include <zest/graphics/Graphics.h>
#include <zest/graphics/SysFont.h>
#include <zest/platform/VirtualKeys.h>
#include <zest/resources/ResourceManager.h>
#include <zest/widgets/Widget.h>
#include <zest/widgets/WidgetManager.h>

namespace guide
{
namespace
{

// A click plays the chime panned towards the side clicked; M starts or fades out the music.
class SoundBoard : public zest::Widget
{
public:
    explicit SoundBoard(zest::ZestAppBase* owner) : app(owner) { wantsFocus = true; }
    void MouseDown(int mouseX, int mouseY, int button, int clickCount) override
    {
        (void)mouseY, (void)button, (void)clickCount;
        // Pan in hundredths of a decibel taken from the far side: -10000 left only, 0 centre, 10000 right only.
        const int pan = (mouseX - width / 2) * 2000 / (width / 2);
        app->PlaySound(chime, pan);
    }
    void KeyDown(int key) override
    {
        zest::MusicInterface* music = app->GetMusicInterface(); // none when the program runs without sound
        if (key != 'M' || !music)
            return;
        if (music->IsPlaying(0))
            music->FadeOut(0, true, 0.01); // volume lost per update; stopped when silent
        else
            music->FadeIn(0, 0, 0.01, false); // from the start, looping
    }
    void Draw(zest::Graphics* g) override
    {
        g->SetColor(zest::Color(189, 231, 248));
        g->FillRect(0, 0, width, height);
        g->SetColor(zest::Color(46, 42, 54));
        g->SetFont(&font);
        g->DrawString("Click left or right for the chime; M for music", 20, 30);
    }

    int chime = -1;

private:
    zest::ZestAppBase* app;
    zest::SysFont font{"DejaVu Sans", 14, false}; // any face fontconfig knows
};

class SoundApp : public zest::ZestAppBase
{
public:
    SoundApp()
    {
        productName = "Sound";
        title = "Sound effects and music";
        registryKey = "Zest Examples\\Sound";
    }
    void Initialize() override
    {
        ZestAppBase::Initialize(); // opens the audio device and reads the saved volumes
        if (shutdown)
            return;
        LoadResourceManifest();
        if (!resourceManager->LoadGroup("Hello"))
            ShowResourceError(true);
        // A sound's manifest path has no extension: name.wav, name.ogg and name.au are tried in turn.
        board.chime = resourceManager->RequireSound("SOUND_CHIME");
        // Music is loaded by file (Ogg Vorbis or a tracker module) into a numbered slot.
        if (zest::MusicInterface* music = GetMusicInterface())
            (void)music->LoadMusic(0, "music/tune.ogg");
        SetSfxVolume(0.8); // 0..1, kept in the settings; SetMusicVolume likewise
        board.Resize(0, 0, width, height);
        widgetManager->AddWidget(&board);
        widgetManager->SetFocus(&board);
    }

private:
    SoundBoard board{this};
};

} // namespace

int RunSound(int argc, char** argv)
{
    return RunApp<SoundApp>(argc, argv);
}

} // namespace guide

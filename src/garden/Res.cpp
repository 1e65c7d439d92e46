#include "garden/Res.h"

#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"
#include "resources/ResourceManagerException.h"

#include <initializer_list>

namespace tibble
{

zest::Font* FONT_DEFAULT = nullptr;
zest::Font* FONT_TITLE = nullptr;
zest::Image* IMAGE_CUSTOM_POINTER = nullptr;
zest::Image* IMAGE_CUSTOM_HAND = nullptr;
zest::Image* IMAGE_CUSTOM_DRAGGING = nullptr;
zest::Image* IMAGE_CUSTOM_TEXT = nullptr;
zest::Image* IMAGE_TITLESCREEN = nullptr;
zest::Image* IMAGE_LOADER_BAR = nullptr;
int SOUND_TIMER = 0;
int SOUND_TOMATO = 0;
int SOUND_BURP = 0;
zest::Image* IMAGE_CHECKBOX = nullptr;
zest::Image* IMAGE_BGBLOCKS = nullptr;
zest::Image* IMAGE_BUTTON_DOWN = nullptr;
zest::Image* IMAGE_BUTTON_OVER = nullptr;
zest::Image* IMAGE_BUTTON_NORMAL = nullptr;
zest::Image* IMAGE_DIALOG_BOX = nullptr;
zest::Image* IMAGE_DIALOG_BUTTON = nullptr;
zest::Image* IMAGE_SLIDER_TRACK = nullptr;
zest::Image* IMAGE_SLIDER_THUMB = nullptr;
zest::Image* IMAGE_BEE = nullptr;
zest::Image* IMAGE_FLOWER = nullptr;
zest::Image* IMAGE_MINIFLOWER = nullptr;
zest::Image* IMAGE_HOSE = nullptr;
zest::Image* IMAGE_SPRAY = nullptr;
zest::Image* IMAGE_FLYTRAP = nullptr;
zest::Image* IMAGE_TRUMPET = nullptr;
zest::Image* IMAGE_ROSE = nullptr;
zest::Image* IMAGE_WINGS = nullptr;
zest::Image* IMAGE_DROPS = nullptr;
zest::Image* IMAGE_TOMATO = nullptr;
zest::Image* IMAGE_HIVE = nullptr;
zest::Image* IMAGE_HIVECOUNTER = nullptr;
zest::Image* IMAGE_BEECOUNTER = nullptr;
zest::Image* IMAGE_PANSY = nullptr;
zest::Image* IMAGE_PANSY2 = nullptr;
zest::Image* IMAGE_SPARKLE = nullptr;
zest::Image* IMAGE_HONEYDROP = nullptr;
zest::Image* IMAGE_HONEYBAR = nullptr;
zest::Image* IMAGE_HONEYBARFULL = nullptr;
zest::Image* IMAGE_HONEYSLIDER = nullptr;
zest::Image* IMAGE_ITEM = nullptr;

namespace
{

// One identifier: its name and the variable it fills (exactly one of the three is set).
struct Binding
{
    const char* name;
    zest::Image** image = nullptr;
    zest::Font** font = nullptr;
    int* sound = nullptr;
};

Binding ImageId(const char* name, zest::Image*& variable)
{
    return Binding{name, &variable, nullptr, nullptr};
}

Binding FontId(const char* name, zest::Font*& variable)
{
    return Binding{name, nullptr, &variable, nullptr};
}

Binding SoundId(const char* name, int& variable)
{
    return Binding{name, nullptr, nullptr, &variable};
}

// The order of the list decides which missing identifier is reported.
bool Bind(zest::ResourceManager* manager, std::initializer_list<Binding> bindings)
{
    if (!manager)
        return false;
    try
    {
        for (const Binding& binding : bindings)
        {
            // The manager keeps its own reference: the image lives until its group is unloaded.
            if (binding.image)
                *binding.image = manager->RequireImage(binding.name).get();
            else if (binding.font)
                *binding.font = manager->RequireFont(binding.name);
            else
                *binding.sound = manager->RequireSound(binding.name);
        }
    }
    catch (const zest::ResourceManagerException&)
    {
        return false;
    }
    return true;
}

} // namespace

bool BindInitResources(zest::ResourceManager* manager)
{
    // Fonts first, then images, each in alphabetical order.
    return Bind(manager, {
                             FontId("FONT_DEFAULT", FONT_DEFAULT),
                             FontId("FONT_TITLE", FONT_TITLE),
                             ImageId("IMAGE_CUSTOM_DRAGGING", IMAGE_CUSTOM_DRAGGING),
                             ImageId("IMAGE_CUSTOM_HAND", IMAGE_CUSTOM_HAND),
                             ImageId("IMAGE_CUSTOM_POINTER", IMAGE_CUSTOM_POINTER),
                             ImageId("IMAGE_CUSTOM_TEXT", IMAGE_CUSTOM_TEXT),
                             ImageId("IMAGE_TITLESCREEN", IMAGE_TITLESCREEN),
                         });
}

bool BindTitleScreenResources(zest::ResourceManager* manager)
{
    return Bind(manager, {ImageId("IMAGE_LOADER_BAR", IMAGE_LOADER_BAR)});
}

bool BindGameResources(zest::ResourceManager* manager)
{
    // The 31 images in alphabetical order, then the 3 sounds.
    return Bind(manager, {
                             ImageId("IMAGE_BEE", IMAGE_BEE),
                             ImageId("IMAGE_BEECOUNTER", IMAGE_BEECOUNTER),
                             ImageId("IMAGE_BGBLOCKS", IMAGE_BGBLOCKS),
                             ImageId("IMAGE_BUTTON_DOWN", IMAGE_BUTTON_DOWN),
                             ImageId("IMAGE_BUTTON_NORMAL", IMAGE_BUTTON_NORMAL),
                             ImageId("IMAGE_BUTTON_OVER", IMAGE_BUTTON_OVER),
                             ImageId("IMAGE_CHECKBOX", IMAGE_CHECKBOX),
                             ImageId("IMAGE_DIALOG_BOX", IMAGE_DIALOG_BOX),
                             ImageId("IMAGE_DIALOG_BUTTON", IMAGE_DIALOG_BUTTON),
                             ImageId("IMAGE_DROPS", IMAGE_DROPS),
                             ImageId("IMAGE_FLOWER", IMAGE_FLOWER),
                             ImageId("IMAGE_FLYTRAP", IMAGE_FLYTRAP),
                             ImageId("IMAGE_HIVE", IMAGE_HIVE),
                             ImageId("IMAGE_HIVECOUNTER", IMAGE_HIVECOUNTER),
                             ImageId("IMAGE_HONEYBAR", IMAGE_HONEYBAR),
                             ImageId("IMAGE_HONEYBARFULL", IMAGE_HONEYBARFULL),
                             ImageId("IMAGE_HONEYDROP", IMAGE_HONEYDROP),
                             ImageId("IMAGE_HONEYSLIDER", IMAGE_HONEYSLIDER),
                             ImageId("IMAGE_HOSE", IMAGE_HOSE),
                             ImageId("IMAGE_ITEM", IMAGE_ITEM),
                             ImageId("IMAGE_MINIFLOWER", IMAGE_MINIFLOWER),
                             ImageId("IMAGE_PANSY", IMAGE_PANSY),
                             ImageId("IMAGE_PANSY2", IMAGE_PANSY2),
                             ImageId("IMAGE_ROSE", IMAGE_ROSE),
                             ImageId("IMAGE_SLIDER_THUMB", IMAGE_SLIDER_THUMB),
                             ImageId("IMAGE_SLIDER_TRACK", IMAGE_SLIDER_TRACK),
                             ImageId("IMAGE_SPARKLE", IMAGE_SPARKLE),
                             ImageId("IMAGE_SPRAY", IMAGE_SPRAY),
                             ImageId("IMAGE_TOMATO", IMAGE_TOMATO),
                             ImageId("IMAGE_TRUMPET", IMAGE_TRUMPET),
                             ImageId("IMAGE_WINGS", IMAGE_WINGS),
                             SoundId("SOUND_BURP", SOUND_BURP),
                             SoundId("SOUND_TIMER", SOUND_TIMER),
                             SoundId("SOUND_TOMATO", SOUND_TOMATO),
                         });
}

} // namespace tibble

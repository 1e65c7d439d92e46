// The game's resource identifier variables: one per manifest identifier, named exactly like it.
// Images and fonts are non-owning pointers into the resource manager (null until bound); sounds are
// the sound manager's ids (0 until bound). Bound once at start-up and on the loading thread before
// play begins; read-only afterwards, main thread.
#pragma once

namespace zest
{
class Image;
class Font;
class ResourceManager;
} // namespace zest

namespace tibble
{

// Group "Init".
extern zest::Font* FONT_DEFAULT;
extern zest::Font* FONT_TITLE;
extern zest::Image* IMAGE_CUSTOM_POINTER;
extern zest::Image* IMAGE_CUSTOM_HAND;
extern zest::Image* IMAGE_CUSTOM_DRAGGING;
extern zest::Image* IMAGE_CUSTOM_TEXT;
extern zest::Image* IMAGE_TITLESCREEN;

// Group "TitleScreen".
extern zest::Image* IMAGE_LOADER_BAR;

// Group "Game".
extern int SOUND_TIMER;
extern int SOUND_TOMATO;
extern int SOUND_BURP;
extern zest::Image* IMAGE_CHECKBOX;
extern zest::Image* IMAGE_BGBLOCKS;
extern zest::Image* IMAGE_BUTTON_DOWN;
extern zest::Image* IMAGE_BUTTON_OVER;
extern zest::Image* IMAGE_BUTTON_NORMAL;
extern zest::Image* IMAGE_DIALOG_BOX;
extern zest::Image* IMAGE_DIALOG_BUTTON;
extern zest::Image* IMAGE_SLIDER_TRACK;
extern zest::Image* IMAGE_SLIDER_THUMB;
extern zest::Image* IMAGE_BEE;
extern zest::Image* IMAGE_FLOWER;
extern zest::Image* IMAGE_MINIFLOWER;
extern zest::Image* IMAGE_HOSE;
extern zest::Image* IMAGE_SPRAY;
extern zest::Image* IMAGE_FLYTRAP;
extern zest::Image* IMAGE_TRUMPET;
extern zest::Image* IMAGE_ROSE;
extern zest::Image* IMAGE_WINGS;
extern zest::Image* IMAGE_DROPS;
extern zest::Image* IMAGE_TOMATO;
extern zest::Image* IMAGE_HIVE;
extern zest::Image* IMAGE_HIVECOUNTER;
extern zest::Image* IMAGE_BEECOUNTER;
extern zest::Image* IMAGE_PANSY;
extern zest::Image* IMAGE_PANSY2;
extern zest::Image* IMAGE_SPARKLE;
extern zest::Image* IMAGE_HONEYDROP;
extern zest::Image* IMAGE_HONEYBAR;
extern zest::Image* IMAGE_HONEYBARFULL;
extern zest::Image* IMAGE_HONEYSLIDER;
extern zest::Image* IMAGE_ITEM;

// Binding: each asks the manager for every identifier of its group in a fixed order and fills the
// variables. False at the first identifier the manager cannot supply (its error text names it); the
// ones bound before keep their values. Init and TitleScreen on the main thread, Game on the loading
// thread.
[[nodiscard]] bool BindInitResources(zest::ResourceManager* manager);
[[nodiscard]] bool BindTitleScreenResources(zest::ResourceManager* manager);
[[nodiscard]] bool BindGameResources(zest::ResourceManager* manager);

} // namespace tibble

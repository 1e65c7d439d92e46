// An object placed in a level (and the bee): a sprite at a level position with a small animation
// engine driven by the byte scripts of AnimScript. Owned by its Level (the bee too), which updates it
// once per update and draws it once per draw; main thread.
#pragma once

namespace zest
{
class Graphics;
class Image;
} // namespace zest

namespace tibble
{

class Level;
struct MapObject;

class Agent
{
public:
    // Visible, draw layer 0, no script running until the subclass calls SetScript.
    Agent(Level* level, zest::Image* image, int x, int y);
    Agent(const Agent&) = delete;
    Agent& operator=(const Agent&) = delete;
    virtual ~Agent() = default;

    virtual void update() {}
    // When visible: advances the animation (Step) and draws its cel at the level position.
    virtual void draw(zest::Graphics& g);

    // Starts script n (0..25) from its first byte; it also becomes the base script; delay 8.
    void SetScript(int n);
    // Advances the animation by one draw and answers the cel to show. Stands still while the board
    // is paused.
    int Step();

    zest::Image* image = nullptr; // not owned (a resource identifier)
    Level* level = nullptr;       // owner
    MapObject* record = nullptr;  // map record it was made from; none for the bee
    int x = 0;                    // level position of the image's top-left
    int y = 0;
    int param = 0;
    int timer = 0;
    int state = 0;
    bool visible = true;
    int drawLayer = 0; // 0 most agents, 1 hoses, 2 hives
    int cel = 0;
    int script = 0;
    int scriptPos = 0;
    int wait = 0;  // draws left before the next step; -1 holds the cel
    int delay = 8; // draws per cel
    bool finished = false;
    int baseScript = 0;
    bool wings = false;
};

} // namespace tibble

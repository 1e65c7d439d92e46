#include "platform/SystemCursor.h"

#include <SDL.h>

#include <array>

namespace zest
{

namespace
{
// Cursor number -> SDL's shape. Numbers 1 and 2 are our own hands (below); the
// shapes listed for them are the fallback when SDL cannot make a mask cursor.
constexpr SDL_SystemCursor Shapes[] = {
    SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_HAND,     SDL_SYSTEM_CURSOR_HAND,   SDL_SYSTEM_CURSOR_IBEAM,
    SDL_SYSTEM_CURSOR_NO,       SDL_SYSTEM_CURSOR_SIZEALL,  SDL_SYSTEM_CURSOR_SIZENESW, SDL_SYSTEM_CURSOR_SIZENS,
    SDL_SYSTEM_CURSOR_SIZENWSE, SDL_SYSTEM_CURSOR_SIZEWE,   SDL_SYSTEM_CURSOR_WAIT,
};
constexpr int HiddenCursor = 11;
constexpr int HandCursor = 1;
constexpr int DraggingCursor = 2;

// '#' black, '.' white, blank transparent.
constexpr const char* HandRows[32] = {
    "           ##                   ",
    "          #..#                  ",
    "          #..#                  ",
    "          #..#                  ",
    "          #..#                  ",
    "          #..###                ",
    "          #..#..###             ",
    "          #..#..#..##           ",
    "       ## #..#..#..#.#          ",
    "      #..##.........#           ",
    "      #...#..........#          ",
    "       #.............#          ",
    "        #............#          ",
    "        #...........#           ",
    "         #..........#           ",
    "         #.........#            ",
    "          #........#            ",
    "          #........#            ",
    "          ##########            ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};
// '#' black, '.' white, blank transparent.
constexpr const char* DraggingRows[32] = {
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "            ## ## ##            ",
    "           #..#..#..##          ",
    "           #.........#.#        ",
    "          ##...........#        ",
    "         #.#...........#        ",
    "         #.............#        ",
    "          #............#        ",
    "          #...........#         ",
    "           #..........#         ",
    "           #.........#          ",
    "            #........#          ",
    "            #........#          ",
    "            ##########          ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
    "                                ",
};

// A 32 x 32 monochrome cursor: SDL takes one bit plane of colour (1 black) and one
// of mask (1 opaque), most significant bit leftmost.
SDL_Cursor* MaskCursor(const char* const* rows, int hotX, int hotY)
{
    Uint8 data[32 * 4] = {};
    Uint8 mask[32 * 4] = {};
    for (int y = 0; y < 32; y++)
    {
        for (int x = 0; x < 32; x++)
        {
            char c = rows[y][x];
            Uint8 bit = static_cast<Uint8>(0x80 >> (x & 7));
            if (c == '#' || c == '.')
                mask[y * 4 + x / 8] |= bit;
            if (c == '#')
                data[y * 4 + x / 8] |= bit;
        }
    }
    return SDL_CreateCursor(data, mask, 32, 32, hotX, hotY);
}
std::array<SDL_Cursor*, sizeof(Shapes) / sizeof(Shapes[0])> cursors{};
} // namespace

bool SetSystemCursor(int number)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    if (number == HiddenCursor)
    {
        SDL_ShowCursor(SDL_DISABLE);
        return true;
    }
    if (number < 0 || number >= static_cast<int>(cursors.size()))
        number = 0;
    SDL_Cursor*& cursor = cursors[static_cast<size_t>(number)];
    if (!cursor && number == HandCursor)
        cursor = MaskCursor(HandRows, 11, 4);
    else if (!cursor && number == DraggingCursor)
        cursor = MaskCursor(DraggingRows, 15, 10);
    if (!cursor)
        cursor = SDL_CreateSystemCursor(Shapes[number]);
    SDL_ShowCursor(SDL_ENABLE);
    if (!cursor)
        return false;
    SDL_SetCursor(cursor);
    return true;
}

void FreeSystemCursors()
{
    for (SDL_Cursor*& cursor : cursors)
    {
        if (cursor)
            SDL_FreeCursor(cursor);
        cursor = nullptr;
    }
}

} // namespace zest

// One placed object as read from a level map file, kept by its Level for the level's whole life
// so that what must survive an agent's deletion (drained, collected, revealed) survives. Main thread.
#pragma once

#include <cstdint>

namespace tibble
{

// Object record types of the map format.
enum ObjectType : int16_t
{
    TypeHose = 1,
    TypeSunflower = 2,
    TypeMiniFlower = 3,
    TypeFlyTrap = 4,
    TypeTrumpet = 5,
    TypeRose = 6,
    TypeRedRose = 7,
    TypePurpleRose = 8,
    TypeTomato = 9,
    TypeStartTrumpet = 10,
    TypeLinkTrumpet = 11,
    TypeHive = 12,
    TypePansy = 13,
    TypePansy2 = 14,
};

struct MapObject
{
    int16_t type = 0;
    int16_t x = 0; // level pixels of the object image's top-left corner
    int16_t y = 0;
    int16_t param = 0;
    // 0 after loading unless the type sets it; -1 drained or collected; 1 revealed hive or start
    // trumpet that has played its opening. A rose keeps its opening order here.
    int16_t state = 0;
    MapObject* nextInColumn = nullptr; // same tile column (x / 64), reverse file order
    MapObject* nextInRow = nullptr;    // same tile row (y / 64), reverse file order
    int16_t agentSlot = -1;            // slot of the live agent made from this record, -1 when none
};

} // namespace tibble

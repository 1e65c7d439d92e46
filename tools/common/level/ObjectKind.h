// The object types of a level map as the level source names them: the type number of the map record, the source
// name, what the record's param means for that type and where the object's centre lies. Constant data; any thread.
#pragma once

#include <cstdint>
#include <string_view>

namespace levelc
{

// What the param field of a record means, which names the parameter in the source.
enum class ParamKind
{
    Angle, // hose: spray angle in degrees, 0 up, clockwise
    Group, // flowers and hives: group 0..19
    Link,  // trumpets: link number, also their group
    Spit,  // fly trap: direction in degrees in which it spits the bee out
    Raw,   // not used by the game (tomato, start trumpet, unknown types): written only when not 0
};

struct ObjectKind
{
    int16_t type;
    std::string_view name;
    ParamKind param;
    bool hasOrder;    // a rose: the record carries a fifth field, its opening order
    bool nectar;      // feeds the bee once and counts towards the honey bar
    bool indexGroup;  // the param indexes one of the 20 flower groups when the map is loaded
    int centreOffset; // added to the record's x and y; a hose's record is its nozzle
};

// The kind of a record type, or none for a type the game ignores.
const ObjectKind* KindOfType(int type);
// The kind named in a source, or none. The alias "exit" is not a kind: see ExitName.
const ObjectKind* KindOfName(std::string_view name);

// Source name of a type-5 trumpet with link 1, the level's exit.
inline constexpr std::string_view ExitName = "exit";
// Source name of a record of a type the game ignores, followed by the type number.
inline constexpr std::string_view OtherName = "object";
// Link number of the exit trumpet; the level sets this group's timer when the honey bar reaches the threshold.
inline constexpr int ExitLink = 1;

// The source word for a param kind ("angle", "group", "link", "spit", "param").
std::string_view ParamName(ParamKind kind);

} // namespace levelc

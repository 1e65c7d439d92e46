#include "level/ObjectKind.h"

#include <array>

namespace levelc
{

namespace
{

// Centre offsets follow the sprite sizes: 64 x 64 sheets have their centre at +32, the 48 x 48 ones at +24.
constexpr std::array<ObjectKind, 14> Kinds = {{
    {1, "hose", ParamKind::Angle, false, false, false, 0},
    {2, "sunflower", ParamKind::Group, false, false, true, 32},
    {3, "miniflower", ParamKind::Group, false, true, true, 24},
    {4, "flytrap", ParamKind::Spit, false, false, false, 32},
    {5, "trumpet", ParamKind::Link, false, false, true, 32},
    {6, "rose", ParamKind::Group, true, true, true, 32},
    {7, "redrose", ParamKind::Group, false, true, true, 32},
    {8, "purplerose", ParamKind::Group, false, true, true, 32},
    {9, "tomato", ParamKind::Raw, false, false, false, 32},
    {10, "start", ParamKind::Raw, false, false, false, 32},
    {11, "linktrumpet", ParamKind::Link, false, false, true, 32},
    {12, "hive", ParamKind::Group, false, false, false, 24},
    {13, "pansy", ParamKind::Group, false, true, true, 24},
    {14, "pansy2", ParamKind::Group, false, true, true, 24},
}};

} // namespace

const ObjectKind* KindOfType(int type)
{
    for (const ObjectKind& kind : Kinds)
    {
        if (kind.type == type)
            return &kind;
    }
    return nullptr;
}

const ObjectKind* KindOfName(std::string_view name)
{
    for (const ObjectKind& kind : Kinds)
    {
        if (kind.name == name)
            return &kind;
    }
    return nullptr;
}

std::string_view ParamName(ParamKind kind)
{
    switch (kind)
    {
    case ParamKind::Angle:
        return "angle";
    case ParamKind::Group:
        return "group";
    case ParamKind::Link:
        return "link";
    case ParamKind::Spit:
        return "spit";
    case ParamKind::Raw:
        break;
    }
    return "param";
}

} // namespace levelc

#include "Palette.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace datagen
{

Rgb Rgb::Mix(const Rgb& other, double t) const
{
    return {r + (other.r - r) * t, g + (other.g - g) * t, b + (other.b - b) * t};
}

Rgb Rgb::Grey() const
{
    double y = 0.299 * r + 0.587 * g + 0.114 * b;
    return {y, y, y};
}

Rgb RgbFromHex(unsigned value)
{
    return {((value >> 16) & 255) / 255.0, ((value >> 8) & 255) / 255.0, (value & 255) / 255.0};
}

bool Palette::Load(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in)
    {
        error = "cannot open palette " + path;
        return false;
    }
    std::map<std::string, Rgb> loaded;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line))
    {
        ++lineNumber;
        if (line.empty() || line[0] == '#')
        {
            continue;
        }
        std::istringstream words(line);
        std::string name;
        std::string hex;
        if (!(words >> name >> hex) || hex.size() != 7 || hex[0] != '#')
        {
            error = path + ":" + std::to_string(lineNumber) + ": expected 'name #RRGGBB'";
            return false;
        }
        char* end = nullptr;
        unsigned long value = std::strtoul(hex.c_str() + 1, &end, 16);
        if (*end != '\0')
        {
            error = path + ":" + std::to_string(lineNumber) + ": bad colour " + hex;
            return false;
        }
        loaded[name] = RgbFromHex(static_cast<unsigned>(value));
    }
    colours = std::move(loaded);
    return true;
}

Rgb Palette::operator[](const std::string& name) const
{
    auto it = colours.find(name);
    if (it == colours.end())
    {
        std::fprintf(stderr, "palette has no colour '%s'\n", name.c_str());
        std::abort();
    }
    return it->second;
}

} // namespace datagen

#pragma once
// Named colours read from a palette file ("name #RRGGBB" per line, '#' at the start of a line is a comment).
// Owned by the generator that loads it; single-threaded.

#include <map>
#include <string>

namespace datagen
{

struct Rgb
{
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;

    [[nodiscard]] Rgb Mix(const Rgb& other, double t) const;
    [[nodiscard]] Rgb Lighter(double t) const { return Mix({1.0, 1.0, 1.0}, t); }
    [[nodiscard]] Rgb Darker(double t) const { return Mix({0.0, 0.0, 0.0}, t); }
    [[nodiscard]] Rgb Grey() const;
};

[[nodiscard]] Rgb RgbFromHex(unsigned value);

class Palette
{
public:
    // False with a message in error when the file is missing or a line is malformed.
    [[nodiscard]] bool Load(const std::string& path, std::string& error);
    // Unknown names are a programming error in the generator: it aborts with the name.
    [[nodiscard]] Rgb operator[](const std::string& name) const;

private:
    std::map<std::string, Rgb> colours;
};

} // namespace datagen

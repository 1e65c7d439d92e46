// levelc: the level compiler. Turns the plain-text level sources into the game's binary map files and back, checks
// them, and draws them for review.
//   levelc compile [--strict] SOURCE OUT.pmp
//   levelc decompile IN.pmp OUT.lvl|-
//   levelc build [--strict] SOURCE_DIR OUT_DIR
//   levelc check [--strict] FILE...
//   levelc info FILE...             size, objects, nectar, hedge shapes, solid share, chambers
//   levelc render FILE OUT.png [--tile N]
//   levelc sheet OUT.png [--tile N] [--columns N] FILE...
//   levelc wrap LEVEL.lvl OUT.lvl TRAILS... [--solid SHARE] [--gap TILES] [--seed N]
// FILE is a level source, or a map file when its name ends in ".pmp". Exit code 0 good, 1 the data failed,
// 2 wrong usage.
#include "level/Diagnostics.h"
#include "level/LevelMetrics.h"
#include "level/LevelRules.h"
#include "level/LevelSource.h"
#include "level/MapFile.h"
#include "level/MapPicture.h"
#include "level/ObjectKind.h"
#include "level/RouteWrap.h"

#include "garden/LevelMap.h"
#include "graphics/MemoryImage.h"
#include "platform/AtomicFile.h"
#include "resources/ImageWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace levelc;

namespace
{

constexpr const char* SourceExtension = ".lvl";
constexpr const char* MapExtension = ".pmp";

using Arguments = std::vector<std::string>;

constexpr const char* UsageText =
    "usage:\n"
    "  levelc compile [--strict] SOURCE OUT.pmp\n"
    "  levelc decompile IN.pmp OUT.lvl|-\n"
    "  levelc build [--strict] SOURCE_DIR OUT_DIR\n"
    "  levelc check [--strict] FILE...\n"
    "  levelc info FILE...\n"
    "  levelc render FILE OUT.png [--tile N]\n"
    "  levelc sheet OUT.png [--tile N] [--columns N] FILE...\n"
    "  levelc wrap LEVEL.lvl OUT.lvl TRAILS... [--solid SHARE] [--gap TILES] [--seed N]\n"
    "FILE is a level source (.lvl) or a map file (.pmp). --strict makes design warnings errors.\n"
    "sheet writes each level's number (its file name without the extension) under it.\n"
    "wrap fills the sky round the routes of the completing runs in TRAILS (tibble-plan --robust --trail)\n"
    "with hedge; SHARE is the solid share aimed at (0.42), TILES how far from a route the filling starts\n"
    "(2).\n";

int Usage()
{
    std::fputs(UsageText, stderr);
    return 2;
}

bool ReadWhole(const std::string& name, std::string& bytes)
{
    std::ifstream file(name, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

// Replaces the target in one step, so a failed run never leaves half a file.
bool WriteWhole(const std::string& name, const void* data, size_t size)
{
    std::string error;
    return zest::AtomicFile::Write(name, std::string_view(static_cast<const char*>(data), size), error);
}

bool IsMapName(const std::string& name)
{
    return fs::path(name).extension() == MapExtension;
}

int LevelIndexOf(const std::string& name)
{
    return LevelRules::LevelIndexOfMap(fs::path(name).stem().string());
}

// Options given before the file names; answers false on an unknown option.
struct Options
{
    bool strict = false;
    int tile = 0;
    int columns = 0;
    Arguments files;
};

bool ReadOptions(const Arguments& arguments, Options& options)
{
    for (size_t i = 0; i < arguments.size(); i++)
    {
        const std::string& a = arguments[i];
        if (a == "--strict")
            options.strict = true;
        else if ((a == "--tile" || a == "--columns") && i + 1 < arguments.size())
        {
            const int value = std::atoi(arguments[++i].c_str());
            if (value <= 0)
                return false;
            (a == "--tile" ? options.tile : options.columns) = value;
        }
        else if (a.size() > 1 && a[0] == '-')
            return false;
        else
            options.files.push_back(a);
    }
    return true;
}

// Reads a source or a map file, with the checks that fit: a source gets its playability and design checks, a map
// file the game's own loader as the judge. Prints what it finds; answers nothing when the file cannot be used.
std::optional<LevelSource> Load(const std::string& name, bool strict, bool checkDesign = true)
{
    std::string bytes;
    if (!ReadWhole(name, bytes))
    {
        std::fprintf(stderr, "%s: error: cannot read the file\n", name.c_str());
        return std::nullopt;
    }
    if (IsMapName(name))
    {
        std::string error;
        std::optional<LevelSource> level =
            MapFile::Decode({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, error);
        if (!level)
        {
            std::fprintf(stderr, "%s: error: %s\n", name.c_str(), error.c_str());
            return std::nullopt;
        }
        Diagnostics diagnostics;
        LevelRules::CheckPlayable(*level, diagnostics);
        // Still decoded: a map the game rejects can be turned into a source to mend it.
        for (const Diagnostic& d : diagnostics.Items())
            std::fprintf(stderr, "%s: warning: the game rejects this map: %s\n", name.c_str(), d.text.c_str());
        return level;
    }

    Diagnostics diagnostics;
    std::optional<LevelSource> level = LevelSource::Parse(bytes, diagnostics);
    if (level)
    {
        LevelRules::CheckPlayable(*level, diagnostics);
        if (checkDesign && !diagnostics.HasErrors())
            LevelRules::CheckDesign(*level, LevelIndexOf(name), diagnostics);
    }
    if (strict)
        diagnostics.WarningsAsErrors();
    std::fputs(diagnostics.Format(name).c_str(), stderr);
    if (diagnostics.HasErrors())
    {
        std::fprintf(stderr, "%s: %d error(s)\n", name.c_str(), diagnostics.ErrorCount());
        return std::nullopt;
    }
    return level;
}

bool WriteMap(const LevelSource& level, const std::string& out)
{
    const std::vector<uint8_t> bytes = MapFile::Encode(level);
    if (!WriteWhole(out, bytes.data(), bytes.size()))
    {
        std::fprintf(stderr, "%s: error: cannot write the file\n", out.c_str());
        return false;
    }
    return true;
}

int Compile(const Arguments& arguments)
{
    Options options;
    if (!ReadOptions(arguments, options) || options.files.size() != 2)
        return Usage();
    std::optional<LevelSource> level = Load(options.files[0], options.strict);
    if (!level)
        return 1;
    return WriteMap(*level, options.files[1]) ? 0 : 1;
}

int Decompile(const Arguments& arguments)
{
    if (arguments.size() != 2)
        return Usage();
    std::optional<LevelSource> level = Load(arguments[0], false);
    if (!level)
        return 1;
    const std::string text = level->ToText();
    if (arguments[1] == "-")
    {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    if (!WriteWhole(arguments[1], text.data(), text.size()))
    {
        std::fprintf(stderr, "%s: error: cannot write the file\n", arguments[1].c_str());
        return 1;
    }
    return 0;
}

int Build(const Arguments& arguments)
{
    Options options;
    if (!ReadOptions(arguments, options) || options.files.size() != 2)
        return Usage();
    const fs::path sourceDir = options.files[0];
    const fs::path outDir = options.files[1];
    std::error_code error;
    fs::create_directories(outDir, error);
    if (error)
    {
        std::fprintf(stderr, "%s: error: cannot make the folder: %s\n", outDir.c_str(), error.message().c_str());
        return 1;
    }
    std::vector<fs::path> sources;
    for (const fs::directory_entry& entry : fs::directory_iterator(sourceDir, error))
    {
        if (entry.is_regular_file() && entry.path().extension() == SourceExtension)
            sources.push_back(entry.path());
    }
    if (error)
    {
        std::fprintf(stderr, "%s: error: cannot list the folder: %s\n", sourceDir.c_str(), error.message().c_str());
        return 1;
    }
    std::sort(sources.begin(), sources.end());

    int failures = 0;
    bool have[tibble::LevelCount] = {};
    for (const fs::path& source : sources)
    {
        const int index = LevelRules::LevelIndexOfMap(source.stem().string());
        if (index < 0)
        {
            std::fprintf(stderr, "%s: error: no level loads a map of this name\n", source.c_str());
            failures++;
            continue;
        }
        have[index] = true;
        std::optional<LevelSource> level = Load(source.string(), options.strict);
        if (!level || !WriteMap(*level, (outDir / (source.stem().string() + MapExtension)).string()))
            failures++;
    }
    for (int i = 0; i < tibble::LevelCount; i++)
    {
        if (!have[i])
        {
            std::fprintf(stderr, "%s: error: no source for level %d (%s)\n", sourceDir.c_str(), i + 1,
                         tibble::LevelFileNames[i]);
            failures++;
        }
    }
    return failures ? 1 : 0;
}

int Check(const Arguments& arguments)
{
    Options options;
    if (!ReadOptions(arguments, options) || options.files.empty())
        return Usage();
    int failures = 0;
    for (const std::string& name : options.files)
    {
        if (!Load(name, options.strict))
            failures++;
    }
    return failures ? 1 : 0;
}

// A hedge shape as four letters, U R D L for a solid neighbour above, right, below, left and '-' for open sky.
std::string ShapeName(int shape)
{
    std::string name = "----";
    if (shape & LevelMetrics::Above)
        name[0] = 'U';
    if (shape & LevelMetrics::Right)
        name[1] = 'R';
    if (shape & LevelMetrics::Below)
        name[2] = 'D';
    if (shape & LevelMetrics::Left)
        name[3] = 'L';
    return name;
}

void PrintMetrics(const LevelSource& level)
{
    const LevelMetrics metrics = LevelMetrics::Measure(level);
    std::printf("  hedge %.1f %% of the tiles, %d of %d shapes", metrics.SolidShare() * 100.0, metrics.ShapesUsed(),
                LevelMetrics::ShapeCount);
    std::string missing;
    for (int shape = 0; shape < LevelMetrics::ShapeCount; shape++)
    {
        if (!metrics.shapeTiles[static_cast<size_t>(shape)])
            missing += (missing.empty() ? "" : " ") + ShapeName(shape);
    }
    if (!missing.empty())
        std::printf(" (missing %s)", missing.c_str());
    std::printf(", %d seam%s\n", metrics.seams, metrics.seams == 1 ? "" : "s");
    std::printf("  %d chamber%s", metrics.chambers, metrics.chambers == 1 ? "" : "s");
    if (metrics.sealedPockets)
        std::printf(", %d sealed pocket%s", metrics.sealedPockets, metrics.sealedPockets == 1 ? "" : "s");
    std::printf("\n");
}

// One paragraph per level: size, objects by type, nectar and what the exit needs, then its design metrics.
int Info(const Arguments& arguments)
{
    if (arguments.empty())
        return Usage();
    int failures = 0;
    for (const std::string& name : arguments)
    {
        std::optional<LevelSource> level = Load(name, false, false);
        if (!level)
        {
            failures++;
            continue;
        }
        std::map<int, int> counts;
        int flowers = 0;
        for (const SourceObject& object : level->objects)
        {
            counts[object.type]++;
            const ObjectKind* kind = KindOfType(object.type);
            flowers += kind && kind->nectar ? 1 : 0;
        }
        const int index = LevelIndexOf(name);
        std::printf("%s: ", name.c_str());
        if (index >= 0)
            std::printf("level %d, ", index + 1);
        std::printf("%d x %d tiles (%.1f x %.1f screens), %zu objects\n", level->width, level->height,
                    level->width / 10.0, level->height / 7.5, level->objects.size());
        std::printf("  ");
        bool first = true;
        for (auto [type, count] : counts)
        {
            const ObjectKind* kind = KindOfType(type);
            std::printf("%s%s %d", first ? "" : ", ",
                        kind ? std::string(kind->name).c_str() : ("type " + std::to_string(type)).c_str(), count);
            first = false;
        }
        std::printf("\n  nectar %d (%d flowers)", flowers * 10, flowers);
        if (index >= 0)
            std::printf(", the exit opens at %d%%: after %d flowers", tibble::LevelNeedPercent[index],
                        LevelRules::FlowersNeeded(flowers, index));
        std::printf("\n");
        PrintMetrics(*level);
    }
    return failures ? 1 : 0;
}

bool SavePicture(zest::MemoryImage& image, const std::string& out)
{
    if (!zest::WritePng(out, image))
    {
        std::fprintf(stderr, "%s: error: cannot write the picture\n", out.c_str());
        return false;
    }
    return true;
}

int Render(const Arguments& arguments)
{
    Options options;
    if (!ReadOptions(arguments, options) || options.files.size() != 2)
        return Usage();
    std::optional<LevelSource> level = Load(options.files[0], false, false);
    if (!level)
        return 1;
    auto picture = MapPicture::Draw(*level, options.tile ? options.tile : 16);
    return SavePicture(*picture, options.files[1]) ? 0 : 1;
}

int Sheet(const Arguments& arguments)
{
    Options options;
    if (!ReadOptions(arguments, options) || options.files.size() < 2)
        return Usage();
    std::vector<LevelSource> levels;
    std::vector<std::string> labels;
    for (size_t i = 1; i < options.files.size(); i++)
    {
        std::optional<LevelSource> level = Load(options.files[i], false, false);
        if (!level)
            return 1;
        levels.push_back(std::move(*level));
        labels.push_back(std::filesystem::path(options.files[i]).stem().string());
    }
    auto picture =
        MapPicture::Sheet(levels, options.tile ? options.tile : 4, options.columns ? options.columns : 4, labels);
    return SavePicture(*picture, options.files[0]) ? 0 : 1;
}

int Wrap(const Arguments& arguments)
{
    std::vector<std::string> files;
    WrapOptions options;
    for (size_t i = 0; i < arguments.size(); i++)
    {
        const std::string& arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        char* end = nullptr;
        if (arg == "--solid" && hasValue)
        {
            options.solid = std::strtod(arguments[++i].c_str(), &end);
            if (*end != '\0' || !(options.solid >= 0 && options.solid <= 1))
                return Usage();
        }
        else if ((arg == "--gap" || arg == "--seed") && hasValue)
        {
            const long value = std::strtol(arguments[++i].c_str(), &end, 10);
            if (*end != '\0' || value < 0 || value > (arg == "--gap" ? 1000 : 0xFFFFFFFFL))
                return Usage();
            if (arg == "--gap")
                options.gap = static_cast<int>(value);
            else
                options.seed = static_cast<uint32_t>(value);
        }
        else if (!arg.empty() && arg[0] == '-')
            return Usage();
        else
            files.push_back(arg);
    }
    if (files.size() < 3)
        return Usage();
    std::string source;
    if (!ReadWhole(files[0], source))
    {
        std::fprintf(stderr, "%s: cannot read the file\n", files[0].c_str());
        return 1;
    }
    std::vector<std::string> trails(files.size() - 2);
    for (size_t i = 2; i < files.size(); i++)
    {
        if (!ReadWhole(files[i], trails[i - 2]))
        {
            std::fprintf(stderr, "%s: cannot read the file\n", files[i].c_str());
            return 1;
        }
    }
    WrapReport report;
    std::string error;
    const std::optional<std::string> wrapped = WrapRoute(source, trails, options, report, error);
    if (!wrapped)
    {
        std::fprintf(stderr, "%s: %s\n", files[0].c_str(), error.c_str());
        return 1;
    }
    if (!WriteWhole(files[1], wrapped->data(), wrapped->size()))
    {
        std::fprintf(stderr, "%s: cannot write the file\n", files[1].c_str());
        return 1;
    }
    std::string missing;
    for (const int shape : report.missingShapes)
        missing += (missing.empty() ? "" : ", ") + std::to_string(shape);
    std::printf("%s: %d of %d runs frozen, %d free tiles; solid %.0f%%, %zu of 16 pieces (missing [%s]), %d seams\n",
                files[1].c_str(), report.completedRuns, report.runs, report.freeTiles, report.solidShare * 100,
                16 - report.missingShapes.size(), missing.c_str(), report.seams);
    return 0;
}

struct Command
{
    const char* name;
    int (*run)(const Arguments& arguments);
};

const Command Commands[] = {
    {"compile", Compile}, {"decompile", Decompile}, {"build", Build}, {"check", Check},
    {"info", Info},       {"render", Render},       {"sheet", Sheet}, {"wrap", Wrap},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)
    {
        std::fputs(UsageText, stdout);
        return 0;
    }
    for (const Command& command : Commands)
    {
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(Arguments(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "levelc: unknown command %s\n", argv[1]);
    return Usage();
}

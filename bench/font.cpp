// Text drawing speed: a 40-character line with a two-layer image font (a black outline under a white
// fill, glyphs 10 x 14 with anti-aliased edges) onto the opaque 640 x 480 screen, beside the same 80
// glyph blits issued directly through the drawing context (the floor the font's layer and order
// bookkeeping sits on), plus measuring and a system font for comparison. Ratios to the floor are
// printed at the end.

#include "graphics/DisplayImage.h"
#include "graphics/FontData.h"
#include "graphics/FontHost.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

using namespace zest;

namespace
{

constexpr int GlyphW = 10, GlyphH = 14, FirstChar = 32, CharCount = 95;
const std::string Line = "The quick brown fox jumps over 13 bees!!"; // 40 characters

// 95 glyphs side by side: a rounded box per character with a 1-pixel soft edge and a hole whose size
// depends on the character, so runs of every alpha class occur.
std::shared_ptr<MemoryImage> MakeSheet()
{
    auto sheet = std::make_shared<MemoryImage>();
    sheet->Create(GlyphW * CharCount, GlyphH);
    uint32_t* bits = sheet->GetBits();
    for (int c = 0; c < CharCount; ++c)
    {
        const double hole = 1.0 + (c % 4);
        for (int y = 0; y < GlyphH; ++y)
        {
            for (int x = 0; x < GlyphW; ++x)
            {
                double dx = std::max(0.0, std::abs(x + 0.5 - GlyphW / 2.0) - 2.0);
                double dy = std::max(0.0, std::abs(y + 0.5 - GlyphH / 2.0) - 4.0);
                double d = std::hypot(dx, dy);
                double outer = std::clamp(3.5 - d, 0.0, 1.0);
                double inner = std::clamp(std::hypot(x + 0.5 - GlyphW / 2.0, y + 0.5 - GlyphH / 2.0) - hole, 0.0, 1.0);
                uint32_t a = static_cast<uint32_t>(outer * inner * 255.0 + 0.5);
                bits[y * GlyphW * CharCount + c * GlyphW + x] = (a << 24) | 0xFFFFFF;
            }
        }
    }
    sheet->BitsChanged();
    return sheet;
}

class BenchHost : public FontHost
{
public:
    std::shared_ptr<MemoryImage> SharedImage(const std::string&, const std::string&, bool& isNew) override
    {
        isNew = !given;
        given = true;
        return sheet;
    }
    void ShowFontError(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }

    std::shared_ptr<MemoryImage> sheet = MakeSheet();
    bool given = false;
};

std::string Descriptor(bool twoLayers)
{
    std::string chars, rects, widths;
    for (int c = 0; c < CharCount; ++c)
    {
        char ch = static_cast<char>(FirstChar + c);
        std::string quoted = ch == '\'' ? "\"'\"" : std::string("'") + (ch == '\\' ? "\\\\" : std::string(1, ch)) + "'";
        chars += (c ? ", " : "") + quoted;
        rects += (c ? ", " : "") + ("(" + std::to_string(c * GlyphW) + ", 0, " + std::to_string(GlyphW) + ", " +
                                    std::to_string(GlyphH) + ")");
        widths += (c ? ", " : "") + std::string("9");
    }
    std::string text = "SetDefaultPointSize 12;\nDefine Chars (" + chars + ");\n";
    text += "CreateLayer Fill; LayerSetImage Fill 'sheet.png';\n";
    text += "LayerSetImageMap Fill Chars (" + rects + ");\n";
    text += "LayerSetCharWidths Fill Chars (" + widths + ");\n";
    text += "LayerSetAscent Fill 12; LayerSetKerningPairs Fill ('AV', 'To') (-1, -1);\n";
    if (twoLayers)
    {
        text +=
            "CreateLayerFrom Outline Fill; LayerSetColorMult Outline (0, 0, 0, 1); LayerSetOffset Outline (1, 1);\n";
        text += "LayerSetBaseOrder Fill 1; LayerSetBaseOrder Outline 0;\n";
    }
    return text;
}

// Writes a descriptor to a scratch file and loads it.
std::unique_ptr<ImageFont> LoadFont(BenchHost& host, bool twoLayers)
{
    auto dir = std::filesystem::temp_directory_path() / ("zest-bench-font-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    auto path = dir / (twoLayers ? "two.txt" : "one.txt");
    std::ofstream(path) << Descriptor(twoLayers);
    auto font = std::make_unique<ImageFont>(&host, path.string());
    std::filesystem::remove_all(dir);
    if (!font->GetFontData()->initialized)
        std::fprintf(stderr, "font failed: %s\n", font->GetFontData()->error.c_str());
    return font;
}

// Positions cycle over the screen so the lines do not sit in one cache-warm spot.
Point LinePosition(int64_t i)
{
    return Point(static_cast<int>((i * 37) % 200), 20 + static_cast<int>((i * 53) % 440));
}

void BM_DrawString_TwoLayerImageFont(benchmark::State& state)
{
    BenchHost host;
    auto font = LoadFont(host, true);
    DisplayImage screen(640, 480);
    Graphics g(&screen);
    int64_t i = 0;
    for (auto _ : state)
    {
        Point p = LinePosition(i++);
        font->DrawString(&g, p.x, p.y, Line, Color(255, 230, 80), g.GetClipRect());
    }
    benchmark::DoNotOptimize(screen.GetBits());
    state.SetItemsProcessed(state.iterations() * int64_t(Line.size()) * 2); // glyph blits
}

// The same 80 blits the font issues (outline pass, then fill pass), straight through the context.
void BM_DrawString_GlyphBlitFloor(benchmark::State& state)
{
    BenchHost host;
    auto font = LoadFont(host, true);
    DisplayImage screen(640, 480);
    Graphics g(&screen);
    // Lay the line out once with the font itself so the floor blits exactly what it blits.
    std::vector<Rect> placed;
    int width = 0;
    font->DrawStringEx(&g, 0, 0, Line, Color::White, g.GetClipRect(), &placed, &width);
    MemoryImage* sheet = host.sheet.get();
    struct Blit
    {
        int x, y;
        Rect src;
        Color color;
    };
    std::vector<Blit> blits;
    for (int layer = 0; layer < 2; ++layer) // outline (order 0) first, then fill
    {
        for (size_t c = 0; c < Line.size(); ++c)
        {
            const Rect& r = placed[c * 2 + (layer == 0 ? 1 : 0)];
            int index = static_cast<uint8_t>(Line[c]) - FirstChar;
            blits.push_back(
                {r.x, r.y, Rect(index * GlyphW, 0, GlyphW, GlyphH), layer == 0 ? Color(0, 0, 0) : Color(255, 230, 80)});
        }
    }
    g.SetColorize(true);
    int64_t i = 0;
    for (auto _ : state)
    {
        Point p = LinePosition(i++);
        for (const Blit& b : blits)
        {
            g.SetColor(b.color);
            g.DrawImage(sheet, p.x + b.x, p.y + b.y, b.src);
        }
    }
    benchmark::DoNotOptimize(screen.GetBits());
    state.SetItemsProcessed(state.iterations() * int64_t(blits.size()));
}

void BM_DrawString_OneLayerImageFont(benchmark::State& state)
{
    BenchHost host;
    auto font = LoadFont(host, false);
    DisplayImage screen(640, 480);
    Graphics g(&screen);
    int64_t i = 0;
    for (auto _ : state)
    {
        Point p = LinePosition(i++);
        font->DrawString(&g, p.x, p.y, Line, Color(255, 230, 80), g.GetClipRect());
    }
    benchmark::DoNotOptimize(screen.GetBits());
    state.SetItemsProcessed(state.iterations() * int64_t(Line.size()));
}

void BM_StringWidth_TwoLayerImageFont(benchmark::State& state)
{
    BenchHost host;
    auto font = LoadFont(host, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(font->StringWidth(Line));
    state.SetItemsProcessed(state.iterations() * int64_t(Line.size()));
}

void BM_DrawString_SysFont(benchmark::State& state)
{
    SysFont font("DejaVu Sans", 10);
    DisplayImage screen(640, 480);
    Graphics g(&screen);
    int64_t i = 0;
    for (auto _ : state)
    {
        Point p = LinePosition(i++);
        font.DrawString(&g, p.x, p.y, Line, Color(255, 230, 80), g.GetClipRect());
    }
    benchmark::DoNotOptimize(screen.GetBits());
    state.SetItemsProcessed(state.iterations() * int64_t(Line.size()));
}

BENCHMARK(BM_DrawString_TwoLayerImageFont)->Repetitions(5);
BENCHMARK(BM_DrawString_GlyphBlitFloor)->Repetitions(5);
BENCHMARK(BM_DrawString_OneLayerImageFont)->Repetitions(5);
BENCHMARK(BM_StringWidth_TwoLayerImageFont)->Repetitions(5);
BENCHMARK(BM_DrawString_SysFont)->Repetitions(5);

} // namespace

int main(int argc, char** argv)
{
    return RunWithRatios(argc, argv, "BM_DrawString_GlyphBlitFloor", "floor");
}

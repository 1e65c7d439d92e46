#include "graphics/DescParser.h"
#include "graphics/FontData.h"

#include "FontTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using zest::Color;
using zest::DescParser;
using zest::FontData;
using zest::GlyphLayer;
using zest::Point;
using zest::Rect;

namespace
{

const char* const DescPath = "fonts/test.txt";

std::string Repeat(const std::string& text, int count)
{
    std::string result;
    for (int i = 0; i < count; ++i)
        result += text;
    return result;
}

// A FontData loaded from text with a host that serves one 8 x 8 sheet as "fonts/sheet.png".
struct Loaded
{
    fonttest::FakeFontHost host;
    FontData data;
    bool ok = false;

    explicit Loaded(const std::string& text)
    {
        host.images["fonts/sheet.png"] = fonttest::MakeSheet(8, 8, {{Rect(0, 0, 8, 8), 0xFFFFFFFF}});
        ok = data.LoadText(text, DescPath, &host);
    }
    GlyphLayer& Layer(const std::string& name)
    {
        GlyphLayer* layer = data.FindLayer(name);
        EXPECT_NE(layer, nullptr) << name;
        static GlyphLayer none;
        return layer ? *layer : none;
    }
};

std::string ExpectedError(const std::string& message, int line, const std::string& command)
{
    std::string text = std::string("Font Descriptor Error in ") + DescPath + "\r\n" + message;
    if (!command.empty())
        text += " on Line " + std::to_string(line) + ":\r\n\r\n" + command;
    return text;
}

} // namespace

TEST(DescParser, DescriptorsGiveTheirResultOrExactError)
{
    struct Case
    {
        const char* what;
        std::string text;
        std::string message; // empty: the descriptor loads
        int line;
        std::string command;
        std::function<void(Loaded&)> check;
    };
    const std::string doubling = "Define A (1, 1, 1, 1, 1, 1, 1, 1);\n" + Repeat("Define A (A, A);\n", 14);
    const Case cases[] = {
        {"list definition used as an offset", "Define Outline (1,2);\nCreateLayer Main;\nLayerSetOffset Main Outline;",
         "", 0, "",
         [](Loaded& l)
         {
             EXPECT_EQ(l.Layer("MAIN").offsetX, 1);
             EXPECT_EQ(l.Layer("main").offsetY, 2);
         }},
        {"comment line is ignored", "# CreateLayer X\nCreateLayer Y", "", 0, "",
         [](Loaded& l)
         {
             EXPECT_EQ(l.data.FindLayer("X"), nullptr);
             EXPECT_NE(l.data.FindLayer("Y"), nullptr);
         }},
        {"indented comment line is ignored", "CreateLayer Y;\n   \t# CreateLayer X\n", "", 0, "",
         [](Loaded& l) { EXPECT_EQ(l.data.FindLayer("X"), nullptr); }},
        {"comment mark after a command is no comment", "CreateLayer X # note", "Invalid Number of Parameters", 1,
         "CreateLayer X # note", nullptr},
        {"char map lists differ in size", "SetCharMap ('a', 'b') ('c')", "List Size Mismatch", 1,
         "SetCharMap ('a', 'b') ('c')", nullptr},
        {"unknown command on the second line", "CreateLayer A;\nFrobnicate A", "Unknown Command", 2, "Frobnicate A",
         nullptr},
        {"list touching a token", "CreateLayer a(b)", "Unexpected List Start", 1, "CreateLayer a(b)", nullptr},
        {"list end at the top", "CreateLayer b)", "Unexpected List End", 1, "CreateLayer b)", nullptr},
        {"open single quote", "CreateLayer 'abc", "Unterminated Single Quotes", 1, "CreateLayer 'abc", nullptr},
        {"open double quote swallows the rest", "CreateLayer \"abc;\nCreateLayer B", "Unterminated Double Quotes", 1,
         "CreateLayer \"abc;\nCreateLayer B", nullptr},
        {"open list", "CreateLayer (a", "Unterminated List", 1, "CreateLayer (a", nullptr},
        {"list in command position", "(a) b", "Missing Command", 1, "(a) b", nullptr},
        {"undefined name in a list parameter", "CreateLayer A; LayerSetOffset A Nowhere",
         "Unable to Dereference \"Nowhere\"", 1, "LayerSetOffset A Nowhere", nullptr},
        {"undefined name inside a list", "CreateLayer A; LayerSetOffset A (1, Nowhere)",
         "Unable to Dereference \"Nowhere\"", 1, "LayerSetOffset A (1, Nowhere)", nullptr},
        {"undefined layer", "LayerSetAscent Nope 3", "Undefined Layer", 1, "LayerSetAscent Nope 3", nullptr},
        {"layer names ignore case", "CreateLayer A; CreateLayer a", "Layer Already Exists", 1, "CreateLayer a",
         nullptr},
        {"image map without image", "CreateLayer A; LayerSetImageMap A ('x') ((0, 0, 1, 1))", "Layer image not set", 1,
         "LayerSetImageMap A ('x') ((0, 0, 1, 1))", nullptr},
        {"rectangle past the image",
         "CreateLayer A; LayerSetImage A 'sheet.png'; LayerSetImageMap A ('x') ((4, 4, 5, 4))",
         "Image rectangle out of bounds", 1, "LayerSetImageMap A ('x') ((4, 4, 5, 4))", nullptr},
        {"rectangle left of the image",
         "CreateLayer A; LayerSetImage A 'sheet.png'; LayerSetImageMap A ('x') ((-1, 0, 2, 2))",
         "Image rectangle out of bounds", 1, "LayerSetImageMap A ('x') ((-1, 0, 2, 2))", nullptr},
        {"rectangle of negative size",
         "CreateLayer A; LayerSetImage A 'sheet.png'; LayerSetImageMap A ('x') ((6, 0, -4, 2))",
         "Image rectangle out of bounds", 1, "LayerSetImageMap A ('x') ((6, 0, -4, 2))", nullptr},
        {"rectangle whose end overflows",
         "CreateLayer A; LayerSetImage A 'sheet.png'; LayerSetImageMap A ('x') ((2, 0, 2147483647, 2))",
         "Image rectangle out of bounds", 1, "LayerSetImageMap A ('x') ((2, 0, 2147483647, 2))", nullptr},
        {"missing image", "CreateLayer A; LayerSetImage A 'missing.png'", "Failed to Load Image", 1,
         "LayerSetImage A 'missing.png'", nullptr},
        {"draw mode 2", "CreateLayer A; LayerSetDrawMode A 2", "Invalid Paramater Type", 1, "LayerSetDrawMode A 2",
         nullptr},
        {"whole number overflows", "SetDefaultPointSize 2147483648", "Invalid Paramater Type", 1,
         "SetDefaultPointSize 2147483648", nullptr},
        {"whole numbers are not dereferenced", "Define Size 12; SetDefaultPointSize Size", "Invalid Paramater Type", 1,
         "SetDefaultPointSize Size", nullptr},
        {"character of two letters", "SetCharMap ('ab') ('c')", "Invalid Paramater Type", 1, "SetCharMap ('ab') ('c')",
         nullptr},
        {"widths and characters differ", "CreateLayer A; LayerSetCharWidths A ('a', 'b') (1)", "List Size Mismatch", 1,
         "LayerSetCharWidths A ('a', 'b') (1)", nullptr},
        {"kerning pair of three letters", "CreateLayer A; LayerSetKerningPairs A ('abc') (1)", "Invalid Paramater Type",
         1, "LayerSetKerningPairs A ('abc') (1)", nullptr},
        {"offset of three numbers", "CreateLayer A; LayerSetOffset A (1, 2, 3)", "Invalid Paramater Type", 1,
         "LayerSetOffset A (1, 2, 3)", nullptr},
        {"immediate value as a name", "Define 5 (1)", "Invalid Paramater Type", 1, "Define 5 (1)", nullptr},
        {"colour of three reals", "CreateLayer A; LayerSetColorMult A (1, 1, 1)", "Invalid Paramater Type", 1,
         "LayerSetColorMult A (1, 1, 1)", nullptr},
        {"nested list where texts are expected", "SetCharMap (('a')) ('b')", "Invalid Paramater Type", 1,
         "SetCharMap (('a')) ('b')", nullptr},
        {"lists nested without end", "Define Deep " + Repeat("(", 40) + Repeat(")", 40), "List Nesting Too Deep", 1,
         "Define Deep " + Repeat("(", 40) + Repeat(")", 40), nullptr},
        {"definition doubled until huge", doubling, "Definition Too Large", 14, "Define A (A, A)", nullptr},
        {"multi-line command keeps its first line",
         "SetDefaultPointSize 12;\n\n  # note\n  LayerSetAscent\n    Missing 3", "Undefined Layer", 4,
         "LayerSetAscent\nMissing 3", nullptr},
        {"carriage returns are ignored", "CreateLayer A;\r\n\r\nLayerSetAscent A x;\r\n", "Invalid Paramater Type", 3,
         "LayerSetAscent A x", nullptr},
        {"empty commands are accepted", ";;\n;  ;\nCreateLayer A;;", "", 0, "", nullptr},
        {"backslash at the very end", "CreateLayer A\\", "", 0, "",
         [](Loaded& l) { EXPECT_NE(l.data.FindLayer("A"), nullptr); }},
        {"escaped blank at the end of the text", "CreateLayer A\\ \n", "", 0, "",
         [](Loaded& l) { EXPECT_NE(l.data.FindLayer("A "), nullptr); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Loaded loaded(c.text);
        if (c.message.empty())
        {
            EXPECT_TRUE(loaded.ok) << loaded.data.error;
            EXPECT_TRUE(loaded.data.initialized);
            EXPECT_TRUE(loaded.host.popups.empty());
            if (c.check)
                c.check(loaded);
        }
        else
        {
            EXPECT_FALSE(loaded.ok);
            EXPECT_FALSE(loaded.data.initialized);
            std::string expected = ExpectedError(c.message, c.line, c.command);
            EXPECT_EQ(loaded.data.error, expected);
            // One pop-up per failed load, even where a mistake is reported twice (undefined layer).
            ASSERT_EQ(loaded.host.popups.size(), 1u);
            EXPECT_EQ(loaded.host.popups[0], expected);
        }
    }
}

TEST(DescParser, CommandsBeforeTheFailingOneKeepTheirEffect)
{
    Loaded loaded("CreateLayer A; LayerSetAscent A 7; Bogus; CreateLayer B");
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.Layer("A").ascent, 7);
    EXPECT_EQ(loaded.data.FindLayer("B"), nullptr);
    // Loading again is refused only once initialized; a failed load may be retried elsewhere.
    FontData good;
    ASSERT_TRUE(good.LoadText("CreateLayer A", DescPath, nullptr));
    EXPECT_FALSE(good.LoadText("CreateLayer B", DescPath, nullptr));
    EXPECT_EQ(good.FindLayer("B"), nullptr);
}

TEST(DescParser, QuotesAndBackslashesProtectSeparators)
{
    Loaded loaded(
        "CreateLayer A;\n"
        "LayerSetCharWidths A (',', '(', ')', ';', '\"', '\\'', \"#\", '\\\\', ' ') (1, 2, 3, 4, 5, 6, 7, 8, 9);\n"
        "CreateLayer 'it''s';\n"
        "CreateLayer \"two words\";\n"
        "CreateLayer 'semi\\;colon'");
    ASSERT_TRUE(loaded.ok) << loaded.data.error;
    const GlyphLayer& a = loaded.Layer("A");
    const char chars[] = {',', '(', ')', ';', '"', '\'', '#', '\\', ' '};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(a.glyphs[static_cast<uint8_t>(chars[i])].width, i + 1) << chars[i];
    EXPECT_NE(loaded.data.FindLayer("it's"), nullptr);
    EXPECT_NE(loaded.data.FindLayer("two words"), nullptr);
    EXPECT_NE(loaded.data.FindLayer("semi;colon"), nullptr);
}

TEST(DescParser, ParseIntAcceptsDecimalAndHexOnly)
{
    struct Case
    {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"12", true, 12},
        {"-7", true, -7},
        {"0x1F", true, 31},
        {"0XfF", true, 255},
        {"-0x10", true, -16},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"0x80000000", false, 0},
        {"99999999999999999999", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"0x", false, 0},
        {"+5", false, 0},
        {"1a", false, 0},
        {"12.5", false, 0},
        {" 1", false, 0},
        {"x12", false, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        int value = 12345;
        EXPECT_EQ(DescParser::ParseInt(c.text, value), c.ok);
        EXPECT_EQ(value, c.ok ? c.value : 12345); // unchanged on failure
    }
}

TEST(DescParser, ParseRealAcceptsPlainDecimals)
{
    struct Case
    {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"1", true, 1.0}, {"-0.5", true, -0.5}, {"2.", true, 2.0},   {"0.25", true, 0.25}, {"", false, 0},
        {"-", false, 0},  {"1e5", false, 0},    {"1.2.3", false, 0}, {"+1", false, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        double value = 99;
        EXPECT_EQ(DescParser::ParseReal(c.text, value), c.ok);
        EXPECT_DOUBLE_EQ(value, c.ok ? c.value : 99);
    }
}

TEST(DescParser, ColoursFromRealListsAndPackedNumbers)
{
    struct Case
    {
        const char* value;
        Color expected;
    } cases[] = {
        {"(1, 0.5, 0, 1)", Color(255, 127, 0, 255)},
        {"(2, -1, 0.999, 0.5)", Color(255, 0, 254, 127)}, // reals held to 0..1
        {"0x80FF0000", Color(255, 0, 0, 128)},
        {"0x00FF00", Color(0, 255, 0, 255)}, // alpha byte 0 means opaque
        {"16711680", Color(255, 0, 0, 255)},
        {"Gold", Color(255, 215, 0, 255)},
        {"Half", Color(0, 0, 255, 127)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.value);
        Loaded loaded(std::string("Define Gold 0xFFD700; Define Half (0, 0, 1, 0.5); CreateLayer A; ") +
                      "LayerSetColorMult A " + c.value + "; LayerSetColorAdd A " + c.value);
        ASSERT_TRUE(loaded.ok) << loaded.data.error;
        EXPECT_EQ(loaded.Layer("A").colorMult, c.expected);
        EXPECT_EQ(loaded.Layer("A").colorAdd, c.expected);
    }
}

TEST(DescParser, HorizontalSpanListFeedsTheImageMap)
{
    Loaded loaded("CreateHorzSpanRectList Strip (1, 2, 999, 4) (3, 2, 1);\n"
                  "CreateLayer A; LayerSetImage A 'sheet.png';\n"
                  "LayerSetCharOffsets A ('b') ((0, 3));\n"
                  "LayerSetImageMap A ('a', 'b', 'c') Strip;");
    ASSERT_TRUE(loaded.ok) << loaded.data.error;
    EXPECT_EQ(loaded.data.DataToString(*loaded.data.FindDefine("strip")), "((1, 2, 3, 4), (4, 2, 2, 4), (6, 2, 1, 4))");
    const GlyphLayer& a = loaded.Layer("A");
    EXPECT_EQ(a.glyphs['a'].imageRect, Rect(1, 2, 3, 4));
    EXPECT_EQ(a.glyphs['b'].imageRect, Rect(4, 2, 2, 4));
    EXPECT_EQ(a.glyphs['c'].imageRect, Rect(6, 2, 1, 4));
    EXPECT_EQ(a.defaultHeight, 7); // tallest glyph height + offset y
    EXPECT_EQ(loaded.host.requests, std::vector<std::string>{"fonts/sheet.png|"});
}

TEST(DescParser, DefinitionsStandForTheirValues)
{
    Loaded loaded("Define Name \"Fill\"; CreateLayer Name;\n"
                  "Define Chars ('a', Letter); Define Letter 'z';\n" // Letter undefined when Chars was made
                  "Define Letter2 'y'; Define Chars2 ('x', Letter2); Define Copy Chars2;\n"
                  "LayerSetCharWidths Fill Copy (5, 6);\n"
                  "LayerSetCharOrders Fill (Letter2) (-3);");
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.data.error, ExpectedError("Unable to Dereference \"Letter\"", 2, "Define Chars ('a', Letter)"));

    Loaded good("Define Name \"Fill\"; CreateLayer Name;\n"
                "Define Letter2 'y'; Define Chars2 ('x', Letter2); Define Copy Chars2;\n"
                "LayerSetCharWidths Fill Copy (5, 6);\n"
                "LayerSetCharOrders Fill (Letter2) (-3);");
    ASSERT_TRUE(good.ok) << good.data.error;
    const GlyphLayer& fill = good.Layer("fill");
    EXPECT_EQ(fill.glyphs['x'].width, 5);
    EXPECT_EQ(fill.glyphs['y'].width, 6);
    EXPECT_EQ(fill.glyphs['y'].order, -3);
    EXPECT_EQ(good.data.DataToString(*good.data.FindDefine("COPY")), "(x, y)");
}

TEST(DescParser, CharactersAboveAsciiIndexAsUnsignedBytes)
{
    // 0xE9 is negative as a signed char; it must land at entry 233, never below the table.
    Loaded loaded("CreateLayer A;\n"
                  "LayerSetCharWidths A ('\xE9', '\xFF') (7, 8);\n"
                  "SetCharMap ('\xC9') ('\xE9');\n"
                  "LayerSetKerningPairs A ('\xE9\xFF', 'AV', 'VA') (-3, 300, -300);");
    ASSERT_TRUE(loaded.ok) << loaded.data.error;
    const GlyphLayer& a = loaded.Layer("A");
    EXPECT_EQ(a.glyphs[0xE9].width, 7);
    EXPECT_EQ(a.glyphs[0xFF].width, 8);
    EXPECT_EQ(loaded.data.charMap[0xC9], 0xE9);
    EXPECT_EQ(a.glyphs[0xE9].kerningOffsets[0xFF], -3);
    // Kerning is a signed byte: out-of-range values are held at the ends rather than wrapped.
    EXPECT_EQ(a.glyphs['A'].kerningOffsets['V'], 127);
    EXPECT_EQ(a.glyphs['V'].kerningOffsets['A'], -128);
}

TEST(DescParser, LayerCopiesAndSettings)
{
    Loaded loaded("CreateLayer Main; LayerSetImage Main 'sheet.png'; LayerSetImageMap Main ('a') ((0, 0, 2, 3));\n"
                  "LayerSetCharWidths Main ('a') (4); LayerSetSpacing Main 1; LayerSetBaseOrder Main 2;\n"
                  "LayerSetDrawMode Main 1; LayerSetAscent Main 5; LayerSetAscentPadding Main 1;\n"
                  "LayerSetLineSpacingOffset Main -2; LayerSetHeight Main 9; LayerPointRange Main 10 14;\n"
                  "LayerSetPointSize Main 12; LayerRequireTags Main ('bold'); LayerExcludeTags Main ('thin');\n"
                  "CreateLayerFrom Shadow Main; LayerSetOffset Shadow (1, 1); SetDefaultPointSize 12;");
    ASSERT_TRUE(loaded.ok) << loaded.data.error;
    const GlyphLayer& shadow = loaded.Layer("shadow");
    EXPECT_EQ(shadow.glyphs['a'].imageRect, Rect(0, 0, 2, 3));
    EXPECT_EQ(shadow.glyphs['a'].width, 4);
    EXPECT_EQ(shadow.image, loaded.Layer("main").image);
    EXPECT_EQ(shadow.spacing, 1);
    EXPECT_EQ(shadow.baseOrder, 2);
    EXPECT_EQ(shadow.drawMode, 1);
    EXPECT_EQ(shadow.ascent, 5);
    EXPECT_EQ(shadow.ascentPadding, 1);
    EXPECT_EQ(shadow.lineSpacingOffset, -2);
    EXPECT_EQ(shadow.height, 9);
    EXPECT_EQ(shadow.minPointSize, 10);
    EXPECT_EQ(shadow.maxPointSize, 14);
    EXPECT_EQ(shadow.pointSize, 12);
    EXPECT_EQ(shadow.requiredTags, std::vector<std::string>{"BOLD"});
    EXPECT_EQ(shadow.excludedTags, std::vector<std::string>{"THIN"});
    EXPECT_EQ(shadow.offsetX, 1);
    EXPECT_EQ(loaded.Layer("main").offsetX, 0);
    EXPECT_EQ(loaded.data.defaultPointSize, 12);
}

TEST(DescParser, UnindentedLineStartsACommandWhenAsked)
{
    struct Parser : DescParser
    {
        std::vector<std::string> commands;
        bool HandleCommand(const zest::ListDataElement& params) override
        {
            commands.push_back(DataToString(params));
            return true;
        }
    } parser;
    parser.cmdSep = DescParser::CmdSepNoIndent;
    ASSERT_TRUE(parser.LoadDescriptorText("CreateLayer\n  A\nCreateLayer B; C\n"));
    EXPECT_EQ(parser.commands, (std::vector<std::string>{"(CreateLayer, A)", "(CreateLayer, B;, C)"}));
}

TEST(DescParser, ReadsFilesThroughTheFileFunctions)
{
    fonttest::ScratchDir dir;
    std::string path = dir.Write("d\xC3\xA9"
                                 "cor.txt",
                                 "CreateLayer A;\r\n# x\r\nLayerSetAscent A 3;\r\nLayerSetAscent B 1;");
    FontData data;
    EXPECT_FALSE(data.Load(path, nullptr));
    EXPECT_EQ(data.error,
              "Font Descriptor Error in " + path + "\r\nUndefined Layer on Line 4:\r\n\r\nLayerSetAscent B 1");
    ASSERT_NE(data.FindLayer("a"), nullptr);
    EXPECT_EQ(data.FindLayer("a")->ascent, 3);

    FontData missing;
    EXPECT_FALSE(missing.Load(dir.File("absent.txt"), nullptr));
    EXPECT_EQ(missing.error, "");
}

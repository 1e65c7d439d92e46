#include "resources/XMLParser.h"

#include "files/PakFile.h"
#include "files/PakInterface.h"
#include "files/PakWriter.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace zest;
namespace fs = std::filesystem;

namespace
{

// One line per item: kind letter, (section), value, {attributes in order}, |instruction;
// then "end" or "error: TEXT @LINE".
std::vector<std::string> Render(XMLParser& parser)
{
    std::vector<std::string> lines;
    XMLItem item;
    while (parser.ReadItem(item))
    {
        static const char* const kinds = "-SETIC";
        std::string line = std::string(1, kinds[item.kind]) + "(" + item.section + ")" + item.value;
        if (!item.attributes.empty())
        {
            line += "{";
            for (size_t i = 0; i < item.attributeOrder.size(); ++i)
            {
                const std::string& name = item.attributeOrder[i];
                line += (i > 0 ? "," : "") + name + "=" + item.attributes.at(name);
            }
            line += "}";
        }
        if (item.kind == XMLItem::Instruction || item.kind == XMLItem::Comment)
            line += "|" + item.instruction;
        lines.push_back(line);
        if (lines.size() > 1000)
            break;
    }
    if (parser.Failed())
        lines.push_back("error: " + parser.ErrorText() + " @" + std::to_string(parser.LineNumber()));
    else
        lines.push_back("end");
    return lines;
}

std::vector<std::string> Parse(const std::string& document, bool allowComments = false)
{
    XMLParser parser;
    parser.SetAllowComments(allowComments);
    parser.OpenBuffer(document, "test.xml");
    return Render(parser);
}

std::string Utf16(const std::u16string& text, bool bigEndian)
{
    std::string out;
    for (char16_t c : text)
    {
        char low = static_cast<char>(c & 0xFF);
        char high = static_cast<char>(c >> 8);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

struct Case
{
    const char* what;
    std::string document;
    std::vector<std::string> expected;
    bool allowComments = false;
};

void RunCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Parse(c.document, c.allowComments), c.expected);
    }
}

} // namespace

TEST(XMLParser, ElementsTextAndSections)
{
    RunCases({
        {"empty document", "", {"end"}},
        {"blanks only", " \r\n\t ", {"end"}},
        {"nested sections", "<r><s><t/></s></r>", {"S()r", "S(r)s", "S(r/s)t", "E(r/s/t)t", "E(r/s)s", "E(r)r", "end"}},
        {"blanks in text fold to one", "<a>  hello \n  world  </a>", {"S()a", "T(a)hello world", "E(a)a", "end"}},
        {"text between elements", "<a>x<b/>y</a>", {"S()a", "T(a)x", "S(a)b", "E(a/b)b", "T(a)y", "E(a)a", "end"}},
        {"blanks inside tags", "< a >< / a >", {"S()a", "E(a)a", "end"}},
        {"quotes in text keep their blanks", "<a>say \"a  b\"</a>", {"S()a", "T(a)say \"a  b\"", "E(a)a", "end"}},
        {"elements left open end quietly", "<a><b>", {"S()a", "S(a)b", "end"}},
    });
}

TEST(XMLParser, AttributesAndSelfClosingTags)
{
    RunCases({
        {"blanks around = and quoted blanks", "<a x = \"1 2\" y=3/>", {"S()a{x=1 2,y=3}", "E(a)a", "end"}},
        {"slash after the name", "<a/>", {"S()a", "E(a)a", "end"}},
        {"blank before the slash", "<a />", {"S()a", "E(a)a", "end"}},
        {"attribute before the slash", "<a x=\"1\"/>", {"S()a{x=1}", "E(a)a", "end"}},
        {"unquoted value before the slash", "<a path=dir/>", {"S()a{path=dir}", "E(a)a", "end"}},
        {"slash inside quotes belongs to the value", "<a path=\"dir/\"></a>", {"S()a{path=dir/}", "E(a)a", "end"}},
        {"slash inside quotes, then a closing slash", "<a path=\"dir/\"/>", {"S()a{path=dir/}", "E(a)a", "end"}},
        {"flag attributes", "<a x y=\"1\" z>", {"S()a{x=,y=1,z=}", "end"}},
        {"flag attribute before the slash", "<a x/>", {"S()a{x=}", "E(a)a", "end"}},
        {"repeated attribute keeps its first place", "<a x=\"1\" y=\"2\" x=\"3\"/>", {"S()a{x=3,y=2}", "E(a)a", "end"}},
        {"entities in names and values",
         "<a v=\"&quot;q&quot;\" n=a&amp;b m&lt;=1/>",
         {"S()a{v=\"q\",n=a&b,m<=1}", "E(a)a", "end"}},
        {"markup characters inside quotes", "<a x=\"1>2<3\"/>", {"S()a{x=1>2<3}", "E(a)a", "end"}},
        {"empty quoted value", "<a x=\"\" y=1/>", {"S()a{x=,y=1}", "E(a)a", "end"}},
        {"self-closing inside a section",
         "<m><r id=\"g\"><i p=\"a.png\"/></r></m>",
         {"S()m", "S(m)r{id=g}", "S(m/r)i{p=a.png}", "E(m/r/i)i", "E(m/r)r", "E(m)m", "end"}},
    });
}

TEST(XMLParser, EntitiesDecodeInText)
{
    RunCases({
        {"known and unknown entities", "<a>&lt;x&gt;&amp;&foo;</a>", {"S()a", "T(a)<x>&&", "E(a)a", "end"}},
        {"all named entities", "<a>&quot;&apos;&nbsp;&cr;.</a>", {"S()a", "T(a)\"' \n.", "E(a)a", "end"}},
        {"ampersand without semicolon stays", "<a>a & b</a>", {"S()a", "T(a)a & b", "E(a)a", "end"}},
        {"far semicolon does not swallow words",
         "<a>Tom & Jerry; cats</a>",
         {"S()a", "T(a)Tom & Jerry; cats", "E(a)a", "end"}},
        {"decoded once, left to right", "<a>&amp;lt;</a>", {"S()a", "T(a)&lt;", "E(a)a", "end"}},
        {"numeric references are not known", "<a>&#65;</a>", {"S()a", "T(a)&", "E(a)a", "end"}},
    });
}

TEST(XMLParser, InstructionsAndComments)
{
    RunCases({
        {"declaration",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<r/>",
         {"I()xml| version=\"1.0\" encoding=\"utf-8\"", "S()r", "E(r)r", "end"}},
        {"instruction without data", "<?go?>", {"I()go|", "end"}},
        {"comments are skipped", "<!-- note --><a/>", {"S()a", "E(a)a", "end"}},
        {"comments handed out on request",
         "<!-- a -> b > c -->\n<a/>",
         {"C()|a -> b > c ", "S()a", "E(a)a", "end"},
         true},
        {"comment needs a blank after the dashes", "<!--x-->", {"S()!--x--", "end"}},
        {"comment inside an element",
         "<a><!--\nmultiline\n--></a>",
         {"S()a", "C(a)|multiline\n", "E(a)a", "end"}, // the blank that makes it a comment is dropped
         true},
    });
}

TEST(XMLParser, ErrorsAreReportedWithTheirLine)
{
    RunCases({
        {"end tag that does not match", "<a>\n\n</b>", {"S()a", "error: End 'b' Doesn't Match Start 'a' @3"}},
        {"end tag at top level", "</a>", {"error: Unexpected End @1"}},
        {"end tag after the element closed", "<a></a></a>", {"S()a", "E(a)a", "error: Unexpected End @1"}},
        {"greater-than in text", "<a>1 > 0</a>", {"S()a", "error: Unexpected '>' @1"}},
        {"greater-than at top level", "x>", {"error: Unexpected '>' @1"}},
        {"less-than inside a tag", "<a<b>", {"error: Unexpected '<' @1"}},
        {"text running to the end", "<a>\ntext", {"S()a", "error: Unexpected End of File @2"}},
        {"tag running to the end", "<a x=\"1", {"error: Unexpected End of File @1"}},
        {"comment running to the end", "<!-- open", {"error: Unexpected End of File @1"}},
        {"control character", "<a>\x01</a>", {"S()a", "error: Illegal Character @1"}},
        {"control character at top level", std::string("\0", 1), {"error: Illegal Character @1"}},
        {"lines count inside tags", "<a\n/>\n>", {"S()a", "E(a)a", "error: Unexpected '>' @3"}},
    });
}

TEST(XMLParser, ByteOrderMarksChooseTheDecoder)
{
    std::u16string text = u"<a t=\"\u00e9\u20ac\">\u00e9t\u00e9</a>";
    RunCases({
        {"UTF-8 mark is not part of the first item",
         "\xEF\xBB\xBF<a t=\"\xC3\xA9\">\xE2\x82\xAC</a>",
         {"S()a{t=\xC3\xA9}", "T(a)\xE2\x82\xAC", "E(a)a", "end"}},
        {"UTF-16 little-endian",
         "\xFF\xFE" + Utf16(text, false),
         {"S()a{t=\xC3\xA9\xE2\x82\xAC}", "T(a)\xC3\xA9t\xC3\xA9", "E(a)a", "end"}},
        {"UTF-16 big-endian",
         "\xFE\xFF" + Utf16(text, true),
         {"S()a{t=\xC3\xA9\xE2\x82\xAC}", "T(a)\xC3\xA9t\xC3\xA9", "E(a)a", "end"}},
        {"no mark: bytes pass through unchanged",
         "<a t=\"\xC3\xA9\">\xE9</a>",
         {"S()a{t=\xC3\xA9}", "T(a)\xE9", "E(a)a", "end"}},
        {"non-ASCII tag names close after a self-closing tag",
         "\xEF\xBB\xBF<\xC3\xA9t\xC3\xA9/>",
         {"S()\xC3\xA9t\xC3\xA9", "E(\xC3\xA9t\xC3\xA9)\xC3\xA9t\xC3\xA9", "end"}},
        {"character above FFFF becomes the replacement character",
         "\xEF\xBB\xBF<a>\xF0\x9F\x90\x9D</a>",
         {"S()a", "T(a)\xEF\xBF\xBD", "E(a)a", "end"}},
        {"surrogate pair becomes the replacement character",
         "\xFF\xFE" + Utf16(u"<a>\xD83D\xDC1D</a>", false),
         {"S()a", "T(a)\xEF\xBF\xBD", "E(a)a", "end"}},
        {"mark alone", "\xEF\xBB\xBF", {"end"}},
    });
}

TEST(XMLParser, MalformedSequencesAreIllegalCharacters)
{
    struct Bad
    {
        const char* what;
        std::string document;
    } cases[] = {
        {"continuation byte as lead", "\xEF\xBB\xBF<a>\x80</a>"},
        {"lead without continuation", "\xEF\xBB\xBF<a>\xC3(</a>"},
        {"overlong slash", "\xEF\xBB\xBF<a>\xC0\xAF</a>"},
        {"overlong three bytes", "\xEF\xBB\xBF<a>\xE0\x80\xAF</a>"},
        {"encoded surrogate", "\xEF\xBB\xBF<a>\xED\xA0\x80</a>"},
        {"FFFE", "\xEF\xBB\xBF<a>\xEF\xBF\xBE</a>"},
        {"FFFF", "\xEF\xBB\xBF<a>\xEF\xBF\xBF</a>"},
        {"byte FE", "\xEF\xBB\xBF<a>\xFE</a>"},
        {"sequence cut by the end", "\xEF\xBB\xBF<a>\xE2\x82"},
        {"lone low surrogate", "\xFF\xFE" + Utf16(u"<a>\xDC00</a>", false)},
        {"high surrogate without low", "\xFF\xFE" + Utf16(u"<a>\xD800x</a>", false)},
        {"half a unit at the end", "\xFF\xFE" + Utf16(u"<a>", false) + "x"},
    };
    for (const Bad& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines = Parse(c.document);
        EXPECT_EQ(lines.back(), "error: Illegal Character @1");
    }
}

TEST(XMLParser, NothingIsReadAfterAnError)
{
    XMLParser parser;
    parser.OpenBuffer("</a><b/>", "x.xml");
    XMLItem item;
    EXPECT_FALSE(parser.ReadItem(item));
    EXPECT_TRUE(parser.Failed());
    EXPECT_FALSE(parser.ReadItem(item));
    EXPECT_EQ(parser.ErrorText(), "Unexpected End");
    EXPECT_EQ(item.kind, XMLItem::None);
}

namespace
{

class XMLParserFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "zest-xmlé-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        fs::current_path(folder);
        SetActivePakInterface(nullptr);
    }

    void TearDown() override
    {
        SetActivePakInterface(nullptr);
        fs::current_path(previous);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void Write(const fs::path& path, const std::string& bytes)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    fs::path previous;
    fs::path folder;
};

const char* const Manifest = "<?xml version=\"1.0\"?>\r\n"
                             "<ResourceManifest>\r\n"
                             "  <Resources id=\"Init\">\r\n"
                             "    <SetDefaults path=\"images/\" idprefix=\"IMAGE_\"></SetDefaults>\r\n"
                             "    <Image id=\"BEE\" path=\"bée.png\" cols=\"4\"/>\r\n"
                             "  </Resources>\r\n"
                             "</ResourceManifest>\r\n";

const std::vector<std::string> ManifestItems = {
    "I()xml| version=\"1.0\"",
    "S()ResourceManifest",
    "S(ResourceManifest)Resources{id=Init}",
    "S(ResourceManifest/Resources)SetDefaults{path=images/,idprefix=IMAGE_}",
    "E(ResourceManifest/Resources/SetDefaults)SetDefaults",
    "S(ResourceManifest/Resources)Image{id=BEE,path=bée.png,cols=4}",
    "E(ResourceManifest/Resources/Image)Image",
    "E(ResourceManifest/Resources)Resources",
    "E(ResourceManifest)ResourceManifest",
    "end",
};

} // namespace

TEST_F(XMLParserFileTest, MissingFileReportsItsName)
{
    XMLParser parser;
    EXPECT_FALSE(parser.Open("properties\\missing.xml"));
    EXPECT_TRUE(parser.Failed());
    EXPECT_EQ(parser.ErrorText(), "Unable to open file properties\\missing.xml");
    EXPECT_EQ(parser.FileName(), "properties\\missing.xml");
    XMLItem item;
    EXPECT_FALSE(parser.ReadItem(item));
}

TEST_F(XMLParserFileTest, ManifestReadsAlikeFromDiskAndArchive)
{
    Write(folder / "properties/resources.xml", Manifest);
    XMLParser fromDisk;
    ASSERT_TRUE(fromDisk.Open("properties\\resources.xml"));
    EXPECT_EQ(fromDisk.LineNumber(), 1);
    EXPECT_EQ(Render(fromDisk), ManifestItems);
    EXPECT_EQ(fromDisk.LineNumber(), 8);

    PakWriter writer;
    std::string error;
    ASSERT_TRUE(writer.AddFile("properties\\resources.xml",
                               std::vector<uint8_t>(Manifest, Manifest + std::strlen(Manifest)), 0, error));
    ASSERT_TRUE(writer.WriteTo("main.pak", error)) << error;
    fs::remove_all(folder / "properties");
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    XMLParser fromArchive;
    ASSERT_TRUE(fromArchive.Open("properties/resources.xml"));
    EXPECT_EQ(Render(fromArchive), ManifestItems);
}

TEST_F(XMLParserFileTest, Utf16FileWithLineBreaksReadsWhole)
{
    std::u16string text = u"<a>\r\n<b v=\"\u00e9\"/>\r\n</a>\r\n";
    Write(folder / "u16.xml", "\xFE\xFF" + Utf16(text, true));
    XMLParser parser;
    ASSERT_TRUE(parser.Open("u16.xml"));
    EXPECT_EQ(Render(parser), (std::vector<std::string>{"S()a", "S(a)b{v=\xC3\xA9}", "E(a/b)b", "E(a)a", "end"}));
    EXPECT_EQ(parser.LineNumber(), 4);
}

TEST_F(XMLParserFileTest, LongFilesReadAcrossBlocks)
{
    std::string document = "<list>\n";
    for (int i = 0; i < 3000; ++i)
        document += "  <item n=\"" + std::to_string(i) + "\">text " + std::to_string(i) + "</item>\n";
    document += "</list>\n";
    Write(folder / "long.xml", document);
    XMLParser parser;
    ASSERT_TRUE(parser.Open("long.xml"));
    XMLItem item;
    int starts = 0;
    std::string lastText;
    while (parser.ReadItem(item))
    {
        if (item.kind == XMLItem::Start && item.value == "item")
        {
            EXPECT_EQ(item.attributes["n"], std::to_string(starts));
            ++starts;
        }
        if (item.kind == XMLItem::Text)
            lastText = item.value;
    }
    EXPECT_FALSE(parser.Failed()) << parser.ErrorText();
    EXPECT_EQ(starts, 3000);
    EXPECT_EQ(lastText, "text 2999");
    EXPECT_EQ(parser.LineNumber(), 3003);
}

TEST_F(XMLParserFileTest, OpeningAgainStartsOver)
{
    Write(folder / "a.xml", "<a><b>");
    Write(folder / "c.xml", "<c/>");
    XMLParser parser;
    ASSERT_TRUE(parser.Open("a.xml"));
    XMLItem item;
    ASSERT_TRUE(parser.ReadItem(item));
    ASSERT_TRUE(parser.Open("c.xml"));
    EXPECT_EQ(Render(parser), (std::vector<std::string>{"S()c", "E(c)c", "end"}));
}

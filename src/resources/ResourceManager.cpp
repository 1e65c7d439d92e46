#include "resources/ResourceManager.h"

#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "resources/FileFontHost.h"
#include "resources/FontRes.h"
#include "resources/ImageLoader.h"
#include "resources/ImageRes.h"
#include "resources/ResourceHost.h"
#include "resources/ResourceManagerException.h"
#include "resources/SoundLoader.h"
#include "resources/SoundRes.h"
#include "resources/XMLParser.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>

namespace zest
{

namespace
{

const std::string* FindAttribute(const XMLItem& element, const char* name)
{
    auto it = element.attributes.find(name);
    return it == element.attributes.end() ? nullptr : &it->second;
}

bool HasAttribute(const XMLItem& element, const char* name)
{
    return element.attributes.count(name) != 0;
}

// Whole numbers read as atoi does (leading blanks, a sign and the digits count, anything
// else reads as 0), except that values beyond int stop at its limits instead of wrapping.
int WholeNumber(const std::string& text)
{
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        at++;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; at++)
        value = std::min<long long>(value * 10 + (text[at] - '0'), 1LL << 32);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int AttributeInt(const XMLItem& element, const char* name, int defaultValue)
{
    const std::string* value = FindAttribute(element, name);
    return value ? WholeNumber(*value) : defaultValue;
}

// The comma-separated entries of a list, as written.
std::vector<std::string> ListEntries(const std::string& text)
{
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        entries.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return entries;
}

// The bounds of the sizes a manifest may give: far beyond any sprite sheet, and small
// enough that the frame tables stay small and the total time of a pass fits an int
// (MaxFrames × MaxFrameDelay < 2^31).
constexpr int MaxGrid = 1024;
constexpr int MaxFrames = 4096;
constexpr int MaxFrameDelay = 100000; // ms

// "Invalid cols '5000' (at most 1024)."
std::string TooLarge(const std::string& name, const std::string& written, int limit)
{
    return "Invalid " + name + " '" + written + "' (at most " + std::to_string(limit) + ").";
}

// One trailing separator off: "gfx/" and "gfx\" both become "gfx".
std::string WithoutTrailingSeparator(std::string text)
{
    if (!text.empty() && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return text;
}

// The file part of a path up to its last dot: "images/bee.png" gives "bee".
std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The blue byte of every source pixel becomes the alpha of the target pixel at (x0 + x, y0 + y).
void CopyBlueToAlpha(MemoryImage& target, int x0, int y0, MemoryImage& source)
{
    uint32_t* bits = target.GetBits();
    const uint32_t* alpha = source.GetBits();
    if (!bits || !alpha)
        return;
    const int targetWidth = target.GetWidth();
    for (int y = 0; y < source.GetHeight(); y++)
    {
        for (int x = 0; x < source.GetWidth(); x++)
        {
            uint32_t& pixel = bits[(y0 + y) * targetWidth + x0 + x];
            pixel = (pixel & 0x00FFFFFF) | ((alpha[y * source.GetWidth() + x] & 0xFF) << 24);
        }
    }
}

} // namespace

ResourceManager::ResourceManager(ResourceHost* resourceHost) : host(resourceHost)
{
}

ResourceManager::~ResourceManager()
{
    UnloadGroup("");
}

bool ResourceManager::Fail(const std::string& message)
{
    if (hadError)
        return false;
    hadError = true;
    errorText = message;
    if (xmlParser)
    {
        if (xmlParser->LineNumber() > 0)
            errorText += " on Line " + std::to_string(xmlParser->LineNumber());
        if (!xmlParser->FileName().empty())
            errorText += " in File '" + xmlParser->FileName() + "'";
    }
    return false;
}

// ---- Reading the manifest ---------------------------------------------------

bool ResourceManager::ReadManifest(const std::string& fileName)
{
    errorText.clear();
    hadError = false;
    XMLParser parser;
    if (!parser.Open(fileName))
        return Fail("Resource file not found: " + fileName);

    struct ReaderScope
    {
        XMLParser*& slot;
        ~ReaderScope() { slot = nullptr; }
    } scope{xmlParser};
    xmlParser = &parser;

    XMLItem item;
    bool inManifest = false;
    while (parser.ReadItem(item))
    {
        if (!inManifest)
        {
            // The declaration and comments before the root are passed over.
            if (item.kind != XMLItem::Start)
                continue;
            if (item.value != "ResourceManifest")
                return Fail("Expecting ResourceManifest tag");
            inManifest = true;
            continue;
        }
        if (item.kind == XMLItem::Start)
        {
            if (item.value != "Resources")
                return Fail("Invalid Section '" + item.value + "'");
            const std::string* id = FindAttribute(item, "id");
            if (!id || id->empty())
                return Fail("No id specified.");
            currentGroup = *id;
            if (groupLists.find(currentGroup) == groupLists.end())
            {
                groupLists[currentGroup];
                groupOrder.push_back(currentGroup);
            }
            if (!ReadGroup())
                return false;
        }
        else if (item.kind == XMLItem::Text)
        {
            return Fail("Element Not Expected '" + item.value + "'");
        }
    }
    if (parser.Failed())
        return Fail(parser.ErrorText());
    if (!inManifest)
        return Fail("Expecting ResourceManifest tag");
    return !hadError;
}

bool ResourceManager::ReadGroup()
{
    XMLItem item;
    while (xmlParser->ReadItem(item))
    {
        if (item.kind == XMLItem::Start)
        {
            bool ok = false;
            if (item.value == "Image")
                ok = ReadImage(item);
            else if (item.value == "Sound")
                ok = ReadSound(item);
            else if (item.value == "Font")
                ok = ReadFont(item);
            else if (item.value == "SetDefaults")
                ok = ReadDefaults(item);
            else
                return Fail("Invalid Section '" + item.value + "'");
            if (!ok || !ExpectClosed(item))
                return false;
        }
        else if (item.kind == XMLItem::Text)
        {
            return Fail("Element Not Expected '" + item.value + "'");
        }
        else if (item.kind == XMLItem::End && item.value == "Resources")
        {
            return true;
        }
    }
    if (xmlParser->Failed())
        return Fail(xmlParser->ErrorText());
    // The reader treats an unclosed document as ended; so do we.
    return true;
}

bool ResourceManager::ExpectClosed(const XMLItem& element)
{
    XMLItem next;
    if (!xmlParser->ReadItem(next))
        return Fail(xmlParser->Failed() ? xmlParser->ErrorText() : "Unexpected element found.");
    if (next.kind != XMLItem::End || next.value != element.value)
        return Fail("Unexpected element found.");
    return true;
}

bool ResourceManager::ReadDefaults(const XMLItem& element)
{
    if (const std::string* path = FindAttribute(element, "path"))
    {
        std::string trimmed = WithoutTrailingSeparator(*path);
        // An empty path means "no default", not the root folder.
        defaultPath = trimmed.empty() ? std::string() : trimmed + "/";
    }
    if (const std::string* prefix = FindAttribute(element, "idprefix"))
        defaultIdPrefix = WithoutTrailingSeparator(*prefix);
    return true;
}

BaseRes* ResourceManager::ReadCommonAttributes(const XMLItem& element, std::unique_ptr<BaseRes> record, ResMap& map)
{
    const std::string* path = FindAttribute(element, "path");
    if (!path || path->empty())
    {
        Fail("No path specified.");
        return nullptr;
    }
    record->attributes = element.attributes;
    if ((*path)[0] == '!')
    {
        record->path = *path;
        record->fromProgram = *path == "!program";
    }
    else
    {
        record->path = defaultPath + *path;
    }
    const std::string* id = FindAttribute(element, "id");
    record->id = defaultIdPrefix + (id ? *id : BaseName(*path));
    record->group = currentGroup;

    auto existing = map.find(record->id);
    if (existing != map.end())
    {
        if (!allowAlreadyDefinedResources)
        {
            Fail("Resource already defined.");
            return nullptr;
        }
        BaseRes* earlier = existing->second.get();
        earlier->path = record->path;
        earlier->attributes = record->attributes;
        earlier->fromProgram = record->fromProgram;
        return earlier;
    }
    BaseRes* stored = record.get();
    groupLists[currentGroup].push_back(stored);
    map.emplace(stored->id, std::move(record));
    return stored;
}

bool ResourceManager::ReadSound(const XMLItem& element)
{
    auto* res = static_cast<SoundRes*>(ReadCommonAttributes(element, std::make_unique<SoundRes>(), soundMap));
    if (!res)
        return false;
    res->volume = -1.0;
    res->pan = 0;
    if (const std::string* volume = FindAttribute(element, "volume"))
    {
        double value = std::atof(volume->c_str());
        if (value >= 0)
            res->volume = value;
    }
    int pan = AttributeInt(element, "pan", 0);
    if (pan != 0)
        res->pan = pan;
    return true;
}

bool ResourceManager::ReadImage(const XMLItem& element)
{
    auto* res = static_cast<ImageRes*>(ReadCommonAttributes(element, std::make_unique<ImageRes>(), imageMap));
    if (!res)
        return false;

    res->palettize = !HasAttribute(element, "nopal");
    res->a4r4g4b4 = HasAttribute(element, "a4r4g4b4");
    res->a8r8g8b8 = HasAttribute(element, "a8r8g8b8");
    res->ddSurface = HasAttribute(element, "ddsurface");
    res->noBits = HasAttribute(element, "nobits");
    if (!res->noBits)
    {
        bool is3D = host && host->IsDisplay3D();
        res->noBits = is3D ? HasAttribute(element, "nobits3d") : HasAttribute(element, "nobits2d");
    }
    res->minSubdivide = HasAttribute(element, "minsubdivide");
    res->findAlpha = !HasAttribute(element, "noalpha");
    const std::string* alphaImage = FindAttribute(element, "alphaimage");
    res->alphaImagePath = alphaImage ? defaultPath + *alphaImage : std::string();
    const std::string* alphaColor = FindAttribute(element, "alphacolor");
    res->alphaColor =
        alphaColor ? static_cast<uint32_t>(std::strtoul(alphaColor->c_str(), nullptr, 16)) & 0xFFFFFF : 0xFFFFFF;
    const std::string* variant = FindAttribute(element, "variant");
    res->variant = variant ? *variant : std::string();
    const std::string* alphaGrid = FindAttribute(element, "alphagrid");
    res->alphaGridPath = alphaGrid ? defaultPath + *alphaGrid : std::string();
    // Every cel draw divides by the grid: a grid of 0 or less is one cel.
    for (const char* name : {"rows", "cols"})
    {
        if (AttributeInt(element, name, 1) > MaxGrid)
            return Fail(TooLarge(name, *FindAttribute(element, name), MaxGrid));
    }
    res->rows = std::max(AttributeInt(element, "rows", 1), 1);
    res->cols = std::max(AttributeInt(element, "cols", 1), 1);

    res->animInfo = AnimInfo();
    if (const std::string* anim = FindAttribute(element, "anim"))
    {
        std::string kind = Lower(*anim);
        if (kind == "none")
            res->animInfo.animType = AnimInfo::AnimTypeNone;
        else if (kind == "once")
            res->animInfo.animType = AnimInfo::AnimTypeOnce;
        else if (kind == "pingpong")
            res->animInfo.animType = AnimInfo::AnimTypePingPong;
        else if (kind == "loop")
            res->animInfo.animType = AnimInfo::AnimTypeLoop;
        else
            return Fail("Invalid animation type.");
    }
    if (res->animInfo.animType != AnimInfo::AnimTypeNone)
    {
        AnimInfo& anim = res->animInfo;
        // Delays below 1 take the frame delay; too long ones are refused.
        for (const char* name : {"framedelay", "begindelay", "enddelay"})
        {
            if (AttributeInt(element, name, 0) > MaxFrameDelay)
                return Fail(TooLarge(name, *FindAttribute(element, name), MaxFrameDelay));
        }
        anim.frameDelay = AttributeInt(element, "framedelay", 1);
        int beginDelay = AttributeInt(element, "begindelay", 0);
        int endDelay = AttributeInt(element, "enddelay", 0);
        if (const std::string* perFrame = FindAttribute(element, "perframedelay"))
        {
            for (const std::string& entry : ListEntries(*perFrame))
            {
                int delay = WholeNumber(entry);
                if (delay > MaxFrameDelay)
                    return Fail(TooLarge("perframedelay", entry, MaxFrameDelay));
                // Entries past the frame count are cut off later; the list itself stays bounded.
                if (anim.perFrameDelay.size() < static_cast<size_t>(MaxFrames))
                    anim.perFrameDelay.push_back(delay);
            }
        }
        if (const std::string* frameMap = FindAttribute(element, "framemap"))
        {
            std::vector<std::string> entries = ListEntries(*frameMap);
            if (entries.size() > static_cast<size_t>(MaxFrames))
                return Fail("Invalid framemap: " + std::to_string(entries.size()) + " frames (at most " +
                            std::to_string(MaxFrames) + ").");
            // Each entry names a cel of the sheet.
            const int cels = res->rows * res->cols;
            for (const std::string& entry : entries)
            {
                int cel = WholeNumber(entry);
                if (cel < 0 || cel >= cels)
                    return Fail("Invalid framemap '" + entry + "' (the sheet has " + std::to_string(cels) + " cels).");
                anim.frameMap.push_back(cel);
            }
        }
        anim.SetCels(std::max(res->rows, res->cols), beginDelay, endDelay);
    }
    return true;
}

bool ResourceManager::ReadFont(const XMLItem& element)
{
    auto* res = static_cast<FontRes*>(ReadCommonAttributes(element, std::make_unique<FontRes>(), fontMap));
    if (!res)
        return false;
    const std::string* image = FindAttribute(element, "image");
    res->imagePath = image ? *image : std::string();
    const std::string* tags = FindAttribute(element, "tags");
    res->tags = tags ? *tags : std::string();
    res->size = AttributeInt(element, "size", -1);
    res->sysFont = StartsWith(res->path, "!sys:");
    if (res->sysFont)
    {
        if (res->size < 1)
            return Fail("SysFont needs point size");
        if (res->size > SysFont::MaxPointSize)
            return Fail(TooLarge("size", std::to_string(res->size), SysFont::MaxPointSize));
        res->bold = HasAttribute(element, "bold");
        res->italic = HasAttribute(element, "italic");
        res->shadow = HasAttribute(element, "shadow");
        res->underline = HasAttribute(element, "underline");
    }
    return true;
}

// ---- Loading ----------------------------------------------------------------

bool ResourceManager::LoadRecord(BaseRes* record)
{
    switch (record->type)
    {
    case BaseRes::TypeImage:
        return LoadImageRes(static_cast<ImageRes*>(record));
    case BaseRes::TypeSound:
        return LoadSoundRes(static_cast<SoundRes*>(record));
    case BaseRes::TypeFont:
        return LoadFontRes(static_cast<FontRes*>(record));
    default:
        return false;
    }
}

bool ResourceManager::LoadImageRes(ImageRes* res)
{
    if (!host)
        return Fail("Failed to load image: " + res->path);
    bool isNew = false;
    SetLoadAlphaColor(res->alphaColor);
    std::shared_ptr<MemoryImage> image = host->SharedImage(res->path, res->variant, isNew);
    SetLoadAlphaColor(0xFFFFFF);
    if (!image)
        return Fail("Failed to load image: " + res->path);

    // A new image that fails its alpha leaves the cache again: a later load must not take it
    // for a finished one.
    auto failNew = [&](const std::string& message) {
        image.reset();
        host->ForgetSharedImage(res->path, res->variant);
        return Fail(message);
    };
    if (isNew)
    {
        if (!res->alphaImagePath.empty())
        {
            std::unique_ptr<MemoryImage> alpha = LoadImageFile(res->alphaImagePath, false);
            if (!alpha)
                return failNew("Failed to load image: " + res->alphaImagePath);
            if (alpha->GetWidth() != image->GetWidth() || alpha->GetHeight() != image->GetHeight())
                return failNew("AlphaImage size mismatch between " + res->path + " and " + res->alphaImagePath);
            CopyBlueToAlpha(*image, 0, 0, *alpha);
        }
        if (!res->alphaGridPath.empty())
        {
            std::unique_ptr<MemoryImage> alpha = LoadImageFile(res->alphaGridPath, false);
            if (!alpha)
                return failNew("Failed to load image: " + res->alphaGridPath);
            const int celWidth = image->GetWidth() / res->cols;
            const int celHeight = image->GetHeight() / res->rows;
            if (alpha->GetWidth() != celWidth || alpha->GetHeight() != celHeight)
                return failNew("GridAlphaImage size mismatch between " + res->path + " and " + res->alphaGridPath);
            for (int row = 0; row < res->rows; row++)
            {
                for (int col = 0; col < res->cols; col++)
                    CopyBlueToAlpha(*image, col * celWidth, row * celHeight, *alpha);
            }
        }
        image->BitsChanged();
        // The software display keeps no surfaces or pixel formats of its own, so ddsurface,
        // a4r4g4b4, a8r8g8b8 and minsubdivide stay on the record only.
        image->purgeBits = res->noBits;
        if (res->palettize && !image->IsPalettized())
        {
            if (image->HasBits())
                (void)image->ConvertToPalette(); // more than 256 colours: stays 32-bit
            else
                image->wantPalette = true;
        }
    }
    if (res->animInfo.animType != AnimInfo::AnimTypeNone)
        image->animInfo = std::make_unique<AnimInfo>(res->animInfo);
    image->rows = res->rows;
    image->columns = res->cols;
    if (isNew && res->noBits)
        image->PurgeBits();
    res->image = std::move(image);
    OnResourceLoaded(res);
    return true;
}

bool ResourceManager::LoadSoundRes(SoundRes* res)
{
    SoundLoader* soundManager = host ? host->GetSoundLoader() : nullptr;
    if (!soundManager)
        return Fail("Failed to load sound: " + res->path);
    int id = soundManager->GetFreeSoundId();
    if (id < 0)
        return Fail("Out of free sound ids");
    if (!soundManager->LoadSound(id, res->path))
        return Fail("Failed to load sound: " + res->path);
    if (res->volume >= 0)
        soundManager->SetBaseVolume(id, res->volume);
    if (res->pan != 0)
        soundManager->SetBasePan(id, res->pan);
    res->soundId = id;
    res->soundManager = soundManager;
    OnResourceLoaded(res);
    return true;
}

bool ResourceManager::LoadFontRes(FontRes* res)
{
    // Declared before the font: a strip font draws from it, so it must go last.
    std::shared_ptr<MemoryImage> stripImage;
    std::unique_ptr<Font> font;
    if (res->sysFont)
    {
        auto sysFont = std::make_unique<SysFont>(res->path.substr(5), res->size, res->bold, res->italic,
                                                 res->underline);
        if (!sysFont->IsLoaded())
            return Fail("Failed to load font: " + res->path);
        sysFont->drawShadow = res->shadow;
        font = std::move(sysFont);
    }
    else if (!res->imagePath.empty())
    {
        if (host)
            stripImage = host->LoadImage(res->imagePath, true);
        if (!stripImage)
            return Fail("Failed to load image: " + res->imagePath);
        font = std::make_unique<ImageFont>(stripImage.get(), res->path);
    }
    else if (StartsWith(res->path, "!ref:"))
    {
        std::string refId = res->path.substr(5);
        auto* ref = static_cast<FontRes*>(FindRecord(fontMap, refId));
        if (!ref || !ref->font)
            return Fail("Ref font not found: " + refId);
        font = ref->font->Duplicate();
        stripImage = ref->image; // the copy draws from the original's strip: keep it alive
    }
    else
    {
        // Without an application the layer images load from their files, unshared.
        static FileFontHost fileFonts;
        font = std::make_unique<ImageFont>(host ? static_cast<FontHost*>(host) : &fileFonts, res->path);
    }

    if (auto* imageFont = dynamic_cast<ImageFont*>(font.get()))
    {
        if (!imageFont->GetFontData() || !imageFont->GetFontData()->initialized)
            return Fail("Failed to load font: " + res->path);
        const char* separators = ", \r\n\t";
        size_t start = res->tags.find_first_not_of(separators);
        while (start != std::string::npos)
        {
            size_t end = res->tags.find_first_of(separators, start);
            (void)imageFont->AddTag(res->tags.substr(start, end == std::string::npos ? end : end - start));
            start = res->tags.find_first_not_of(separators, end);
        }
        imageFont->PrepareLayers();
    }
    res->image = std::move(stripImage);
    res->font = std::move(font);
    OnResourceLoaded(res);
    return true;
}

void ResourceManager::OnResourceLoaded(BaseRes* record)
{
    (void)record;
}

void ResourceManager::BeginLoading(const std::string& group)
{
    errorText.clear();
    hadError = false;
    currentGroup = group;
    currentList = &groupLists[group];
    cursor = 0;
}

bool ResourceManager::LoadNext()
{
    if (hadError || !currentList)
        return false;
    while (cursor < currentList->size())
    {
        BaseRes* record = (*currentList)[cursor++];
        if (record->fromProgram || record->IsLoaded())
            continue;
        return LoadRecord(record);
    }
    return false;
}

bool ResourceManager::LoadGroup(const std::string& group)
{
    BeginLoading(group);
    while (LoadNext())
    {
    }
    if (hadError)
        return false;
    loadedGroups.insert(group);
    return true;
}

void ResourceManager::UnloadFromMap(ResMap& map, const std::string& group)
{
    for (auto& entry : map)
    {
        if (group.empty() || entry.second->group == group)
            entry.second->Unload();
    }
}

void ResourceManager::UnloadGroup(const std::string& group)
{
    UnloadFromMap(imageMap, group);
    UnloadFromMap(soundMap, group);
    UnloadFromMap(fontMap, group);
    if (group.empty())
        loadedGroups.clear();
    else
        loadedGroups.erase(group);
}

// ---- Lookups ----------------------------------------------------------------

BaseRes* ResourceManager::FindRecord(const ResMap& map, const std::string& id) const
{
    auto it = map.find(id);
    return it == map.end() ? nullptr : it->second.get();
}

std::shared_ptr<MemoryImage> ResourceManager::RequireImage(const std::string& id)
{
    auto* res = static_cast<ImageRes*>(FindRecord(imageMap, id));
    if (res && res->image)
        return res->image;
    if (res && res->fromProgram && allowMissingProgramResources)
        return nullptr;
    Fail("Image resource not found: " + id);
    throw ResourceManagerException(errorText);
}

int ResourceManager::RequireSound(const std::string& id)
{
    auto* res = static_cast<SoundRes*>(FindRecord(soundMap, id));
    if (res && res->soundId != -1)
        return res->soundId;
    if (res && res->fromProgram && allowMissingProgramResources)
        return -1;
    Fail("Sound resource not found: " + id);
    throw ResourceManagerException(errorText);
}

Font* ResourceManager::RequireFont(const std::string& id)
{
    auto* res = static_cast<FontRes*>(FindRecord(fontMap, id));
    if (res && res->font)
        return res->font.get();
    if (res && res->fromProgram && allowMissingProgramResources)
        return nullptr;
    Fail("Font resource not found: " + id);
    throw ResourceManagerException(errorText);
}

std::shared_ptr<MemoryImage> ResourceManager::FindImage(const std::string& id)
{
    auto* res = static_cast<ImageRes*>(FindRecord(imageMap, id));
    if (!res)
        return nullptr;
    if (!res->image && !res->fromProgram)
        (void)LoadImageRes(res);
    return res->image;
}

Font* ResourceManager::FindFont(const std::string& id)
{
    auto* res = static_cast<FontRes*>(FindRecord(fontMap, id));
    return res ? res->font.get() : nullptr;
}

const ImageRes* ResourceManager::GetImageRes(const std::string& id) const
{
    return static_cast<const ImageRes*>(FindRecord(imageMap, id));
}

const SoundRes* ResourceManager::GetSoundRes(const std::string& id) const
{
    return static_cast<const SoundRes*>(FindRecord(soundMap, id));
}

const FontRes* ResourceManager::GetFontRes(const std::string& id) const
{
    return static_cast<const FontRes*>(FindRecord(fontMap, id));
}

int ResourceManager::CountInMap(const ResMap& map, const std::string& group) const
{
    if (group.empty())
        return static_cast<int>(map.size());
    int count = 0;
    for (const auto& entry : map)
    {
        if (entry.second->group == group && !entry.second->fromProgram)
            count++;
    }
    return count;
}

int ResourceManager::CountImages(const std::string& group) const
{
    return CountInMap(imageMap, group);
}

int ResourceManager::CountSounds(const std::string& group) const
{
    return CountInMap(soundMap, group);
}

int ResourceManager::CountFonts(const std::string& group) const
{
    return CountInMap(fontMap, group);
}

int ResourceManager::CountResources(const std::string& group) const
{
    return CountImages(group) + CountSounds(group) + CountFonts(group);
}

} // namespace zest

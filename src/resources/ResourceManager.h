// Knows every image, sound and font of the resource manifest by id, in named groups; loads a group
// at once or one resource at a time (for a loading thread and its progress bar), hands out what it
// loaded and unloads groups. Owned by the application. One thread drives it at a time: the main
// thread, or the loading thread while it loads a group the main thread leaves alone.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace zest
{

class BaseRes;
class Font;
class FontRes;
class ImageRes;
class MemoryImage;
class ResourceHost;
class SoundRes;
class XMLParser;
struct XMLItem;

class ResourceManager
{
public:
    using ResMap = std::map<std::string, std::unique_ptr<BaseRes>>;

    // host: the application whose image cache, image loader and sound manager the loads use. None
    // is allowed for reading a manifest only (every load then fails).
    explicit ResourceManager(ResourceHost* host);
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;
    // Unloads and deletes every record.
    virtual ~ResourceManager();

    // Reads the manifest (through the archive file functions). False with ErrorText set on the
    // first error; the records read before it are kept.
    [[nodiscard]] bool ReadManifest(const std::string& fileName);
    const std::string& ErrorText() const { return errorText; }
    bool HadError() const { return hadError; }

    // Unloads every resource of the group (all of them for an empty name).
    virtual void UnloadGroup(const std::string& group);
    // Clears the error and puts the load cursor at the start of the group (an unknown group is empty).
    virtual void BeginLoading(const std::string& group);
    // Loads the next resource of the current group that is not loaded yet; false at the end of the
    // list, after an error, or when this load failed.
    [[nodiscard]] virtual bool LoadNext();
    // Called after each successful load; does nothing here.
    virtual void OnResourceLoaded(BaseRes* record);
    // Loads the whole group; false on the first failure (what loaded before stays loaded).
    [[nodiscard]] virtual bool LoadGroup(const std::string& group);

    // The loaded resource of the id. Missing or not loaded: the error "Image resource not found: id"
    // (or Sound, Font) is recorded and ResourceManagerException thrown with the error text. The
    // manager keeps its own reference / ownership; a sound is its id in the sound manager.
    virtual std::shared_ptr<MemoryImage> RequireImage(const std::string& id);
    virtual int RequireSound(const std::string& id);
    virtual Font* RequireFont(const std::string& id);
    // The loaded image, loading it now if needed; none when there is no such record or the load fails.
    std::shared_ptr<MemoryImage> FindImage(const std::string& id);
    // The loaded font or none; never loads.
    Font* FindFont(const std::string& id);

    // Records of the group that the manager loads (program-supplied ones left out); every record,
    // program ones included, for an empty name.
    int CountResources(const std::string& group) const;
    int CountImages(const std::string& group) const;
    int CountSounds(const std::string& group) const;
    int CountFonts(const std::string& group) const;
    // Group names in the order they first appeared in the manifest.
    const std::vector<std::string>& GroupNames() const { return groupOrder; }
    bool IsGroupLoaded(const std::string& group) const { return loadedGroups.count(group) != 0; }

    // The records, for tools and tests; none when absent.
    const ImageRes* GetImageRes(const std::string& id) const;
    const SoundRes* GetSoundRes(const std::string& id) const;
    const FontRes* GetFontRes(const std::string& id) const;

    // A missing "!program" resource is answered with nothing instead of an error.
    bool allowMissingProgramResources = false;
    // A second definition of an id updates the first instead of being an error.
    bool allowAlreadyDefinedResources = false;

protected:
    // Path, id and group for any kind; the record is entered in map. Answers the record in the map
    // (with redefinition allowed, the earlier one) or none on error.
    virtual BaseRes* ReadCommonAttributes(const XMLItem& element, std::unique_ptr<BaseRes> record, ResMap& map);
    virtual bool ReadSound(const XMLItem& element);
    virtual bool ReadImage(const XMLItem& element);
    virtual bool ReadFont(const XMLItem& element);
    virtual bool ReadDefaults(const XMLItem& element);
    // The body of one Resources section, up to its end tag.
    virtual bool ReadGroup();
    // Unloads the records of the map in the group (all of them for an empty name).
    virtual void UnloadFromMap(ResMap& map, const std::string& group);
    virtual bool LoadImageRes(ImageRes* record);
    virtual bool LoadFontRes(FontRes* record);
    virtual bool LoadSoundRes(SoundRes* record);

    // Records the first error: message, " on Line N" and " in File 'name'" while a manifest is
    // read. Later reports change nothing. Always false.
    bool Fail(const std::string& message);
    // The element must be closed at once (self-closing, or its end tag next).
    bool ExpectClosed(const XMLItem& element);
    bool LoadRecord(BaseRes* record);
    int CountInMap(const ResMap& map, const std::string& group) const;
    BaseRes* FindRecord(const ResMap& map, const std::string& id) const;

    ResourceHost* host;
    ResMap imageMap;
    ResMap soundMap;
    ResMap fontMap;
    std::map<std::string, std::vector<BaseRes*>> groupLists;
    std::vector<std::string> groupOrder;
    std::set<std::string> loadedGroups;
    std::string defaultPath;
    std::string defaultIdPrefix;
    std::string currentGroup;
    std::vector<BaseRes*>* currentList = nullptr;
    size_t cursor = 0;
    XMLParser* xmlParser = nullptr; // while a manifest is read
    std::string errorText;
    bool hadError = false;
};

} // namespace zest

// One resource of the manifest: its kind, id, group, file path and the XML attributes it was
// declared with. The kinds derive from it and add the loaded object. Owned by the ResourceManager;
// used on the thread that drives the manager.
#pragma once

#include <map>
#include <string>

namespace zest
{

class BaseRes
{
public:
    enum Type
    {
        TypeImage = 0,
        TypeSound = 1,
        TypeFont = 2
    };

    explicit BaseRes(int resType) : type(resType) {}
    BaseRes(const BaseRes&) = delete;
    BaseRes& operator=(const BaseRes&) = delete;
    virtual ~BaseRes() = default;

    // Frees the loaded object; the record stays.
    virtual void Unload() {}
    virtual bool IsLoaded() const = 0;

    int type;
    std::string id;
    std::string group;
    std::string path;
    std::map<std::string, std::string> attributes;
    // The program supplies the object itself ("!program"): never loaded or counted by the manager.
    bool fromProgram = false;
};

} // namespace zest

// The widget flag bits, the (add, remove) modifier applied to them, and the modal
// flags passed down every update and draw walk. Plain values; main thread.
#pragma once

namespace zest
{

inline constexpr int WidgetFlagUpdate = 1;
inline constexpr int WidgetFlagMarkDirty = 2;
inline constexpr int WidgetFlagDraw = 4;
inline constexpr int WidgetFlagClip = 8;
inline constexpr int WidgetFlagAllowMouse = 16;
inline constexpr int WidgetFlagAllowFocus = 32;

// Applied as (flags | addFlags) & ~removeFlags.
struct FlagsMod
{
    int addFlags = 0;
    int removeFlags = 0;

    constexpr int Apply(int flags) const { return (flags | addFlags) & ~removeFlags; }
    constexpr bool operator==(const FlagsMod&) const = default;
};

// Flags in force above (over) and below (under) the base modal widget; isOver turns
// true once the walk reaches the modal widget.
struct ModalFlags
{
    int overFlags = 0;
    int underFlags = 0;
    bool isOver = false;

    int GetFlags() const { return isOver ? overFlags : underFlags; }
};

// Applies a container's modifier to both flag sets for the length of a scope.
class AutoModalFlags
{
public:
    AutoModalFlags(ModalFlags* flags, const FlagsMod& mod)
        : modalFlags(flags), oldOverFlags(flags->overFlags), oldUnderFlags(flags->underFlags)
    {
        flags->overFlags = mod.Apply(flags->overFlags);
        flags->underFlags = mod.Apply(flags->underFlags);
    }
    ~AutoModalFlags()
    {
        modalFlags->overFlags = oldOverFlags;
        modalFlags->underFlags = oldUnderFlags;
    }
    AutoModalFlags(const AutoModalFlags&) = delete;
    AutoModalFlags& operator=(const AutoModalFlags&) = delete;

private:
    ModalFlags* modalFlags;
    int oldOverFlags;
    int oldUnderFlags;
};

} // namespace zest

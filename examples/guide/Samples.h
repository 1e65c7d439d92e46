// The samples of the framework guide (docs/guide.md), one file per section.
#pragma once

#include <string>

namespace guide
{

// Application object and loop: runs a window with a bouncing square until it is closed.
int RunBouncer(int argc, char** argv);
// Widgets and dialogs: a window with a QUIT button that asks first.
int RunQuitAsker(int argc, char** argv);
// Drawing and fonts: draws a card into an image and saves it as PNG; false when it could not.
bool DrawCard(const std::string& pngPath);
// Resource manifest: a window that shows the picture and text named in a manifest.
int RunManifestViewer(int argc, char** argv);
// Archive: packs two files, mounts the archive and reads one back; false when anything failed.
bool PackAndRead(const std::string& pakPath);

} // namespace guide

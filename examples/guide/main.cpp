// guide: the samples of docs/guide.md.
//   guide                 draws a card into card.png and packs and reads guide.pak (no window)
//   guide bouncer|quit|viewer|keyboard|mouse|form|gamepad|sound|stopwatch [options]   runs the windowed samples
#include "Samples.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "bouncer") == 0)
        return guide::RunBouncer(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "quit") == 0)
        return guide::RunQuitAsker(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "viewer") == 0)
        return guide::RunManifestViewer(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "keyboard") == 0)
        return guide::RunKeyboard(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "mouse") == 0)
        return guide::RunMouse(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "form") == 0)
        return guide::RunForm(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "gamepad") == 0)
        return guide::RunGamepad(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "sound") == 0)
        return guide::RunSound(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "stopwatch") == 0)
        return guide::RunStopwatch(argc - 1, argv + 1);

    bool ok = true;
    if (!guide::DrawCard("card.png"))
    {
        std::fprintf(stderr, "guide: drawing the card failed\n");
        ok = false;
    }
    if (!guide::PackAndRead("guide.pak"))
    {
        std::fprintf(stderr, "guide: the archive did not read back\n");
        ok = false;
    }
    if (!guide::DrawSpriteStrip("sprites.png"))
    {
        std::fprintf(stderr, "guide: drawing the sprite strip failed\n");
        ok = false;
    }
    if (guide::CountRuns() < 1 || guide::LogToList() != 1)
    {
        std::fprintf(stderr, "guide: the settings or the log sink did not work\n");
        ok = false;
    }
    if (ok)
        std::printf("guide: card.png and sprites.png drawn, guide.pak packed and read back\n");
    return ok ? 0 : 1;
}

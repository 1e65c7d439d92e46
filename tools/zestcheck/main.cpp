// zestcheck: checks the game's data files with the same loaders the game uses.
//   zestcheck --image FILE [--alpha]
//   zestcheck --font FILE
//   zestcheck --level FILE
//   zestcheck --manifest FILE
//   zestcheck [DATA_DIR]
#include "Commands.h"

#include <cstdio>
#include <cstring>

namespace
{

struct Command
{
    const char* name;
    const char* usage; // the arguments after the name
    int (*run)(const zestcheck::Arguments& arguments);
};

const Command Commands[] = {
    {"--level", "FILE", zestcheck::CheckLevel},
    {"--image", "FILE [--alpha]", zestcheck::CheckImage},
    {"--font", "FILE", zestcheck::CheckFont},
    {"--manifest", "FILE", zestcheck::CheckManifest},
};

// Without a command: the whole data set, in DATA_DIR or here.
const Command DataCheck = {"", "[DATA_DIR]", zestcheck::CheckData};

int Usage()
{
    std::fprintf(stderr, "usage:\n");
    for (const Command& command : Commands)
        std::fprintf(stderr, "  zestcheck %s %s\n", command.name, command.usage);
    std::fprintf(stderr, "  zestcheck %s\n", DataCheck.usage);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argv[1][0] != '-')
        return DataCheck.run(zestcheck::Arguments(argv + 1, argv + argc));
    for (const Command& command : Commands)
    {
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(zestcheck::Arguments(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "zestcheck: unknown command %s\n", argv[1]);
    return Usage();
}

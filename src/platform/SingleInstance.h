// Keeps a second copy of the program from running: the first copy holds an flock on a
// lock file, and later copies send it a datagram over a Unix socket beside the lock so
// it can raise its window. Owned by the application; main thread.
#pragma once

#include <string>

namespace zest
{

class SingleInstance
{
public:
    // name: a file-name-safe id of the program; the files go to $XDG_RUNTIME_DIR
    // (or /tmp) as "<name>.lock" and "<name>.sock". folder overrides the place (tests).
    explicit SingleInstance(const std::string& name, const std::string& folder = std::string());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this is the only copy (the lock is now ours, and the notify socket
    // listens). A lock that cannot be made at all counts as true: a broken runtime
    // folder must not stop the game. The lock goes with the process, so a crashed copy
    // never blocks the next start.
    [[nodiscard]] bool Acquire();
    // Tells the copy holding the lock that another one was started.
    bool NotifyFirstCopy() const;
    // True once for each notice that arrived since the last call (never blocks).
    bool TakeNotice();

    const std::string& LockPath() const { return lockPath; }

private:
    std::string lockPath;
    std::string socketPath;
    int lockFd = -1;
    int socketFd = -1;
};

} // namespace zest

#include "platform/SingleInstance.h"

#include "platform/Log.h"

#ifdef __EMSCRIPTEN__

namespace zest
{

// In the browser every tab is a copy of its own, with no shared files to lock or sockets to notify
// (emscripten's socket emulation is left out of the page altogether).
SingleInstance::SingleInstance(const std::string&, const std::string&) {}
SingleInstance::~SingleInstance()
{
    (void)lockFd;
    (void)socketFd;
}
bool SingleInstance::Acquire()
{
    return true;
}
bool SingleInstance::NotifyFirstCopy() const
{
    return false;
}
bool SingleInstance::TakeNotice()
{
    return false;
}

} // namespace zest

#else

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zest
{

namespace
{
std::string RuntimeFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        return runtime;
    return "/tmp";
}

bool FillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}
} // namespace

SingleInstance::SingleInstance(const std::string& name, const std::string& folder)
{
    std::string base = (folder.empty() ? RuntimeFolder() : folder) + "/";
    // Keep the name to characters every file system takes.
    std::string safe;
    for (char c : name)
        safe += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.') ? c : '_';
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr && folder.empty())
        safe += "-" + std::to_string(::getuid()); // /tmp is shared between users
    lockPath = base + safe + ".lock";
    socketPath = base + safe + ".sock";
}

SingleInstance::~SingleInstance()
{
    if (socketFd >= 0)
    {
        ::close(socketFd);
        ::unlink(socketPath.c_str());
    }
    if (lockFd >= 0)
        ::close(lockFd); // releases the lock
}

bool SingleInstance::Acquire()
{
    if (lockFd >= 0)
        return true;
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
    {
        Logf(LogLevel::Warning, "cannot open the lock %s: %s", lockPath.c_str(), std::strerror(errno));
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        ::close(fd);
        return errno != EWOULDBLOCK;
    }
    lockFd = fd;

    // A socket left by a crashed copy is stale now that we hold the lock.
    ::unlink(socketPath.c_str());
    sockaddr_un address;
    if (!FillAddress(socketPath, address))
        return true;
    socketFd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socketFd >= 0 && ::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
    {
        Logf(LogLevel::Warning, "cannot listen on %s: %s", socketPath.c_str(), std::strerror(errno));
        ::close(socketFd);
        socketFd = -1;
    }
    return true;
}

bool SingleInstance::NotifyFirstCopy() const
{
    sockaddr_un address;
    if (!FillAddress(socketPath, address))
        return false;
    int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const char notice[] = "raise";
    bool sent = ::sendto(fd, notice, sizeof(notice), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&address),
                         sizeof(address)) == static_cast<ssize_t>(sizeof(notice));
    ::close(fd);
    return sent;
}

bool SingleInstance::TakeNotice()
{
    if (socketFd < 0)
        return false;
    bool any = false;
    char buffer[64];
    while (::recv(socketFd, buffer, sizeof(buffer), MSG_DONTWAIT) >= 0)
        any = true;
    return any;
}

} // namespace zest

#endif

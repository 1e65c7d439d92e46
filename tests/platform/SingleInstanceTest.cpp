#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace zest
{
namespace
{

std::string Folder()
{
    std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "zest-single-instance";
    std::filesystem::create_directories(folder);
    return folder.string();
}

TEST(SingleInstance, SecondCopyIsRefusedAndNotifiesTheFirst)
{
    SingleInstance first("Mossbank Games\\Tibble", Folder());
    ASSERT_TRUE(first.Acquire());
    EXPECT_FALSE(first.TakeNotice());

    SingleInstance second("Mossbank Games\\Tibble", Folder());
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(second.NotifyFirstCopy());
    EXPECT_TRUE(first.TakeNotice());
    EXPECT_FALSE(first.TakeNotice());
}

TEST(SingleInstance, LockOfACrashedCopyDoesNotBlockTheNextStart)
{
    std::string folder = Folder();
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        SingleInstance crashed("CrashTest", folder);
        ::_exit(crashed.Acquire() ? 3 : 4); // ends without any clean-up
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    // The lock file and socket are still there; the lock is not.
    EXPECT_TRUE(std::filesystem::exists(folder + "/CrashTest.lock"));
    SingleInstance next("CrashTest", folder);
    EXPECT_TRUE(next.Acquire());
    SingleInstance third("CrashTest", folder);
    EXPECT_FALSE(third.Acquire());
}

} // namespace
} // namespace zest

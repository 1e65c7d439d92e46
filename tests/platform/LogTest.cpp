#include "platform/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zest
{
namespace
{

// Captures what reaches the sink and puts the sink and the threshold back afterwards.
class LogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previousThreshold = GetLogThreshold();
        previousSink = SetLogSink([this](LogLevel level, const std::string& text) { lines.push_back({level, text}); });
    }
    void TearDown() override
    {
        SetLogSink(previousSink);
        SetLogThreshold(previousThreshold);
    }

    struct Line
    {
        LogLevel level;
        std::string text;
    };
    std::vector<Line> lines;
    LogLevel previousThreshold = LogLevel::Warning;
    LogSink previousSink;
};

TEST_F(LogTest, ThresholdDropsTheLowerLevels)
{
    struct Case
    {
        LogLevel threshold;
        size_t written; // of one line at each of the four levels
    };
    const Case cases[] = {
        {LogLevel::Debug, 4}, {LogLevel::Info, 3}, {LogLevel::Warning, 2}, {LogLevel::Error, 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.threshold));
        lines.clear();
        SetLogThreshold(c.threshold);
        Log(LogLevel::Debug, "d");
        Logf(LogLevel::Info, "i %d", 1);
        Log(LogLevel::Warning, "w");
        Logf(LogLevel::Error, "e %s", "x");
        ASSERT_EQ(lines.size(), c.written);
        EXPECT_EQ(lines.back().level, LogLevel::Error);
        EXPECT_EQ(lines.back().text, "e x");
        for (const Line& line : lines)
            EXPECT_GE(static_cast<int>(line.level), static_cast<int>(c.threshold));
    }
}

TEST_F(LogTest, ParsesLevelNamesAndRefusesOthers)
{
    struct Case
    {
        const char* name;
        std::optional<LogLevel> level;
    };
    const Case cases[] = {
        {"debug", LogLevel::Debug},   {"INFO", LogLevel::Info}, {"Warning", LogLevel::Warning},
        {"error", LogLevel::Error},   {"", std::nullopt},       {"verbose", std::nullopt},
        {"warn", std::nullopt},       {"2", std::nullopt},      {"debug ", std::nullopt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseLogLevel(c.name), c.level);
    }
}

TEST_F(LogTest, SetThresholdAnswersThePreviousOne)
{
    SetLogThreshold(LogLevel::Info);
    EXPECT_EQ(SetLogThreshold(LogLevel::Error), LogLevel::Info);
    EXPECT_EQ(GetLogThreshold(), LogLevel::Error);
    EXPECT_FALSE(IsLogged(LogLevel::Warning));
    EXPECT_TRUE(IsLogged(LogLevel::Error));
}

} // namespace
} // namespace zest

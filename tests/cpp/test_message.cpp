// The toolkit's message handler: prefixes per level, counters, thresholds per
// thread, the strict flag, the process exits, and the reporting functions.

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>
#include <unistd.h>

#include "stderr_capture.h"
#include "system/message.h"

using KaSystem::KaErrorHandlerImplBase;
using KaSystem::KaErrorHandlerStreamImpl;

namespace {

struct LevelCase {
    uint32_t level;
    const char* printed;
};

class MessageLevel : public testing::TestWithParam<LevelCase> {};

// With every level let through, each one prints its prefix and counts once in
// its slot; levels outside 1..8 share slot 0, which Count(0) leaves out.
TEST_P(MessageLevel, PrefixAndCount) {
    const LevelCase& c = GetParam();
    std::ostringstream out;
    KaErrorHandlerStreamImpl handler(out);
    handler.SetLevel(0);
    handler.Msg(c.level, "text");
    EXPECT_EQ(out.str(), c.printed);
    const bool ownSlot = c.level >= 1 && c.level <= 8;
    if (c.level != 0) {  // Count(0) is the sum
        EXPECT_EQ(handler.Count(c.level), 1u);
    }
    EXPECT_EQ(handler.Count(0), ownSlot ? 1u : 0u);
    EXPECT_EQ(handler.Count(9), ownSlot ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Levels, MessageLevel,
                         testing::Values(LevelCase{1, "Debug: text\n"}, LevelCase{2, "text\n"}, LevelCase{3, "text\n"},
                                         LevelCase{4, "Warning: text\n"}, LevelCase{8, ""},
                                         LevelCase{12, "Unknown Error Level(12): text\n"},
                                         LevelCase{0, "Unknown Error Level(0): text\n"},
                                         LevelCase{4294967295u, "Unknown Error Level(4294967295): text\n"}),
                         [](const testing::TestParamInfo<LevelCase>& info) {
                             return "Level" + std::to_string(info.param.level);
                         });

TEST(MessageHandler, NewHandlerIsStrictAndDropsLevelsBelowThree) {
    std::ostringstream out;
    KaErrorHandlerStreamImpl handler(out);
    EXPECT_TRUE(handler.GetStrict());
    EXPECT_EQ(handler.GetLevel(), 3u);
    handler.Msg(1, "debug");
    handler.Msg(2, "quiet");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(handler.Count(0), 0u);
    handler.Msg(3, "loud");
    handler.Msg(4, "warned");
    EXPECT_EQ(out.str(), "loud\nWarning: warned\n");
    EXPECT_EQ(handler.Count(3), 1u);
    EXPECT_EQ(handler.Count(4), 1u);
    EXPECT_EQ(handler.Count(0), 2u);
}

TEST(MessageHandler, ClearCountsKeepsSlotZero) {
    std::ostringstream out;
    KaErrorHandlerStreamImpl handler(out);
    handler.SetLevel(0);
    for (uint32_t level : {1u, 4u, 4u, 8u, 12u, 99u, 2u}) handler.Msg(level, "m");
    handler.CountMessage(6);
    EXPECT_EQ(handler.Count(0), 6u);  // 1, 4, 4, 8, 2 and the counted 6
    EXPECT_EQ(handler.Count(4), 2u);
    EXPECT_EQ(handler.Count(12), 2u);
    EXPECT_EQ(handler.Count(1000), 2u);
    handler.ClearCounts();
    EXPECT_EQ(handler.Count(0), 0u);
    for (uint32_t level = 1; level <= 8; ++level) EXPECT_EQ(handler.Count(level), 0u) << level;
    EXPECT_EQ(handler.Count(12), 2u);
}

TEST(MessageHandler, LevelFiveFollowsTheStrictFlag) {
    std::ostringstream out;
    KaErrorHandlerStreamImpl handler(out);
    handler.SetStrict(false);
    EXPECT_FALSE(handler.GetStrict());
    handler.Msg(5, "lenient");
    EXPECT_EQ(out.str(), "Warning: lenient\n");
    EXPECT_EQ(handler.Count(4), 1u);
    EXPECT_EQ(handler.Count(5), 0u);
}

// Below the threshold a level 5 is dropped before it can become fatal.
TEST(MessageHandler, FilteredMessagesAreNeitherPrintedNorCounted) {
    std::ostringstream out;
    KaErrorHandlerStreamImpl handler(out);
    handler.SetLevel(6);
    handler.Msg(5, "strict but filtered");
    handler.Msg(4, "warning");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(handler.Count(0), 0u);

    handler.SetLevel(8);
    handler.Msg(8, "only counted");
    EXPECT_EQ(handler.Count(8), 1u);
    handler.SetLevel(9);
    handler.Msg(8, "dropped");
    EXPECT_EQ(handler.Count(8), 1u);
    EXPECT_EQ(out.str(), "");
}

TEST(MessageHandler, ThresholdsBelongToThreads) {
    std::ostringstream out;
    KaErrorHandlerStreamImpl handler(out);
    handler.SetLevel(5);
    handler.Msg(4, "main silenced");

    uint32_t seenByThread = 0;
    std::thread worker([&] {
        seenByThread = handler.GetLevel();
        handler.Msg(4, "worker speaks");
        handler.SetLevel(9);
        handler.Msg(8, "worker silenced");
    });
    worker.join();
    EXPECT_EQ(seenByThread, 3u);
    EXPECT_EQ(handler.GetLevel(), 5u);
    EXPECT_EQ(out.str(), "Warning: worker speaks\n");
    EXPECT_EQ(handler.Count(8), 0u);
}

// A thread that never set a threshold reads the default, even when it follows
// threads that set theirs and ended (the system may hand it their identity).
TEST(MessageHandler, NewThreadsStartAtTheDefaultThreshold) {
    std::ostringstream out;
    KaErrorHandlerStreamImpl handler(out);
    for (int round = 0; round < 20; ++round) {
        std::thread([&] { handler.SetLevel(9); }).join();
        uint32_t seen = 0;
        std::thread([&] { seen = handler.GetLevel(); }).join();
        ASSERT_EQ(seen, 3u) << "round " << round;
    }
}

TEST(MessageHandler, ConcurrentMessagesAreCountedAndNeverInterleave) {
    std::ostringstream out;
    KaErrorHandlerStreamImpl handler(out);
    constexpr int kThreads = 4;
    constexpr int kMessages = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&handler, t] {
            const std::string text = "thread " + std::to_string(t) + std::string(40, 'x');
            for (int n = 0; n < kMessages; ++n) handler.Msg(4, text);
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(handler.Count(4), uint32_t(kThreads * kMessages));

    std::set<std::string> allowed;
    for (int t = 0; t < kThreads; ++t) allowed.insert("Warning: thread " + std::to_string(t) + std::string(40, 'x'));
    std::istringstream in(out.str());
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) ASSERT_TRUE(allowed.count(line)) << line;
    EXPECT_EQ(lines, kThreads * kMessages);
}

TEST(MessageHandler, CloneCopiesFlagCountsAndThisThreadsThreshold) {
    std::ostringstream out;
    KaErrorHandlerStreamImpl handler(out);
    handler.SetStrict(false);
    handler.SetLevel(4);
    handler.Msg(4, "before");
    std::unique_ptr<KaErrorHandlerImplBase> copy(handler.Clone());
    EXPECT_FALSE(copy->GetStrict());
    EXPECT_EQ(copy->GetLevel(), 4u);
    EXPECT_EQ(copy->Count(4), 1u);

    copy->Msg(4, "from copy");
    EXPECT_EQ(out.str(), "Warning: before\nWarning: from copy\n");
    EXPECT_EQ(copy->Count(4), 2u);
    EXPECT_EQ(handler.Count(4), 1u);
    copy->SetLevel(7);
    EXPECT_EQ(handler.GetLevel(), 4u);
}

// A stream that sends a message to the handler while the handler writes to it.
class ReentrantBuffer : public std::stringbuf {
public:
    KaErrorHandlerImplBase* handler = nullptr;

protected:
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (KaErrorHandlerImplBase* h = std::exchange(handler, nullptr)) h->Msg(4, "inner");
        return std::stringbuf::xsputn(s, n);
    }
};

TEST(MessageHandler, MessageFromInsideTheStreamDoesNotDeadlock) {
    ReentrantBuffer buffer;
    std::ostream out(&buffer);
    KaErrorHandlerStreamImpl handler(out);
    buffer.handler = &handler;
    alarm(20);  // a deadlock ends the test run instead of hanging it
    handler.Msg(4, "outer");
    alarm(0);
    EXPECT_EQ(handler.Count(4), 2u);
    EXPECT_NE(buffer.str().find("Warning: inner\n"), std::string::npos);
    EXPECT_NE(buffer.str().find("outer\n"), std::string::npos);
}

// The process-wide handler and the reporting functions, which print to
// std::cerr. Thresholds and the strict flag are restored after each test.
class ProcessHandler : public testing::Test {
protected:
    void SetUp() override { level_ = handler().GetLevel(); }
    void TearDown() override {
        handler().SetLevel(level_);
        handler().SetStrict(true);
    }
    static KaErrorHandlerImplBase& handler() { return KaSystem::ErrorHandler(); }
    uint32_t level_ = 0;
};

TEST_F(ProcessHandler, ReportingFunctionsFormatAndPickTheirLevel) {
    const uint32_t warnings = handler().Count(4);
    StderrCapture capture;
    KaSystem::Warning("%d atoms in %s", 3, "box");
    KaSystem::WarningText("ready %d");
    KaSystem::Message2("hidden %s", "below the default threshold");
    handler().SetLevel(2);
    KaSystem::Message2("shown %s", "now");
    handler().SetStrict(false);
    KaSystem::Error("error %u", 5u);
    EXPECT_EQ(capture.Text(), "Warning: 3 atoms in box\nWarning: ready %d\nshown now\nWarning: error 5\n");
    EXPECT_EQ(handler().Count(4), warnings + 3);
    EXPECT_EQ(&handler(), &KaSystem::ErrorHandler());
}

TEST_F(ProcessHandler, LongFormattedTextIsCutAtTheBuffer) {
    StderrCapture capture;
    KaSystem::Warning("%s", std::string(10000, 'x').c_str());
    EXPECT_EQ(capture.Text(), "Warning: " + std::string(8191, 'x') + "\n");
}

class MessageExitDeathTest : public testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(MessageExitDeathTest, FatalEndsWithStatusOne) {
    EXPECT_EXIT(KaErrorHandlerStreamImpl(std::cerr).Msg(6, "boom"), testing::ExitedWithCode(1), "^Fatal: boom\n$");
    EXPECT_EXIT(KaErrorHandlerStreamImpl(std::cerr).Msg(5, "strict"), testing::ExitedWithCode(1),
                "^Fatal: strict\n$");
    EXPECT_EXIT(KaSystem::Error("code %d", 7), testing::ExitedWithCode(1), "^Fatal: code 7\n$");
}

TEST_F(MessageExitDeathTest, UsageEndsWithStatusZero) {
    EXPECT_EXIT(KaErrorHandlerStreamImpl(std::cerr).Msg(7, "run me so"), testing::ExitedWithCode(0),
                "^Usage: run me so\n$");
}

TEST_F(MessageExitDeathTest, ExitsHappenEvenWhenTheThresholdFiltersThem) {
    auto silenced = [](uint32_t threshold, uint32_t level) {
        KaErrorHandlerStreamImpl handler(std::cerr);
        handler.SetLevel(threshold);
        handler.Msg(level, "unseen");
    };
    EXPECT_EXIT(silenced(7, 6), testing::ExitedWithCode(1), "^$");
    EXPECT_EXIT(silenced(100, 6), testing::ExitedWithCode(1), "^$");
    EXPECT_EXIT(silenced(8, 7), testing::ExitedWithCode(0), "^$");
}

}  // namespace

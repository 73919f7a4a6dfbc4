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

}  // namespace

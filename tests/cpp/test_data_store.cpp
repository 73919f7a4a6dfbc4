// The generic data store: tags, typed items, the type-mismatch warning,
// overwriting and copies.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "molecule/residue.h"
#include "stderr_capture.h"
#include "system/base.h"
#include "system/message.h"

using KaSystem::KaBase;
using KaSystem::KaTag;
using KaSystem::TagFromName;

namespace {

TEST(Tags, OneIdPerNameAlsoUnderConcurrentRequests) {
    EXPECT_EQ(TagFromName("DataStoreTest_A"), TagFromName(std::string("DataStoreTest_A").c_str()));
    EXPECT_GT(TagFromName("DataStoreTest_A"), KaSystem::kLastPredefinedTag);
    EXPECT_EQ(TagFromName(nullptr), 0u);
    EXPECT_EQ(TagFromName("Residue"), Kamol::ResidueTag);
    std::vector<std::vector<KaTag>> seen(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&seen, t] {
            for (int n = 0; n < 200; ++n) seen[t].push_back(TagFromName(("Concurrent_" + std::to_string(n)).c_str()));
        });
    for (auto& thread : threads) thread.join();
    for (int t = 1; t < 4; ++t) EXPECT_EQ(seen[t], seen[0]);
    EXPECT_EQ(std::set<KaTag>(seen[0].begin(), seen[0].end()).size(), 200u);
}

TEST(DataStore, TypedItemsOverwriteRemoveAndCopy) {
    KaBase object;
    const KaTag intTag = TagFromName("AnInt"), textTag = TagFromName("AText");
    EXPECT_EQ(object.GetData<int>(intTag), nullptr);
    ASSERT_TRUE(object.SetData<int>(intTag, -7));
    ASSERT_TRUE(object.SetData<std::string>(textTag, "text"));
    const int* first = object.GetData<int>(intTag);
    ASSERT_TRUE(object.SetData<int>(intTag, 2));
    EXPECT_EQ(object.GetData<int>(intTag), first);
    EXPECT_EQ(*first, 2);
    KaBase copy(object);
    ASSERT_TRUE(copy.SetData<std::string>(textTag, "second"));
    EXPECT_EQ(*object.GetData<std::string>(textTag), "text");
    EXPECT_TRUE(object.RemoveData(intTag));
    EXPECT_FALSE(object.RemoveData(intTag));
    EXPECT_EQ(*copy.GetData<int>(intTag), 2);
}

// Reading or writing another type warns, fails and leaves the item as it was.
TEST(DataStore, TypeMismatchWarnsAndFails) {
    KaBase object;
    const KaTag tag = TagFromName("Mismatched");
    ASSERT_TRUE(object.SetData<int>(tag, 5));
    StderrCapture capture;
    EXPECT_EQ(object.GetData<double>(tag), nullptr);
    EXPECT_FALSE(object.SetData<unsigned>(tag, 6u));
    const std::string warning = "Warning: data type mismatch found when using generic data\n";
    EXPECT_EQ(capture.Text(), warning + warning);
    EXPECT_TRUE(object.HasData(tag));
    EXPECT_EQ(*object.GetData<int>(tag), 5);
}

}  // namespace

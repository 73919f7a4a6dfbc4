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

const char kMismatch[] = "Warning: data type mismatch found when using generic data\n";

TEST(Tags, OneIdPerNameForTheLifeOfTheProcess) {
    const KaTag a = TagFromName("DataStoreTest_A");
    const KaTag b = TagFromName("DataStoreTest_B");
    EXPECT_NE(a, b);
    EXPECT_EQ(TagFromName("DataStoreTest_A"), a);
    EXPECT_EQ(TagFromName(std::string("DataStoreTest_B").c_str()), b);
    EXPECT_GT(a, KaSystem::kLastPredefinedTag);
    EXPECT_GT(b, KaSystem::kLastPredefinedTag);
    EXPECT_EQ(TagFromName(nullptr), 0u);
    EXPECT_NE(TagFromName(""), 0u);
    EXPECT_EQ(TagFromName("Residue"), Kamol::ResidueTag);
}

TEST(Tags, ConcurrentRequestsAgree) {
    constexpr int kThreads = 4;
    std::vector<std::vector<KaTag>> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&seen, t] {
            for (int n = 0; n < 200; ++n) seen[t].push_back(TagFromName(("Concurrent_" + std::to_string(n)).c_str()));
        });
    for (auto& thread : threads) thread.join();
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[t], seen[0]);
    EXPECT_EQ(std::set<KaTag>(seen[0].begin(), seen[0].end()).size(), 200u);
}

TEST(DataStore, ObjectWithoutDataFindsNothingQuietly) {
    KaBase object;
    const KaTag tag = TagFromName("Quiet");
    StderrCapture capture;
    EXPECT_FALSE(object.HasData(tag));
    EXPECT_EQ(object.GetData<int>(tag), nullptr);
    EXPECT_FALSE(object.RemoveData(tag));
    EXPECT_EQ(capture.Text(), "");
}

TEST(DataStore, ItemsOfEachTypeLiveSideBySide) {
    KaBase object;
    const KaTag intTag = TagFromName("AnInt"), doubleTag = TagFromName("ADouble");
    const KaTag textTag = TagFromName("AText"), residueTag = Kamol::ResidueTag;
    Kamol::KaResidue residue;
    residue.residueName = "HOH";
    ASSERT_TRUE(object.SetData<int>(intTag, -7));
    ASSERT_TRUE(object.SetData<double>(doubleTag, 2.5));
    ASSERT_TRUE(object.SetData<std::string>(textTag, "text"));
    ASSERT_TRUE(object.SetData<Kamol::KaResidue>(residueTag, residue));

    ASSERT_NE(object.GetData<int>(intTag), nullptr);
    EXPECT_EQ(*object.GetData<int>(intTag), -7);
    EXPECT_EQ(*object.GetData<double>(doubleTag), 2.5);
    EXPECT_EQ(*object.GetData<std::string>(textTag), "text");
    EXPECT_EQ(object.GetData<Kamol::KaResidue>(residueTag)->residueName, "HOH");
    EXPECT_FALSE(object.HasData(TagFromName("Absent")));
}

TEST(DataStore, OverwriteKeepsOneItemPerTag) {
    KaBase object;
    const KaTag tag = TagFromName("Overwritten");
    ASSERT_TRUE(object.SetData<int>(tag, 1));
    const int* first = object.GetData<int>(tag);
    ASSERT_TRUE(object.SetData<int>(tag, 2));
    EXPECT_EQ(object.GetData<int>(tag), first);
    EXPECT_EQ(*first, 2);
    EXPECT_TRUE(object.RemoveData(tag));
    EXPECT_FALSE(object.HasData(tag));
    EXPECT_FALSE(object.RemoveData(tag));
}

// Reading or writing another type warns, fails and leaves the item as it was;
// HasData sees the item whatever its type.
TEST(DataStore, TypeMismatchWarnsAndFails) {
    KaBase object;
    const KaTag tag = TagFromName("Mismatched");
    ASSERT_TRUE(object.SetData<int>(tag, 5));
    const uint32_t warnings = KaSystem::ErrorHandler().Count(4);
    {
        StderrCapture capture;
        EXPECT_EQ(object.GetData<double>(tag), nullptr);
        EXPECT_EQ(capture.Text(), kMismatch);
    }
    {
        StderrCapture capture;
        EXPECT_FALSE(object.SetData<unsigned>(tag, 6u));
        EXPECT_EQ(capture.Text(), kMismatch);
    }
    EXPECT_EQ(KaSystem::ErrorHandler().Count(4), warnings + 2);
    EXPECT_TRUE(object.HasData(tag));
    EXPECT_EQ(*object.GetData<int>(tag), 5);
}

TEST(DataStore, CopiesAreIndependent) {
    KaBase original;
    const KaTag tag = TagFromName("Copied");
    ASSERT_TRUE(original.SetData<std::string>(tag, "first"));
    KaBase copy(original);
    ASSERT_TRUE(copy.SetData<std::string>(tag, "second"));
    EXPECT_EQ(*original.GetData<std::string>(tag), "first");

    KaBase assigned;
    assigned = copy;
    EXPECT_TRUE(copy.RemoveData(tag));
    EXPECT_EQ(*assigned.GetData<std::string>(tag), "second");
    assigned = KaBase();
    EXPECT_FALSE(assigned.HasData(tag));
}

}  // namespace

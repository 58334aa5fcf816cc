// Resources and the resource table: shared counts and names, resource files, typed lookups and their
// defaults.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "SceneTestSupport.h"
#include "core/IStreamWrapper.h"

namespace {

bool wasFreed(int handle) {
    return std::count(TestTexture::freed.begin(), TestTexture::freed.end(), handle) > 0;
}

TEST(ResourceSharing, TheLastCopyFreesThePlatformObject) {
    TestTexture::freed.clear();
    auto* first = new TestTexture;
    first->handle = 11;
    auto* second = static_cast<TestTexture*>(first->clone());
    EXPECT_EQ(first->useCount(), 2);
    first->setName("crate");  // named after the copy was made: both see it
    EXPECT_EQ(second->getName(), "crate");
    delete first;
    EXPECT_FALSE(wasFreed(11));
    EXPECT_EQ(second->useCount(), 1);
    delete second;
    EXPECT_TRUE(wasFreed(11));
}

TEST(ResourceSharing, AssignmentReleasesTheTargetFirst) {
    TestTexture::freed.clear();
    TestTexture a;
    a.handle = 1;
    TestTexture b;
    b.handle = 2;
    TestTexture bCopy(b);
    a = a;  // to itself: nothing
    EXPECT_EQ(a.useCount(), 1);
    EXPECT_TRUE(TestTexture::freed.empty());
    a = bCopy;  // a was the last copy of asset 1
    EXPECT_TRUE(wasFreed(1));
    EXPECT_EQ(a.handle, 2);
    EXPECT_EQ(b.useCount(), 3);
}

TEST(ResourceSharing, ReleaseTwiceCountsOnce) {
    TestTexture a;
    TestTexture copy(a);
    EXPECT_FALSE(copy.release());
    EXPECT_FALSE(copy.release());
    EXPECT_EQ(a.useCount(), 1);
    EXPECT_TRUE(a.release());
}

class ResourceManagerTest : public testing::Test {
protected:
    void SetUp() override {
        folder = scratchFolder("resources");
        TestTexture::freed.clear();
    }

    std::string file(const std::string& name, const std::string& text) {
        const std::filesystem::path path = folder / name;
        writeTextFile(path, text);
        return path.string();
    }

    std::filesystem::path folder;
    GameState state;
    CurrentState current{state};
};

TEST_F(ResourceManagerTest, LoadsEntriesAndNamesThem) {
    const std::string path = file("a.res",
                                  "// textures of the test level\n"
                                  "size 2\n"
                                  "crate TestTexture 0 handle 3 end\n"
                                  "stone TestTexture 0 handle 4 end\n"
                                  "end\n");
    state.loadResourceFile(path);
    ASSERT_EQ(state.resources.size(), 2u);
    TestTexture& crate = state.get<TestTexture>("crate");
    EXPECT_EQ(crate.handle, 3);
    EXPECT_EQ(crate.getName(), "crate");
    EXPECT_EQ(&state.get<TestTexture>("crate"), &crate);  // the stored object itself
    EXPECT_EQ(state.get<TestTexture>("stone").getName(), "stone");
}

TEST_F(ResourceManagerTest, TheFirstDefinitionOfANameWins) {
    const std::string path = file("dup.res", "crate TestTexture 0 handle 1 end crate TestTexture 0 handle 2 end end");
    state.loadResourceFile(path);
    EXPECT_EQ(state.get<TestTexture>("crate").handle, 1);
    EXPECT_TRUE(wasFreed(2));  // the second one was made and deleted at once

    // A second file adds its new names and leaves the existing ones alone.
    state.loadResourceFile(file("more.res", "crate TestTexture 0 handle 5 end rock TestTexture 0 handle 6 end end"));
    EXPECT_EQ(state.get<TestTexture>("crate").handle, 1);
    EXPECT_EQ(state.get<TestTexture>("rock").handle, 6);
}

TEST_F(ResourceManagerTest, TheSizeLineOnlyScalesProgress) {
    ProgressLog log;
    std::vector<float>& positions = log.positions;
    // "size" says 3, but the entries run to "end": all five load.
    state.loadResourceFile(file("five.res",
                                "size 3 a TestTexture 0 end b TestTexture 0 end c TestTexture 0 end "
                                "d TestTexture 0 end e TestTexture 0 end end"));
    EXPECT_EQ(state.resources.size(), 5u);
    ASSERT_EQ(positions.size(), 6u);
    EXPECT_FLOAT_EQ(positions[0], 0.0f);
    EXPECT_FLOAT_EQ(positions[3], 0.1f);

    positions.clear();
    state.loadResourceFile(file("nosize.res", "f TestTexture 0 end g TestTexture 0 end end"));
    EXPECT_EQ(state.resources.size(), 7u);
    EXPECT_TRUE(positions.empty());
}

TEST_F(ResourceManagerTest, NullAndForeignEntriesAreReportedAndSkipped) {
    const std::string path = file("bad.res",
                                  "size 4\n"
                                  "empty NULL\n"
                                  "notAResource Logic 1 0 Component disabled 0 end typeName HERO end\n"
                                  "good TestTexture 0 handle 8 end\n"
                                  "end\n");
    const std::string errors = capturedErrors([&] { state.loadResourceFile(path); });
    EXPECT_NE(errors.find("empty"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Logic"), std::string::npos) << errors;
    EXPECT_EQ(state.resources.size(), 1u);
    EXPECT_EQ(state.resources.count("empty"), 0u);
    EXPECT_EQ(state.resources.count("notAResource"), 0u);
    EXPECT_EQ(state.get<TestTexture>("good").handle, 8);
}

TEST_F(ResourceManagerTest, MissedLookupsShareOneDefaultPerKind) {
    std::string errors = capturedErrors([&] {
        TestTexture& first = state.get<TestTexture>("nothing");
        TestTexture& second = state.get<TestTexture>("other");
        EXPECT_EQ(&first, &second) << "a lookup missing every frame does not grow memory";
        EXPECT_EQ(first.handle, 0);
        TestSound& sound = state.get<TestSound>("nothing");
        EXPECT_NE(static_cast<void*>(&sound), static_cast<void*>(&first)) << "each kind has its own default";
        EXPECT_EQ(&state.get<TestSound>("again"), &sound);
    });
    const std::string line = "error: tried to load a resource that doesn't exist\n";
    EXPECT_EQ(errors, line + line + line + line);
    EXPECT_TRUE(state.resources.empty());
}

TEST_F(ResourceManagerTest, ALookupOfTheWrongKindIsReported) {
    state.addResource("music", std::make_unique<TestTexture>());
    std::string errors = capturedErrors([&] {
        TestSound& sound = state.get<TestSound>("music");
        EXPECT_EQ(sound.handle, 0);
    });
    EXPECT_NE(errors.find("music"), std::string::npos) << errors;
}

TEST_F(ResourceManagerTest, ClearingReleasesOnlyTheTablesReference) {
    state.loadResourceFile(file("one.res", "crate TestTexture 0 handle 9 end end"));
    TestTexture kept(state.get<TestTexture>("crate"));
    state.clearResources();
    EXPECT_TRUE(state.resources.empty());
    EXPECT_FALSE(wasFreed(9));
    EXPECT_EQ(kept.getName(), "crate");
    state.clearResources();  // an empty table: nothing
    EXPECT_TRUE(state.resources.empty());
}

TEST_F(ResourceManagerTest, AMissingFileIsReportedAndLoadsNothing) {
    const std::string errors = capturedErrors([&] { state.loadResourceFile((folder / "absent.res").string()); });
    EXPECT_NE(errors.find("Could not open file \""), std::string::npos) << errors;
    EXPECT_TRUE(state.resources.empty());
}

TEST_F(ResourceManagerTest, ExternalFilesFillTheSameTable) {
    file("part1.res", "a TestTexture 0 handle 1 end end");
    file("part2.res", "b TestTexture 0 handle 2 end end");
    const std::string path = file("main.res", "externalFiles 2 " + (folder / "part1.res").string() + " " +
                                                  (folder / "part2.res").string());
    state.loadResourceFile(path);
    EXPECT_EQ(state.get<TestTexture>("a").handle, 1);
    EXPECT_EQ(state.get<TestTexture>("b").getName(), "b");
}

TEST_F(ResourceManagerTest, AManagerReadAsAnObject) {
    std::istringstream stream("ResourceManager 1 resources crate TestTexture 0 handle 4 end end end");
    IStreamWrapper in(stream);
    std::unique_ptr<ResourceManager> manager;
    readValue(in, manager);
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->get<TestTexture>("crate").handle, 4);
    EXPECT_EQ(manager->get<TestTexture>("crate").getName(), "crate");
}

}  // namespace

// A level written by hand with keys this game does not know, an archetype carrying an id, a commented
// "nextID" and a draw group: every entity is kept, the groups keep their owner, and the first save
// keeps the file as it was beside it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/BoxDrawGroup.h"
#include "graphics/CameraComponent.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"

namespace fs = std::filesystem;

namespace {

const char* const handWrittenLevel = R"(// written by hand
Editor 2
resourceFileName ""
end
components
	CameraComponent 0
		0 GameStateComponent
			disabled 0
			end
		camera
			PerspectiveCamera 0
				pos 0 1 0 1
				tilt 0.5
				zFar 321
				end
		targetDistance 9
		end
	end
archetypes
	Crate
	Archetype 1
		text "Entity 1 id 7 components Body 1 0 Component end position 4 0 0 1 mass 0 end end end "
		end
	end
entities
	Entity 1
		id 1
		components
			Body 1
				0 Component
					end
				friction 0.5
				position 0 1 0 1
				mass 2
				end
			end
		end
	Entity 1
		id 2
		components
			Body 1
				0 Component
					end
				position 3 0 0 1
				mass 0
				shape Rect 0 size 1 1 1 0 end
				end
			Graphics 5
				0 Component
					end
				modelName box
				sparkle "very much"
				drawGroup 4
				end
			end
		end
	Entity 1
		id 3
		components
			Body 1
				0 Component
					end
				position -3 0 0 1
				mass 0
				shape Rect 0 size 1 1 1 0 end
				end
			Graphics 5
				0 Component
					end
				modelName box
				drawGroup 4
				end
			end
		end
	archetype Crate
	archetype Crate
	archetype Crate
	end
end
)";

class LevelRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tovik-level-recovery-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "Kestrum" / "Tovik");
        // The settings folder of this test alone holds its "nextID", with a comment before the number.
        previousHome = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
        std::ofstream(folder / "Kestrum" / "Tovik" / "nextID") << "// the first free id\n500\n";
        level = (folder / "hand.lvl").string();
        std::ofstream(level, std::ios::binary) << handWrittenLevel;
    }
    void TearDown() override {
        ::setenv("XDG_DATA_HOME", previousHome.c_str(), 1);
        fs::remove_all(folder);
    }

    std::string read(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path folder;
    std::string previousHome;
    std::string level;
};

}  // namespace

TEST_F(LevelRecoveryTest, UnknownKeysRepeatedIdsAndDrawGroupsLoseNothing) {
    GameState state(level);
    EXPECT_EQ(state.nextEntityId, 500u) << "the id after the comment line";
    GameState* previous = currentGameState;
    currentGameState = &state;
    testing::internal::CaptureStderr();
    state.load();
    state.initialize();
    const std::string errors = testing::internal::GetCapturedStderr();

    // Every entity: the hero, two boxes and three uses of the archetype.
    ASSERT_EQ(state.entities.size(), 6u) << errors;
    ASSERT_NE(state.rootEntity, nullptr);
    ASSERT_NE(state.rootEntity->body, nullptr) << "the hero keeps its components";
    EXPECT_EQ(state.rootEntity->body->position, Vector4(0, 1, 0, 1)) << "the keys after the unknown one are read";
    EXPECT_EQ(state.rootEntity->body->mass, 2.0f);
    EXPECT_EQ(state.entities[1]->graphics->drawGroup, 4);
    auto* camera = state.getComponents<CameraComponent>();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->camera.getZFar(), 321.0f);
    EXPECT_EQ(camera->targetDistance, 9.0f);

    // The archetype's id is taken by its first use; the later ones get fresh ids, one line each.
    std::set<std::uint32_t> ids;
    for (Entity* entity : state.entities) ids.insert(entity->id);
    EXPECT_EQ(ids.size(), 6u);
    EXPECT_EQ(ids.count(7), 1u);
    // One line per unknown key and per fresh id (the missing resources have lines of their own).
    std::istringstream lines(errors);
    int unknownKeys = 0, freshIds = 0;
    for (std::string line; std::getline(lines, line);) {
        unknownKeys += line.find("unknown key") != std::string::npos;
        freshIds += line.find("entity id 7 is taken") != std::string::npos;
    }
    EXPECT_EQ(unknownKeys, 3) << errors;
    EXPECT_EQ(freshIds, 2) << errors;
    for (const char* word : {"\"friction\"", "\"tilt\"", "\"sparkle\""})
        EXPECT_NE(errors.find(word), std::string::npos) << word << "\n" << errors;

    // The boxes form one group whose look belongs to its first member; the group goes with it.
    ASSERT_EQ(state.drawGroups.size(), 1u);
    EXPECT_EQ(state.drawGroups.front()->graphics.owner, state.entities[1]);
    EXPECT_EQ(state.drawGroups.front()->boxCount, 2);
    state.removeEntity(state.entities[2]);
    state.update(0.0f);
    EXPECT_EQ(state.drawGroups.size(), 1u) << "only the owner's going drops the group";
    state.removeEntity(state.entities[1]);
    state.update(0.0f);
    EXPECT_TRUE(state.drawGroups.empty());

    // The first save over the file keeps it beside as ".bak", saying so; the next leaves that copy.
    testing::internal::CaptureStderr();
    EXPECT_TRUE(state.save(level));
    std::string saveErrors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(saveErrors.begin(), saveErrors.end(), '\n'), 1) << saveErrors;
    EXPECT_NE(saveErrors.find(level + ".bak"), std::string::npos) << saveErrors;
    EXPECT_EQ(read(level + ".bak"), handWrittenLevel);
    EXPECT_NE(read(level), handWrittenLevel);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(state.save(level));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(read(level + ".bak"), handWrittenLevel);

    state.unload();
    currentGameState = previous;

    // The saved level reads back cleanly with all of what was kept.
    GameState again(level);
    currentGameState = &again;
    testing::internal::CaptureStderr();
    again.load();
    again.initialize();
    const std::string againErrors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(againErrors.find("Error reading"), std::string::npos) << againErrors;
    EXPECT_EQ(again.entities.size(), 4u);
    EXPECT_TRUE(again.readWithErrors.empty());
    again.unload();
    currentGameState = previous;
}

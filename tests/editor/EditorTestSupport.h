// Levels for the level-state tests: level text with a hero and optional camera, written to a file of
// the test's own, and a receiver that counts the messages of one type.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/EventHandler.h"

// The hero ball (id 1) and, when asked, the level camera following nothing yet and a floor box.
inline std::string levelText(bool withCamera, bool withFloor = false, const std::string& resources = "") {
    std::string text = "Editor 2\nresourceFileName \"" + resources + "\"\nend\ncomponents\n";
    text += "Physics 0 0 GameStateComponent end end\n";
    if (withCamera)
        text +=
            "CameraComponent 0 0 GameStateComponent end camera PerspectiveCamera 0 pos 0 0 0 1 distance 6 "
            "rotateX -0.3 end targetDistance 3 adjustmentTime 0 targetEntity 0 end\n";
    text += "end\narchetypes end\nentities\n";
    text +=
        "Entity 1 id 1 components Body 1 0 Component end position 0 0 0 1 mass 1 shape Sphere 0 radius 1 end end "
        "Graphics 5 0 Component end diffuseColor 1 0 0 1 modelName sphere programName flat end end end\n";
    if (withFloor)
        text +=
            "Entity 1 id 2 components Body 1 0 Component end position 0 -3 0 1 shape Rect 0 size 50 1 50 0 end end "
            "Graphics 5 0 Component end diffuseColor 0 0 1 1 modelName box programName flat end end end\n";
    text += "end\nend\n";
    return text;
}

// A file in a folder of the running test's own (tests run in parallel processes).
inline std::string writeTestFile(const std::string& name, const std::string& text) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("tovik-editor-" + std::string(info->test_suite_name()) + "-" + info->name());
    std::filesystem::create_directories(folder);
    std::filesystem::path path = folder / name;
    std::ofstream(path) << text;
    return path.string();
}

// Counts the plain messages of one type that reach the global table.
class MessageCounter : public EventHandler {
public:
    explicit MessageCounter(int type) {
        registerGlobalHandler<Message>(type, this, [](MessageCounter& self, Message&) { ++self.count; });
    }
    int count = 0;
};

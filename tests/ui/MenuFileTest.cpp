// Menu files without a window: every shipped screen reads with its items, pictures and extra
// entities; menus write and read back alike; a menu named in a stream reads its items once; odd files
// (keys in any order, an empty part, "NULL" items, wrong counts, unknown keys, a missing file, too few
// items) are read or reported without a crash, and the actions are bound only to items that exist.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Configuration.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "graphics/Graphics.h"
#include "graphics/ScopedGameState.h"
#include "physics/Body.h"
#include "ui/BestTimesScreen.h"
#include "ui/MainMenu.h"
#include "ui/OptionsMenu.h"
#include "ui/PagedMenu.h"
#include "ui/PauseMenu.h"
#include "ui/QuitConfirm.h"
#include "ui/TextureTextComponent.h"

namespace {

// A file in this test process's own scratch folder under the working folder.
std::string writeTempFileForMenus(const std::string& name, const std::string& text) {
    const std::filesystem::path folder =
        std::filesystem::current_path() / "menu-test-files" / std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << text;
    return (std::filesystem::path("menu-test-files") / std::to_string(::getpid()) / name).string();
}

std::vector<std::string> itemTexts(const Menu& menu) {
    std::vector<std::string> texts;
    for (Entity* item : menu.options) texts.push_back(entityText(item));
    return texts;
}

std::string written(Menu& menu) {
    std::ostringstream text;
    {
        OStreamWrapper out(text);
        writeObject(out, menu);
    }
    return text.str();
}

// A pause menu read over from the text (its own file is read first by its constructor).
template <class M>
void readOver(M& menu, const std::string& text) {
    std::istringstream stream(text);
    IStreamWrapper in(stream, "test menu");
    readValue(in, static_cast<Menu&>(menu));
}

const char* const twoItems =
    "PauseMenu 0 0 Menu\n"
    "  options size 5\n"
    "    Entity 1 components TextureTextComponent 0 0 Component end text first end end end\n"
    "    NULL\n"
    "    Entity 1 components TextureTextComponent 0 0 Component end text second end end end\n"
    "    end\n"
    "  menuTexs size 1 pageOne pageTwo end\n"
    "  background Entity 1 end\n"
    "  end\n"
    "end\n";

class MenuFileTest : public ::testing::Test {
protected:
    // The options screen saves the settings when it goes: into this test's own folder.
    void SetUp() override {
        savedName = configuration.fileName;
        configuration.fileName = writeTempFileForMenus("config.cfg", "");
    }
    void TearDown() override { configuration.fileName = savedName; }

    ScopedGameState state;
    std::string savedName;
};

TEST_F(MenuFileTest, EveryScreenReadsItsItemsPicturesAndExtras) {
    testing::internal::CaptureStderr();
    MainMenu title;
    PauseMenu pause;
    OptionsMenu options;
    QuitConfirm quit;
    HowToPlayMenu howToPlay;
    Credits credits;
    BestTimesScreen bestTimes;
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string::npos, errors.find("menu file")) << errors;
    EXPECT_EQ(std::string::npos, errors.find("Could not open")) << errors;

    const std::vector<std::string> titleItems = itemTexts(title);
    ASSERT_EQ(8u, titleItems.size());
    EXPECT_EQ("Time Attack Mode", titleItems[1]);
    EXPECT_EQ("Super Time Attack", titleItems[2]);
    EXPECT_EQ(7u, pause.options.size());
    EXPECT_EQ(4u, options.options.size());
    EXPECT_EQ(3u, options.extraTexs.size());
    EXPECT_NE(std::string::npos, entityText(options.options[OptionsMenu::resolutionItem]).find("Resolution"));
    EXPECT_NE(nullptr, options.extraTexs[OptionsMenu::resolutionLabel]->getComponent<TextureTextComponent>());
    EXPECT_EQ(2u, quit.options.size());
    for (PagedMenu* paged : {static_cast<PagedMenu*>(&howToPlay), static_cast<PagedMenu*>(&credits)}) {
        EXPECT_EQ(3u, paged->options.size());
        EXPECT_GE(paged->menuTexs.size(), 2u);
    }
    EXPECT_EQ(1u, bestTimes.options.size());
    EXPECT_EQ(12u, bestTimes.extraTexs.size());

    // Every item can be told by its text, and stands on the screen with a body and a drawing.
    for (Menu* menu : std::initializer_list<Menu*>{&title, &pause, &options, &quit, &howToPlay, &credits, &bestTimes}) {
        EXPECT_FALSE(menu->menuTexs.empty()) << menu->fileName;
        EXPECT_NE(nullptr, menu->background.getComponent<Graphics>()) << menu->fileName;
        for (Entity* item : menu->options) {
            EXPECT_FALSE(entityText(item).empty()) << menu->fileName;
            EXPECT_NE(nullptr, item->getComponent<Body>()) << menu->fileName;
            EXPECT_NE(nullptr, item->getComponent<Graphics>()) << menu->fileName;
        }
    }
}

TEST_F(MenuFileTest, WrittenMenusReadBackAliveAndAMenuNamedInAStreamReadsItsItemsOnce) {
    OptionsMenu options;
    const std::string text = written(options);
    EXPECT_NE(std::string::npos, text.find("extraTexs")) << text;

    // Through the type registry, as a level naming the class would: the file, then the stream, once.
    std::istringstream stream(text);
    IStreamWrapper in(stream);
    Type* type = findType("OptionsMenu");
    ASSERT_NE(nullptr, type);
    auto* copy = static_cast<OptionsMenu*>(type->createAndRead(in));
    EXPECT_FALSE(in.hasFailed());
    EXPECT_EQ(itemTexts(options), itemTexts(*copy));
    EXPECT_EQ(options.menuTexs, copy->menuTexs);
    EXPECT_EQ(options.extraTexs.size(), copy->extraTexs.size());
    EXPECT_EQ(entityText(options.extraTexs[2]), entityText(copy->extraTexs[2]));
    EXPECT_EQ(text, written(*copy));
    type->destroy(copy);

    // A copy owns clones of everything: deleting it leaves the original whole.
    std::unique_ptr<Menu> clone(options.clone());
    ASSERT_EQ(options.extraTexs.size(), static_cast<OptionsMenu&>(*clone).extraTexs.size());
    EXPECT_NE(options.extraTexs[0], static_cast<OptionsMenu&>(*clone).extraTexs[0]);
    EXPECT_NE(options.options[0], clone->options[0]);
    clone.reset();
    EXPECT_EQ("Resolution", entityText(options.options[2]));
}

TEST_F(MenuFileTest, KeysInAnyOrderNullItemsAndWrongCountsAreRead) {
    PauseMenu menu;
    testing::internal::CaptureStderr();
    readOver(menu, twoItems);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), itemTexts(menu));
    EXPECT_EQ((std::vector<std::string>{"pageOne", "pageTwo"}), menu.menuTexs);
    EXPECT_TRUE(menu.background.components.empty());

    // A part holding only "end" empties the menu and still reads the closing "end".
    std::istringstream stream("PauseMenu 0 0 Menu end end PauseMenu");
    IStreamWrapper in(stream);
    readValue(in, static_cast<Menu&>(menu));
    EXPECT_TRUE(menu.options.empty());
    EXPECT_TRUE(menu.menuTexs.empty());
    std::string next;
    in.readToken(next);
    EXPECT_EQ("PauseMenu", next);

    // An unknown key is reported and ends the reading; what came before it stays.
    testing::internal::CaptureStderr();
    readOver(menu, "PauseMenu 0 0 Menu menuTexs kept end colours red end end");
    const std::string unknown = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, unknown.find("colours")) << unknown;
    EXPECT_EQ(std::vector<std::string>{"kept"}, menu.menuTexs);
}

TEST_F(MenuFileTest, MissingFilesAndShortListsAreReportedOnceAndBindOnlyWhatExists) {
    const std::string path = writeTempFileForMenus("short.menu", twoItems);
    PauseMenu menu;
    testing::internal::CaptureStderr();
    menu.loadFile(path);
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, errors.find("\"" + path + "\" lists 2 of its 7 items")) << errors;
    EXPECT_EQ(2u, menu.options.size());
    // The two items there are carry their actions: the first resumes.
    menu.chooseItem(0);
    EXPECT_TRUE(menu.resumeRequested);
    menu.chooseItem(5);  // no such item: nothing happens

    testing::internal::CaptureStderr();
    menu.loadFile("Content/Menus/no-such.menu");
    errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, errors.find("no-such.menu")) << errors;
    EXPECT_EQ(1u, std::count(errors.begin(), errors.end(), '\n')) << errors;
    EXPECT_TRUE(menu.options.empty());
    EXPECT_EQ(nullptr, menu.currentItemEntity());
    menu.selectNext();
    menu.chooseCurrentItem();
}

}  // namespace

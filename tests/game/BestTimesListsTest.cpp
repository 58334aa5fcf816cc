// Best-times lists: the exact layout of "lists.tm", reading it back, damaged files (their whole entries
// kept, the file kept as ".bak" before the first record), the file looked for only at first use, names,
// and which runs enter which list where.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/BestTimesLists.h"
#include "GameScene.h"
#include "platform/UserName.h"

namespace {

BestTimesLists listsOf(std::vector<BestTime> atk, std::vector<BestTime> super) {
    BestTimesLists lists;
    lists.atkMode = std::move(atk);
    lists.superAtk = std::move(super);
    return lists;
}

std::vector<BestTime> fiveOf(const char* name, std::initializer_list<std::pair<int, int>> times) {
    std::vector<BestTime> list;
    for (auto [min, sec] : times) list.emplace_back(name, min, sec);
    return list;
}

}  // namespace

TEST(BestTimesFile, IsWrittenTokenByTokenInTheKnownLayoutAndReadsBackUnchanged) {
    const auto folder = gameScratchFolder("layout");
    BestTimesLists lists = listsOf({{"speedrunner0001", 1, 42}, {"Ann Lee", 2, 5}}, {{"speedrunner0001", 3, 0}});
    lists.fileName = (folder / "lists.tm").string();
    ASSERT_TRUE(lists.save());

    const std::string expected =
        "BestTimesLists 0 \n"
        "atkMode \n"
        "\tBestTime 0 \n"
        "\t\tname speedrunner0001 \n"
        "\t\tmin 1 \n"
        "\t\tsec 42 \n"
        "\t\tend \n"
        "\tBestTime 0 \n"
        "\t\tname \"Ann Lee\" \n"
        "\t\tmin 2 \n"
        "\t\tsec 5 \n"
        "\t\tend \n"
        "\tend \n"
        "superAtk \n"
        "\tBestTime 0 \n"
        "\t\tname speedrunner0001 \n"
        "\t\tmin 3 \n"
        "\t\tsec 0 \n"
        "\t\tend \n"
        "\tend \n"
        "end ";
    EXPECT_EQ(readFile(folder / "lists.tm"), expected);

    BestTimesLists again;
    EXPECT_TRUE(again.load(lists.fileName, "nowhere/lists.tm"));
    EXPECT_EQ(again.atkMode, lists.atkMode);
    EXPECT_EQ(again.superAtk, lists.superAtk);
    ASSERT_TRUE(again.save());
    EXPECT_EQ(readFile(folder / "lists.tm"), expected);

    // The shipped lists: five entries each, sorted, and already in the layout a save writes.
    BestTimesLists shipped;
    ASSERT_TRUE(shipped.load((folder / "none.tm").string(), std::string(TOVIK_SOURCE_DIR) + "/Content/lists.tm"));
    ASSERT_EQ(shipped.atkMode.size(), 5u);
    ASSERT_EQ(shipped.superAtk.size(), 5u);
    EXPECT_TRUE(std::is_sorted(shipped.atkMode.begin(), shipped.atkMode.end(), fasterThan));
    EXPECT_TRUE(std::is_sorted(shipped.superAtk.begin(), shipped.superAtk.end(), fasterThan));
    ASSERT_TRUE(shipped.save());
    EXPECT_EQ(readFile(folder / "none.tm"), readFile(std::string(TOVIK_SOURCE_DIR) + "/Content/lists.tm"));
}

TEST(BestTimesFile, DamagedFilesKeepEveryWholeEntryReadAndAreKeptAsBakBeforeTheFirstRecord) {
    const auto folder = gameScratchFolder("broken");
    const std::string shippedPath = (folder / "shipped.tm").string();
    BestTimesLists shipped = listsOf(fiveOf("maker", {{1, 0}, {2, 0}}), fiveOf("maker", {{3, 0}}));
    shipped.fileName = shippedPath;
    ASSERT_TRUE(shipped.save());
    const std::string whole = readFile(shippedPath);

    // The player's own eight entries, damaged on disk as a crash or a hand edit leaves them.
    const std::string kept = (folder / "kept.tm").string();
    const auto atk = fiveOf("Ann  Lee", {{0, 50}, {1, 10}, {1, 20}, {1, 30}, {1, 40}});
    const auto super = fiveOf("Ann  Lee", {{2, 10}, {2, 20}, {2, 30}});
    BestTimesLists player = listsOf(atk, super);
    player.fileName = kept;
    ASSERT_TRUE(player.save());
    const std::string mine = readFile(kept);
    const std::string noNumber = std::string(mine).replace(mine.find("min 1 \n\t\tsec 20"), 5, "min x");
    struct Damaged {
        std::string text;
        std::vector<BestTime> atk, super;
        bool reported;
        std::string line = "";  // in what is reported
    };
    const std::string stray = std::string(mine).insert(mine.find("\tBestTime", mine.find("sec 10")), "\tjunkword \n");
    const std::string noMinutes = std::string(mine).erase(mine.find("min 1 \n\t\tsec 20"), 9);
    // Only the last "end" lost (both lists whole); cut inside an entry; cut after one; a time that is not
    // a number; then nothing readable at all, which leaves the shipped lists in use.
    for (const Damaged& damaged : {
             Damaged{mine.substr(0, mine.size() - 4), atk, super, false},
             Damaged{mine.substr(0, mine.rfind("sec")), atk, fiveOf("Ann  Lee", {{2, 10}, {2, 20}}), true},
             Damaged{mine.substr(0, mine.rfind("\tend")), atk, super, true},
             Damaged{noNumber, fiveOf("Ann  Lee", {{0, 50}, {1, 10}, {1, 30}, {1, 40}}), super, true},
             // Cut inside the first list: the second comes from the shipped lists, not left empty.
             Damaged{mine.substr(0, mine.find("sec 20")), fiveOf("Ann  Lee", {{0, 50}, {1, 10}}), shipped.superAtk, true},
             Damaged{stray, atk, super, true, "\"junkword\""},
             Damaged{noMinutes, fiveOf("Ann  Lee", {{0, 50}, {1, 10}, {1, 30}, {1, 40}}), super, true, "no \"min\""},
             Damaged{"", shipped.atkMode, shipped.superAtk, true},
             Damaged{"BestTimesLists 0 atkMode BestTime 0 name \"unclosed", shipped.atkMode, shipped.superAtk, true},
             Damaged{"BestTimesLists 0 atkMode size 99999 BestTime", shipped.atkMode, shipped.superAtk, true},
         }) {
        std::filesystem::remove(kept + ".bak");
        writeFile(kept, damaged.text);
        BestTimesLists lists;
        const std::string errors = capturedErrors([&] { EXPECT_EQ(lists.load(kept, shippedPath), !damaged.reported); });
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), damaged.reported ? 1 : 0) << damaged.text << errors;
        EXPECT_NE(errors.find(damaged.line), std::string::npos) << errors;
        EXPECT_EQ(lists.atkMode, damaged.atk) << damaged.text;
        EXPECT_EQ(lists.superAtk, damaged.super) << damaged.text;
        EXPECT_EQ(lists.fileName, kept);

        // The first record keeps the damaged file as it was; the next writes freely.
        EXPECT_TRUE(lists.submitTimeAttack(BestTime("", 0, 1)));
        EXPECT_EQ(std::filesystem::exists(kept + ".bak"), damaged.reported) << damaged.text;
        const std::string backup = damaged.reported ? damaged.text : "";
        EXPECT_EQ(readFile(kept + ".bak"), backup);
        EXPECT_TRUE(lists.submitSuperTimeAttack(BestTime("", 0, 1)));
        EXPECT_EQ(readFile(kept + ".bak"), backup);
        BestTimesLists saved;
        EXPECT_TRUE(saved.load(kept, shippedPath));
        EXPECT_EQ(saved.atkMode, lists.atkMode);
        EXPECT_EQ(saved.superAtk, lists.superAtk);
    }

    // No kept file yet: the shipped copy, silently; the first record is written to the kept place.
    std::filesystem::remove(kept);
    BestTimesLists fresh;
    EXPECT_EQ(capturedErrors([&] { EXPECT_TRUE(fresh.load(kept, shippedPath)); }), "");
    EXPECT_TRUE(fresh.submitTimeAttack(BestTime("", 0, 30)));
    EXPECT_EQ(readFile(shippedPath), whole);
    BestTimesLists reread;
    EXPECT_TRUE(reread.load(kept, shippedPath));
    EXPECT_EQ(reread.atkMode.front(), BestTime(recordedName(getUserName()), 0, 30));

    // Neither file: one line, empty lists, and a run still enters.
    BestTimesLists empty;
    const std::string errors =
        capturedErrors([&] { EXPECT_FALSE(empty.load((folder / "a.tm").string(), (folder / "b.tm").string())); });
    EXPECT_NE(errors.find("Could not open file"), std::string::npos) << errors;
    EXPECT_TRUE(empty.atkMode.empty());
    EXPECT_TRUE(empty.submitSuperTimeAttack(BestTime("", 7, 7)));
    EXPECT_EQ(empty.superAtk.size(), 1u);
    EXPECT_TRUE(empty.atkMode.empty());

    // A place that cannot be written: reported, false, the lists in memory keep the record.
    writeFile(folder / "plain", "x");
    BestTimesLists unwritable = listsOf(fiveOf("maker", {{1, 0}}), {});
    unwritable.fileName = (folder / "plain" / "lists.tm").string();
    std::string saveErrors = capturedErrors([&] { EXPECT_TRUE(unwritable.submitTimeAttack(BestTime("", 0, 1))); });
    EXPECT_NE(saveErrors.find("Could not open file \"" + unwritable.fileName + "\": "), std::string::npos) << saveErrors;
    EXPECT_EQ(unwritable.atkMode.front().sec, 1);
    EXPECT_FALSE(unwritable.save());
}

TEST(BestTimesFile, IsLookedForAtItsFirstUseNotWhenAProgramStarts) {
    // This program links the time-attack code: started away from the game's folders, it lists its
    // tests without a word about the best-times file.
    const auto folder = gameScratchFolder("elsewhere");
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "cd '" + folder.string() + "' && XDG_DATA_HOME='" + folder.string() + "' '" + self +
                                "' --gtest_list_tests >/dev/null 2>errors.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string errors = readFile(folder / "errors.txt");
    EXPECT_EQ(errors.find("lists.tm"), std::string::npos) << errors;
}

TEST(BestTimesSubmission, RecordsEnterAtTheirPlaceAndReplaceTheSlowestInTheirOwnListOnly) {
    const auto folder = gameScratchFolder("submit");
    const std::string me = recordedName(getUserName());
    const auto original = fiveOf("old", {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 59}});
    BestTimesLists lists = listsOf(original, original);
    lists.fileName = (folder / "lists.tm").string();

    // Not a record: as slow as the slowest, or slower. Nothing is written.
    EXPECT_FALSE(lists.submitTimeAttack(BestTime("ignored", 4, 59)));
    EXPECT_FALSE(lists.submitSuperTimeAttack(BestTime("", 5, 0)));
    EXPECT_FALSE(std::filesystem::exists(lists.fileName));
    EXPECT_EQ(lists.atkMode, original);

    // Bottom: 4:58 drops 4:59.
    EXPECT_TRUE(lists.submitTimeAttack(BestTime("ignored", 4, 58)));
    EXPECT_EQ(lists.atkMode.back(), BestTime(me, 4, 58));
    EXPECT_EQ(lists.superAtk, original);
    // Middle, tied with 2:00: after the older entry.
    EXPECT_TRUE(lists.submitTimeAttack(BestTime("", 2, 0)));
    EXPECT_EQ(lists.atkMode[1], BestTime("old", 2, 0));
    EXPECT_EQ(lists.atkMode[2], BestTime(me, 2, 0));
    // Top.
    EXPECT_TRUE(lists.submitTimeAttack(BestTime("", 0, 59)));
    EXPECT_EQ(lists.atkMode.front(), BestTime(me, 0, 59));
    ASSERT_EQ(lists.atkMode.size(), 5u);
    EXPECT_EQ(lists.atkMode.back(), BestTime("old", 3, 0));

    // The other mode alike, into its own list.
    EXPECT_TRUE(lists.submitSuperTimeAttack(BestTime("", 3, 30)));
    EXPECT_EQ(lists.superAtk[3], BestTime(me, 3, 30));
    EXPECT_EQ(lists.superAtk.back(), BestTime("old", 4, 0));

    // Every record saved both lists as they are now.
    BestTimesLists saved;
    EXPECT_TRUE(saved.load(lists.fileName, "nowhere.tm"));
    EXPECT_EQ(saved.atkMode, lists.atkMode);
    EXPECT_EQ(saved.superAtk, lists.superAtk);

    // Entries read out of order are kept so until a record sorts their list.
    BestTimesLists unsorted = listsOf(fiveOf("x", {{3, 0}, {1, 0}, {9, 0}}), {});
    unsorted.fileName = lists.fileName;
    EXPECT_EQ(unsorted.atkMode[0].min, 3);
    EXPECT_TRUE(unsorted.submitTimeAttack(BestTime("", 2, 0)));
    EXPECT_EQ(unsorted.atkMode, (std::vector<BestTime>{{"x", 1, 0}, {me, 2, 0}, {"x", 3, 0}}));
    EXPECT_EQ(unsorted.listOfMode(1), &unsorted.atkMode);
    EXPECT_EQ(unsorted.listOfMode(2), &unsorted.superAtk);
    EXPECT_EQ(unsorted.listOfMode(0), nullptr);
}

TEST(BestTimesNames, AreRecordedAsGivenInFifteenCharactersAndShownWithTheirTrueTimes) {
    EXPECT_EQ(recordedName("jo"), "jo             ");
    EXPECT_EQ(recordedName("abcdefghijklmnopqrst"), "abcdefghijklmno");
    EXPECT_EQ(recordedName("  Ann \t  Lee\n"), "  Ann \t  Lee\n  ");
    EXPECT_EQ(recordedName("abcdefghijklmn opq"), "abcdefghijklmn ");
    EXPECT_EQ(recordedName(""), "Username       ");
    EXPECT_EQ(recordedName("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9x1234567"),
              "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9x123456");

    // Names of files written before, kept without their padding, still line up; none is cut.
    EXPECT_EQ(shownName("jo"), "jo             ");
    EXPECT_EQ(shownName("a name much longer than fifteen"), "a name much longer than fifteen");
    EXPECT_EQ(shownName("\xc3\xa9t\xc3\xa9"), "\xc3\xa9t\xc3\xa9            ");
    EXPECT_EQ(bestTimeLine(BestTime("jo", 2, 5)), "jo                  02:05");
    EXPECT_EQ(bestTimeLine(BestTime(recordedName("Ann   Lee"), 75, 3)), "Ann   Lee           75:03");
    EXPECT_EQ(bestTimeLine(BestTime("speedrunner0001", 3, 90)), "speedrunner0001     03:90");
    EXPECT_EQ(bestTimeLine(BestTime("speedrunner0001", 0, -3)), "speedrunner0001     00:00");

    // A recorded name, whatever the user name was, reads back from the file exactly.
    const auto folder = gameScratchFolder("names");
    for (const std::string user :
         {"jo", "Ann   Lee", "tab\tand\nline", " \"quoted\"  name ", "back\\slash", "end", "NULL"}) {
        BestTimesLists lists = listsOf({BestTime(recordedName(user), 1, 1)}, {});
        lists.fileName = (folder / "lists.tm").string();
        ASSERT_TRUE(lists.save());
        BestTimesLists again;
        EXPECT_TRUE(again.load(lists.fileName, "nowhere.tm")) << user;
        ASSERT_EQ(again.atkMode.size(), 1u) << user;
        EXPECT_EQ(again.atkMode[0].name, recordedName(user));
    }
}

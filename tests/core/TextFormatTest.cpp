// The text format: round trips of every value kind, objects, pointers, containers and maps; comments,
// "externalFiles", "function" and loading progress; and readers that must stop on bad input.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/FileReader.h"
#include "core/Function.h"
#include "core/IStreamWrapper.h"
#include "core/ObjectCounter.h"
#include "core/OStreamWrapper.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "core/TextFormatTestClasses.h"

namespace fs = std::filesystem;

static const auto& itemType = coreTestItemType;
static const auto& leafType = coreTestLeafType;
static const auto& nodeType = coreTestNodeType;
static const auto& strangerType = coreTestStrangerType;

namespace {

template <class T>
std::string toText(const T& value) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writeValue(out, value);
    return text.str();
}

// Reads a value from text; returns what went to std::cerr.
template <class T>
std::string fromText(const std::string& text, T& value, const std::string& name = "sample.txt") {
    std::istringstream stream(text);
    IStreamWrapper in(stream, name);
    testing::internal::CaptureStderr();
    readValue(in, value);
    return testing::internal::GetCapturedStderr();
}

template <class T>
T roundTrip(const T& value) {
    T result{};
    const std::string errors = fromText(toText(value), result);
    EXPECT_EQ(errors, "") << toText(value);
    return result;
}

int lineCount(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

class TempFolder {
public:
    TempFolder() {
        path = fs::temp_directory_path() / ("tovik-text-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
    void write(const std::string& name, const std::string& text) const { std::ofstream(file(name)) << text; }
    fs::path path;

private:
    static inline int counter = 0;
};

std::vector<float> progressSeen;
void recordProgress(float position) { progressSeen.push_back(position); }

// Wraps like the hardware instead of overflowing: garbage input may hand it any number.
int doubled(int value) { return static_cast<int>(static_cast<unsigned>(value) * 2u); }
CoreTestLeaf makeLeaf() {
    CoreTestLeaf leaf;
    leaf.count = 99;
    return leaf;
}
Vector4 unitX() { return Vector4(1, 0, 0, 0); }

class TextFormat : public testing::Test {
protected:
    void SetUp() override {
        registerCoreFunctions();
        registerFunction<int(int)>("coreTestDouble", &doubled);
        registerFunction<CoreTestLeaf()>("coreTestMakeLeaf", &makeLeaf);
        registerFunction<Vector4()>("coreTestUnitX", &unitX);
        progressSeen.clear();
        progressBarStart = 0.0f;
        progressBarEnd = 1.0f;
        setLoadProgressListener(&recordProgress);
    }
    void TearDown() override { setLoadProgressListener(nullptr); }
};

void fillSample(CoreTestNode& node) {
    node.disabled = true;
    auto leaf = std::make_unique<CoreTestLeaf>();
    leaf->count = -3;
    leaf->label = "two words";
    leaf->color = Vector4(0.25f, 0.5f, 0.75f, 1);
    node.children.push_back(std::move(leaf));
    node.children.push_back(nullptr);
    node.children.push_back(std::make_unique<CoreTestItem>());
    auto offset = std::make_unique<CoreTestOffset>();
    offset->extra = 11;
    offset->disabled = true;
    node.children.push_back(std::move(offset));
    node.tags = {"end", "size", "plain", "with blank", "", "\"quote", "tab\there", "//not a comment", "NULL"};
    node.scores = {{"alpha", 1}, {"beta", -2}, {"end", 3}};
    node.named["first"] = std::make_unique<CoreTestLeaf>();
    node.named["second"] = nullptr;
    node.grid = {{1, 2}, {}, {3}};
    node.plain = new CoreTestItem();
    node.plain->disabled = true;
    node.shared = std::make_shared<CoreTestLeaf>();
    node.flags = {true, false, true};
}

void expectSameNode(const CoreTestNode& a, const CoreTestNode& b) {
    EXPECT_EQ(a.disabled, b.disabled);
    ASSERT_EQ(a.children.size(), b.children.size());
    for (std::size_t i = 0; i < a.children.size(); ++i) {
        ASSERT_EQ(a.children[i] == nullptr, b.children[i] == nullptr) << i;
        if (!a.children[i]) {
            continue;
        }
        EXPECT_EQ(typeid(*a.children[i]), typeid(*b.children[i])) << i;
        EXPECT_EQ(a.children[i]->disabled, b.children[i]->disabled) << i;
    }
    EXPECT_EQ(a.tags, b.tags);
    EXPECT_EQ(a.scores, b.scores);
    ASSERT_EQ(a.named.size(), b.named.size());
    for (const auto& [key, value] : a.named) {
        ASSERT_TRUE(b.named.count(key)) << key;
        EXPECT_EQ(value == nullptr, b.named.at(key) == nullptr) << key;
    }
    EXPECT_EQ(a.grid, b.grid);
    ASSERT_EQ(a.plain == nullptr, b.plain == nullptr);
    if (a.plain) {
        EXPECT_EQ(a.plain->disabled, b.plain->disabled);
    }
    ASSERT_EQ(a.shared == nullptr, b.shared == nullptr);
    EXPECT_EQ(a.flags, b.flags);
}

}  // namespace

// --- Values ---

TEST_F(TextFormat, ScalarsRoundTrip) {
    EXPECT_EQ(roundTrip(-123456), -123456);
    EXPECT_EQ(roundTrip(4000000000u), 4000000000u);
    EXPECT_EQ(roundTrip(0.1f), 0.1f);
    EXPECT_FLOAT_EQ(roundTrip(-2.5e-7f), -2.5e-7f);
    EXPECT_EQ(roundTrip(true), true);
    EXPECT_EQ(roundTrip(false), false);
    EXPECT_EQ(roundTrip('z'), 'z');
    EXPECT_EQ(roundTrip(static_cast<short>(-300)), -300);
    EXPECT_EQ(roundTrip(-9000000000LL), -9000000000LL);
    EXPECT_DOUBLE_EQ(roundTrip(123.456), 123.456);
    EXPECT_EQ(toText(1.0f / 3.0f), "0.333333 ") << "floating values keep six significant digits";
}

TEST_F(TextFormat, StringsThatNeedQuotingRoundTrip) {
    const std::vector<std::string> samples = {
        "plain", "two words", "", " ", " leading blank", "trailing blank ", std::string("\0nul inside", 11), "a\tb", "line\nbreak", "cr\rhere", "\"leading quote",
        "inner \"quoted\" words", "C:\\textures\\new file.png", "back\\slash", "slash\\\nthen line end", "\\\t",
        "end", "NULL", "size", "function", "externalFiles", "archetype", "//comment", "\"", "\\\"", "a\\\\b c",
    };
    for (const std::string& sample : samples) EXPECT_EQ(roundTrip(sample), sample) << toText(sample);
    // Inside quotes a backslash before the closing quote would escape it: such backslashes become '/'.
    EXPECT_EQ(roundTrip(std::string("My Levels\\")), "My Levels/");
}

TEST_F(TextFormat, StringWritingFollowsTheBlankRules) {
    EXPECT_EQ(toText(std::string("two words")), "\"two words\" ");
    EXPECT_EQ(toText(std::string("")), "\"\" ");
    EXPECT_EQ(toText(std::string("bare")), "bare ");
    EXPECT_EQ(toText(std::string("a ")), "\"a \" ") << "a trailing blank is kept by quoting";
    EXPECT_EQ(toText(std::string("say \"hi\"")), "\"say \\\"hi\\\"\" ");
    std::string value;
    fromText("a ", value);
    EXPECT_EQ(value, "a") << "bare text has no trailing blank";
    fromText(toText(std::string("a ")), value);
    EXPECT_EQ(value, "a ");
    fromText(toText(std::string("a  b")), value);
    EXPECT_EQ(value, "a  b") << "white space inside quotes reads back as it stands";
}

TEST_F(TextFormat, QuotedStringsAreJoinedAndUnescaped) {
    std::string value;
    fromText("\"\"", value);
    EXPECT_EQ(value, "");
    fromText("\"one two\tthree\"", value);
    EXPECT_EQ(value, "one two\tthree");
    fromText("\"a \\\" b\"", value);
    EXPECT_EQ(value, "a \" b");
    fromText("\" x\"", value);
    EXPECT_EQ(value, " x");
    fromText("\"path\\with\\my\\special\\letters\"", value);
    EXPECT_EQ(value, "path\\with\\my\\special\\letters") << "a backslash before another letter stays";
}

TEST_F(TextFormat, UnterminatedQuotedStringIsReportedAndLeavesTheValue) {
    std::string value;
    value = "before";
    const std::string errors = fromText("\"never closed words", value);
    EXPECT_EQ(value, "before") << "a string cut short is not taken";
    EXPECT_EQ(lineCount(errors), 1);
    EXPECT_NE(errors.find("quoted string"), std::string::npos);
}

TEST_F(TextFormat, VectorsAndQuaternionsRoundTrip) {
    const Vector4 v(1.5f, -2, 0.125f, 1);
    EXPECT_EQ(toText(v), "1.5 -2 0.125 1 ");
    EXPECT_TRUE(roundTrip(v) == v);
    const Quaternion q(0, 0.7071068f, 0, 0.7071068f);
    const Quaternion back = roundTrip(q);
    EXPECT_NEAR(back.y(), q.y(), 1e-6);
    EXPECT_NEAR(back.w(), q.w(), 1e-6);
}

TEST_F(TextFormat, EnumsTravelAsNumbers) {
    enum class Mode { off = 0, slow = 4, fast = 9 };
    EXPECT_EQ(toText(Mode::fast), "9 ");
    EXPECT_EQ(roundTrip(Mode::slow), Mode::slow);
}

TEST_F(TextFormat, CommentLinesBeforeAValueAreSkipped) {
    int value = 0;
    EXPECT_EQ(fromText("// first\n  // second line\n42", value), "");
    EXPECT_EQ(value, 42);
    std::string text;
    fromText("5//x", text);
    EXPECT_EQ(text, "5//x") << "slashes that do not start the token are no comment";
    fromText("5//x", value);
    EXPECT_EQ(value, 5);
}

// --- Objects ---

TEST_F(TextFormat, ObjectLayoutHasHeaderBasePartAndOneLinePerField) {
    CoreTestLeaf leaf;
    EXPECT_EQ(toText(leaf),
              "CoreTestLeaf 2 \n"
              "0 Item \n"
              "\tdisabled 0 \n"
              "\tend \n"
              "count 7 \n"
              "speed 1.5 \n"
              "label leaf \n"
              "color 1 0.5 0 1 \n"
              "small 3 \n"
              "letter q \n"
              "precise 0.25 \n"
              "end ");
}

TEST_F(TextFormat, ObjectsRoundTrip) {
    CoreTestLeaf leaf;
    leaf.disabled = true;
    leaf.count = 1 << 30;
    leaf.speed = -0.001f;
    leaf.label = "\ttabbed label";
    leaf.color = Vector4(0.1f, 0.2f, 0.3f, 0.4f);
    leaf.small = 65535;
    leaf.letter = '#';
    leaf.precise = 1e-300;
    CoreTestLeaf back;
    back.count = 0;
    EXPECT_EQ(fromText(toText(leaf), back), "");
    EXPECT_EQ(back.disabled, true);
    EXPECT_EQ(back.count, leaf.count);
    EXPECT_EQ(back.speed, leaf.speed);
    EXPECT_EQ(back.label, leaf.label);
    EXPECT_TRUE(back.color == leaf.color);
    EXPECT_EQ(back.small, leaf.small);
    EXPECT_EQ(back.letter, leaf.letter);
    EXPECT_DOUBLE_EQ(back.precise, leaf.precise);
    EXPECT_EQ(back.oldFormatSeen, 2);
}

TEST_F(TextFormat, KeysInAnyOrderAndMissingKeysKeepTheirValues) {
    CoreTestLeaf leaf;
    EXPECT_EQ(fromText("Whatever 2 0 Item end label reversed speed 4 count 9 end", leaf), "");
    EXPECT_EQ(leaf.count, 9);
    EXPECT_EQ(leaf.speed, 4.0f);
    EXPECT_EQ(leaf.label, "reversed");
    EXPECT_EQ(leaf.small, 3) << "absent keys keep the constructor's value";
    EXPECT_TRUE(leaf.color == Vector4(1, 0.5f, 0, 1));
}

TEST_F(TextFormat, VersionIsHandedToTheReaderWhichMayReadAnOldLayout) {
    CoreTestLeaf leaf;
    EXPECT_EQ(fromText("CoreTestLeaf 0 0 Item disabled 1 end 12 2.5", leaf), "");
    EXPECT_EQ(leaf.oldFormatSeen, 0);
    EXPECT_TRUE(leaf.disabled);
    EXPECT_EQ(leaf.count, 12);
    EXPECT_EQ(leaf.speed, 2.5f);
}

TEST_F(TextFormat, NodeWithContainersMapsAndPointersRoundTripsAndWritesTheSameTextAgain) {
    CoreTestNode original;
    fillSample(original);
    const std::string text = toText(original);
    CoreTestNode back;
    EXPECT_EQ(fromText(text, back), "") << text;
    expectSameNode(original, back);
    auto* leaf = dynamic_cast<CoreTestLeaf*>(back.children[0].get());
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->count, -3);
    EXPECT_EQ(leaf->label, "two words");
    auto* offset = dynamic_cast<CoreTestOffset*>(back.children[3].get());
    ASSERT_NE(offset, nullptr) << "the item part of a class whose base is not first is found";
    EXPECT_EQ(offset->extra, 11);
    EXPECT_TRUE(offset->disabled);
    EXPECT_EQ(toText(back), text);
}

TEST_F(TextFormat, ContainersAppendAndEndAtEndWithOrWithoutSize) {
    std::vector<int> values = {1};
    EXPECT_EQ(fromText("size 2 \n 2 3 end", values), "");
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(fromText("4 // comment\n 5 end", values), "");
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(fromText("size 1 6 7 8 end", values), "") << "the count does not limit the elements";
    EXPECT_EQ(values.size(), 8u);
    EXPECT_TRUE(progressSeen.empty()) << "no progress without the progressBar attribute";
}

TEST_F(TextFormat, ContainerSizeLineIsWrittenOnlyWithProgressBar) {
    std::vector<int> values = {4, 5};
    EXPECT_EQ(toText(values), "\n4 \n5 \nend ") << "an indent shows only inside an element that spans lines";
    std::ostringstream text;
    OStreamWrapper out(text);
    out.attributes["progressBar"] = "yes";
    writeValue(out, values);
    EXPECT_EQ(text.str(), "\nsize 2 4 \n5 \nend ");
}

TEST_F(TextFormat, ContainerWithProgressPostsEachElementWithinTheSpan) {
    std::istringstream stream("size 4 a b c d end");
    IStreamWrapper in(stream);
    in.attributes = {{"progressBar", "yes"}, {"progressBarStart", "0.1 "}, {"progressBarEnd", "0.2 "}};
    std::vector<std::string> values;
    readValue(in, values);
    ASSERT_EQ(progressSeen.size(), 5u);
    const float expected[] = {0.1f, 0.125f, 0.15f, 0.175f, 0.2f};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(progressSeen[i], expected[i], 1e-6) << i;
    EXPECT_TRUE(in.attributes.empty()) << "the progress attributes are consumed";
    EXPECT_NEAR(getLoadProgress(), 0.2f, 1e-6);
}

TEST_F(TextFormat, ContainerProgressWithBadCountsStaysInsideTheBar) {
    std::istringstream stream("size 0 a b end");
    IStreamWrapper in(stream);
    in.attributes = {{"progressBar", "yes"}, {"progressBarStart", "0.5"}, {"progressBarEnd", ""}};
    std::vector<std::string> values;
    readValue(in, values);
    EXPECT_EQ(values.size(), 2u);
    for (float p : progressSeen) EXPECT_TRUE(p >= 0.0f && p <= 1.0f) << p;
}

TEST_F(TextFormat, MapKeepsTheFirstValueOfARepeatedKeyAndFreesTheLaterOne) {
    std::map<std::string, int> scores;
    EXPECT_EQ(fromText("a 1 b 2 a 3 end", scores), "");
    EXPECT_EQ(scores, (std::map<std::string, int>{{"a", 1}, {"b", 2}}));
    const int before = CoreTestItem::liveCount;
    {
        std::map<std::string, std::unique_ptr<CoreTestItem>> items;
        EXPECT_EQ(fromText("x CoreTestItem 0 end x CoreTestLeaf 2 0 Item end end end", items), "");
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(typeid(*items["x"]), typeid(CoreTestItem));
        EXPECT_EQ(CoreTestItem::liveCount, before + 1);
    }
    EXPECT_EQ(CoreTestItem::liveCount, before);
}

TEST_F(TextFormat, NestedContainersWithEmptyMembersRoundTrip) {
    const std::vector<std::vector<int>> grid = {{}, {1, 2}, {}, {3}};
    EXPECT_EQ(roundTrip(grid), grid);
    const std::vector<std::vector<std::vector<int>>> deep = {{{}}, {}, {{4}, {}}};
    EXPECT_EQ(roundTrip(deep), deep);
    const std::map<int, std::vector<std::string>> groups = {{0, {}}, {1, {"end", "size"}}};
    EXPECT_EQ(roundTrip(groups), groups);
    const std::vector<std::map<std::string, int>> maps = {{}, {{"a", 1}}};
    EXPECT_EQ(roundTrip(maps), maps);
}

TEST_F(TextFormat, UnorderedMapsAreWrittenInKeyOrder) {
    std::unordered_map<std::string, int> map = {{"zeta", 1}, {"alpha", 2}, {"mid", 3}};
    EXPECT_EQ(toText(map), "\nalpha \n2 \nmid \n3 \nzeta \n1 \nend ");
    EXPECT_EQ(roundTrip(map), map);
}

// --- Pointers and the registry ---

TEST_F(TextFormat, NullFreesWhatAnOwningPointerHeldButNotAPlainOne) {
    const int before = CoreTestItem::liveCount;
    std::unique_ptr<CoreTestItem> owning = std::make_unique<CoreTestItem>();
    fromText("NULL", owning);
    EXPECT_EQ(owning, nullptr);
    EXPECT_EQ(CoreTestItem::liveCount, before);

    CoreTestItem kept;
    CoreTestItem* plain = &kept;
    fromText("NULL", plain);
    EXPECT_EQ(plain, nullptr);
    EXPECT_EQ(CoreTestItem::liveCount, before + 1);
}

TEST_F(TextFormat, PointerReplacesAndFreesItsOldObject) {
    const int before = CoreTestItem::liveCount;
    std::unique_ptr<CoreTestItem> owning = std::make_unique<CoreTestItem>();
    EXPECT_EQ(fromText("CoreTestLeaf 2 0 Item end count 5 end", owning), "");
    auto* leaf = dynamic_cast<CoreTestLeaf*>(owning.get());
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->count, 5);
    owning.reset();
    EXPECT_EQ(CoreTestItem::liveCount, before);
}

TEST_F(TextFormat, ClassOfTheWrongKindIsReportedSkippedAndReadingGoesOn) {
    std::vector<std::unique_ptr<CoreTestItem>> items;
    const int before = CoreTestItem::liveCount;
    const std::string errors =
        fromText("CoreTestItem 0 end CoreTestStranger 0 value 5 end CoreTestLeaf 2 0 Item end end end", items);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_NE(items[0], nullptr);
    EXPECT_EQ(items[1], nullptr) << "the stranger was read and dropped";
    EXPECT_NE(dynamic_cast<CoreTestLeaf*>(items[2].get()), nullptr);
    EXPECT_EQ(lineCount(errors), 1);
    EXPECT_NE(errors.find("CoreTestStranger"), std::string::npos);
    items.clear();
    EXPECT_EQ(CoreTestItem::liveCount, before);
}

TEST_F(TextFormat, UnknownClassIsReportedAndStopsReadingKeepingWhatWasRead) {
    CoreTestNode node;
    const std::string errors = fromText(
        "CoreTestNode 1 0 Item end children CoreTestItem 0 end NoSuchClass 0 end end tags a end end", node,
        "levels/broken.lvl");
    EXPECT_EQ(node.children.size(), 1u) << "the element before the unknown class is kept";
    EXPECT_TRUE(node.tags.empty()) << "nothing after the unknown class is read";
    EXPECT_EQ(lineCount(errors), 1) << errors;
    EXPECT_NE(errors.find("levels/broken.lvl"), std::string::npos);
    EXPECT_NE(errors.find("NoSuchClass"), std::string::npos);
}

TEST_F(TextFormat, ArchetypeWithoutAnInstantiatorLeavesThePointer) {
    std::unique_ptr<CoreTestItem> pointer;
    const std::string errors = fromText("archetype Gate", pointer);
    EXPECT_EQ(pointer, nullptr);
    EXPECT_NE(errors.find("Gate"), std::string::npos);
}

namespace {
void* leafArchetypes(BaseInStream& in, const std::string& name, const Type*& type) {
    if (name != "Bumper") {
        in.warn("no archetype \"" + name + "\"");
        return nullptr;
    }
    void* object = nullptr;
    type = createObjectFromTextRaw("CoreTestLeaf", "CoreTestLeaf 2 0 Item end count 31 end", object);
    return object;
}
}  // namespace

TEST_F(TextFormat, ArchetypeReferencesBuildNewObjectsThroughTheInstalledInstantiator) {
    setArchetypeInstantiator(&leafArchetypes);
    std::vector<std::unique_ptr<CoreTestItem>> items;
    const std::string errors = fromText("archetype Bumper archetype Bumper archetype Missing end", items);
    setArchetypeInstantiator(nullptr);
    ASSERT_EQ(items.size(), 3u);
    ASSERT_NE(items[0], nullptr);
    EXPECT_NE(items[0].get(), items[1].get());
    EXPECT_EQ(static_cast<CoreTestLeaf*>(items[1].get())->count, 31);
    EXPECT_EQ(items[2], nullptr);
    EXPECT_NE(errors.find("Missing"), std::string::npos);
}

TEST(TypeRegistry, TypesAreFoundByNameWithIdsAndFlags) {
    EXPECT_EQ(findType("CoreTestLeaf"), &leafType);
    EXPECT_EQ(findType("coretestleaf"), nullptr) << "lookups are case-sensitive";
    EXPECT_EQ(findType("NoSuchClass"), nullptr);
    EXPECT_EQ(leafType.getName(), "CoreTestLeaf");
    EXPECT_EQ(leafType.getSize(), sizeof(CoreTestLeaf));
    EXPECT_EQ(SerializeType<CoreTestLeaf>::typeId(), leafType.id);
    EXPECT_EQ(nodeType.id, leafType.id + 1) << "ids follow registration order";
    EXPECT_TRUE(leafType.isComponent());
    EXPECT_TRUE(leafType.isLogic());
    EXPECT_FALSE(leafType.isPattern());
    EXPECT_TRUE(itemType.isComponent());
    EXPECT_FALSE(itemType.isLogic());
    EXPECT_FALSE(strangerType.isComponent());
    const auto live = ObjectCounter<Type>::snapshot();
    EXPECT_NE(std::find(live.begin(), live.end(), static_cast<const Type*>(&nodeType)), live.end());
}

namespace {
struct CountedThing : ObjectCounter<CountedThing> {
    int value = 0;
};
struct SideA : CoreTestItem {};
struct SideB : CoreTestItem {};
struct BothSides : SideA, SideB {};
}  // namespace

TEST(TypeRegistry, ObjectCounterKeepsEveryLiveInstance) {
    const std::size_t before = ObjectCounter<CountedThing>::liveCount();
    auto first = std::make_unique<CountedThing>();
    first->value = 1;
    CountedThing copy = *first;
    EXPECT_EQ(ObjectCounter<CountedThing>::liveCount(), before + 2);
    const auto live = ObjectCounter<CountedThing>::snapshot();
    EXPECT_NE(std::find(live.begin(), live.end(), first.get()), live.end());
    EXPECT_NE(std::find(live.begin(), live.end(), &copy), live.end());
    first.reset();
    EXPECT_EQ(ObjectCounter<CountedThing>::liveCount(), before + 1);
    EXPECT_EQ(ObjectCounter<CountedThing>::snapshot().back()->value, 1);
}

TEST(TypeRegistry, PointerCastFindsOnlyUnambiguousPublicBases) {
    CoreTestOffset offset;
    void* raw = &offset;
    auto* item = pointerCastWith<CoreTestItem>(typeid(CoreTestOffset), &throwAsPointer<CoreTestOffset>, raw);
    EXPECT_EQ(item, static_cast<CoreTestItem*>(&offset));
    EXPECT_NE(static_cast<void*>(item), raw) << "the base sits after the padding part";
    // The second conversion comes from the remembered offset and must agree.
    EXPECT_EQ(pointerCastWith<CoreTestItem>(typeid(CoreTestOffset), &throwAsPointer<CoreTestOffset>, raw), item);
    BothSides both;
    EXPECT_EQ(pointerCastWith<CoreTestItem>(typeid(BothSides), &throwAsPointer<BothSides>, &both), nullptr)
        << "an ambiguous base is no base";
    EXPECT_EQ(pointerCastWith<SideB>(typeid(BothSides), &throwAsPointer<BothSides>, &both),
              static_cast<SideB*>(&both));
    CoreTestStranger stranger;
    EXPECT_EQ(pointerCastWith<CoreTestItem>(typeid(CoreTestStranger), &throwAsPointer<CoreTestStranger>, &stranger),
              nullptr);
}

TEST(TypeRegistry, TypeNamesDropOnlyTheLeadingClassWord) {
    EXPECT_EQ(typeName(typeid(CoreTestLeaf)), "CoreTestLeaf");
    EXPECT_EQ(typeName(typeid(int)), "int");
    CoreTestLeaf leaf;
    const CoreTestItem& asItem = leaf;
    EXPECT_EQ(dynamicTypeName(asItem), "CoreTestLeaf");
}

struct CoreTestTemporary {
    int getVersion() const { return 0; }
    void read(BaseInStream&, int) {}
};

TEST(TypeRegistry, DestroyingATypeRemovesItsNameAndLaterRegistrationsGetNewIds) {
    const std::int32_t expectedId = nextTypeId();
    {
        SerializeType<CoreTestTemporary> type("CoreTestTemporary");
        EXPECT_EQ(type.id, expectedId);
        EXPECT_EQ(findType("CoreTestTemporary"), &type);
        EXPECT_EQ(SerializeType<CoreTestTemporary>::get(), &type);
    }
    EXPECT_EQ(findType("CoreTestTemporary"), nullptr);
    EXPECT_EQ(SerializeType<CoreTestTemporary>::get(), nullptr);
    EXPECT_EQ(nextTypeId(), expectedId + 1);
}

TEST(TypeRegistry, SecondRegistrationUnderANameReplacesTheEntry) {
    SerializeType<CoreTestTemporary> first("CoreTestShared");
    {
        SerializeType<CoreTestStranger> second("CoreTestShared");
        EXPECT_EQ(findType("CoreTestShared"), &second);
    }
    EXPECT_EQ(findType("CoreTestShared"), nullptr) << "the later object removes the name it holds";
}

TEST(TypeRegistry, CreateByNameAndSkip) {
    std::unique_ptr<CoreTestItem> leaf(createObject<CoreTestItem>("CoreTestLeaf"));
    EXPECT_NE(dynamic_cast<CoreTestLeaf*>(leaf.get()), nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(createObject<CoreTestItem>("Unheard"), nullptr);
    EXPECT_EQ(createObject<CoreTestItem>("CoreTestStranger"), nullptr);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Unheard"), std::string::npos);
    EXPECT_NE(errors.find("CoreTestStranger"), std::string::npos);

    const int before = CoreTestItem::liveCount;
    std::istringstream stream("CoreTestLeaf 2 0 Item end count 4 end after");
    IStreamWrapper in(stream);
    leafType.skip(in);
    std::string token;
    in.readToken(token);
    EXPECT_EQ(token, "after");
    EXPECT_EQ(CoreTestItem::liveCount, before);

    std::unique_ptr<CoreTestItem> fromArchetype(
        createObjectFromText<CoreTestItem>("CoreTestLeaf", "CoreTestLeaf 2 0 Item end label copied end"));
    ASSERT_NE(fromArchetype, nullptr);
    EXPECT_EQ(static_cast<CoreTestLeaf*>(fromArchetype.get())->label, "copied");
}

// --- Directives ---

TEST_F(TextFormat, ExternalFilesReadTheValueFromEachFileInTurn) {
    TempFolder folder;
    folder.write("a.txt", "// from a\n1 2 end");
    folder.write("b.txt", "3 end");
    folder.write("n1.txt", "10");
    folder.write("n2.txt", "20");
    std::vector<int> values = {0};
    EXPECT_EQ(fromText("externalFiles 2 " + folder.file("a.txt") + " " + folder.file("b.txt"), values), "");
    EXPECT_EQ(values, (std::vector<int>{0, 1, 2, 3}));
    int number = 5;
    EXPECT_EQ(fromText("externalFiles 2 " + folder.file("n1.txt") + " " + folder.file("n2.txt"), number), "");
    EXPECT_EQ(number, 20);
    EXPECT_EQ(fromText("externalFiles 0 99", number), "");
    EXPECT_EQ(number, 20) << "a count of 0 reads nothing";
}

TEST_F(TextFormat, ExternalFilesPostProgressPerFile) {
    TempFolder folder;
    folder.write("a.txt", "1");
    std::istringstream stream("externalFiles 2 " + folder.file("a.txt") + " " + folder.file("a.txt"));
    IStreamWrapper in(stream);
    in.attributes = {{"progressBar", "yes"}, {"progressBarStart", "0"}, {"progressBarEnd", "0.1"}};
    int value = 0;
    readValue(in, value);
    ASSERT_EQ(progressSeen.size(), 3u);
    EXPECT_NEAR(progressSeen[0], 0.0f, 1e-6);
    EXPECT_NEAR(progressSeen[1], 0.05f, 1e-6);
    EXPECT_NEAR(progressSeen[2], 0.1f, 1e-6);
}

TEST_F(TextFormat, ExternalFileIncludingItselfIsReportedAndLeavesTheValue) {
    TempFolder folder;
    folder.write("self.txt", "externalFiles 1 " + folder.file("self.txt"));
    folder.write("ping.txt", "externalFiles 1 " + folder.file("pong.txt"));
    folder.write("pong.txt", "externalFiles 2 " + folder.file("ping.txt") + " " + folder.file("value.txt"));
    folder.write("value.txt", "77");
    int value = 3;
    std::string errors = fromText("externalFiles 1 " + folder.file("self.txt"), value);
    EXPECT_EQ(value, 3);
    EXPECT_EQ(lineCount(errors), 1) << errors;
    EXPECT_NE(errors.find("self.txt"), std::string::npos);

    errors = fromText("externalFiles 1 " + folder.file("ping.txt"), value);
    EXPECT_EQ(value, 77) << "the cycle is cut and the rest of the list still read";
    EXPECT_EQ(lineCount(errors), 1) << errors;

    FileReader direct(folder.file("self.txt"));
    value = 4;
    testing::internal::CaptureStderr();
    readValue(direct, value);
    errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(value, 4) << "a file opened directly that names itself is caught too";
    EXPECT_EQ(lineCount(errors), 1);
}

TEST_F(TextFormat, MissingExternalFileIsReportedAndLeavesTheValue) {
    TempFolder folder;
    int value = 8;
    const std::string errors = fromText("externalFiles 1 " + folder.file("gone.txt") + " 5", value);
    EXPECT_EQ(value, 8);
    EXPECT_EQ(errors.rfind("Could not open file \"" + folder.file("gone.txt") + "\"", 0), 0u) << errors;
    EXPECT_EQ(lineCount(errors), 1);
}

TEST_F(TextFormat, FunctionValuesAreComputed) {
    int value = -1;
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(fromText("function randTo 10", value), "");
        EXPECT_GE(value, 0);
        EXPECT_LT(value, 10);
    }
    Vector4 color;
    EXPECT_EQ(fromText("function getRandomColor", color), "");
    EXPECT_EQ(color.w(), 1.0f);
    EXPECT_EQ(fromText("function coreTestDouble // the argument\n function coreTestDouble 3", value), "");
    EXPECT_EQ(value, 12) << "nested calls are computed inside out";
    float converted = 0;
    EXPECT_EQ(fromText("function coreTestDouble 4", converted), "");
    EXPECT_EQ(converted, 8.0f);
}

TEST_F(TextFormat, FunctionWithoutArgumentsReadsNothingMore) {
    std::vector<Vector4> values;
    EXPECT_EQ(fromText("0 1 0 0 function coreTestUnitX 0 0 1 0 end", values), "");
    ASSERT_EQ(values.size(), 3u);
    EXPECT_TRUE(values[0] == Vector4(0, 1, 0, 0));
    EXPECT_TRUE(values[1] == Vector4(1, 0, 0, 0));
    EXPECT_TRUE(values[2] == Vector4(0, 0, 1, 0));
}

TEST_F(TextFormat, FunctionResultGoesIntoPointersOfABaseClass) {
    std::unique_ptr<CoreTestItem> pointer = std::make_unique<CoreTestItem>();
    const int before = CoreTestItem::liveCount;
    EXPECT_EQ(fromText("function coreTestMakeLeaf", pointer), "");
    auto* leaf = dynamic_cast<CoreTestLeaf*>(pointer.get());
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->count, 99);
    EXPECT_EQ(CoreTestItem::liveCount, before) << "the old object was freed, the temporary result too";
}

TEST_F(TextFormat, FunctionOfTheWrongResultTypeIsReportedAndReadingGoesOn) {
    std::vector<int> values;
    const std::string errors = fromText("1 function coreTestUnitX 2 end", values);
    EXPECT_EQ(values, (std::vector<int>{1, 0, 2})) << "the mismatched element keeps its default";
    EXPECT_EQ(lineCount(errors), 1);
    EXPECT_NE(errors.find("coreTestUnitX"), std::string::npos);
}

TEST_F(TextFormat, UnknownFunctionIsReportedAndLeavesTheValue) {
    int value = 6;
    const std::string errors = fromText("function noSuchFunction 1 2 3", value);
    EXPECT_EQ(value, 6);
    EXPECT_EQ(lineCount(errors), 1);
    EXPECT_NE(errors.find("noSuchFunction"), std::string::npos);
}

TEST_F(TextFormat, ReplacingARegisteredFunctionReleasesTheOldWrapper) {
    registerFunction<int(int)>("coreTestTemporary", &doubled);
    std::weak_ptr<Function> first = findFunction("coreTestTemporary");
    EXPECT_EQ(first.lock()->getArgumentCount(), 1);
    registerFunction<Vector4()>("coreTestTemporary", &unitX);
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(findFunction("coreTestTemporary")->getArgumentCount(), 0);
    getFunctionRegistry().erase("coreTestTemporary");
    EXPECT_EQ(findFunction("coreTestTemporary"), nullptr);
}

// --- Writers' hooks ---

namespace {
class HookRecorder : public OStreamWrapper {
public:
    explicit HookRecorder(std::ostream& stream) : OStreamWrapper(stream) {}
    std::vector<std::string> calls;
    BaseOutStream& simpleStream(void*) override {
        ++simple;
        return *this;
    }
    BaseOutStream& vector4Stream(void*) override {
        calls.push_back("vector4");
        return *this;
    }
    BaseOutStream& quaternionStream(void*, int) override {
        calls.push_back("quaternion");
        return *this;
    }
    BaseOutStream& objectStream(void*, const std::string& name) override {
        calls.push_back("object " + name);
        return *this;
    }
    BaseOutStream& containerStream(void*) override {
        calls.push_back("container");
        return *this;
    }
    BaseOutStream& mapStream(void*) override {
        calls.push_back("map");
        return *this;
    }
    int simple = 0;
};
}  // namespace

TEST_F(TextFormat, WritersHandEveryValueToTheMatchingHook) {
    CoreTestNode node;
    node.children.push_back(std::make_unique<CoreTestLeaf>());
    node.scores["k"] = 1;
    std::ostringstream text;
    HookRecorder out(text);
    writeValue(out, node);
    const std::vector<std::string> expected = {"object CoreTestNode", "container", "object CoreTestLeaf", "vector4",
                                               "container", "map", "map", "container", "container"};
    EXPECT_EQ(out.calls, expected);
    EXPECT_GT(out.simple, 30) << "every key, value, layout code and end goes through simpleStream";
    std::ostringstream plain;
    OStreamWrapper reference(plain);
    writeValue(reference, node);
    EXPECT_EQ(text.str(), plain.str());
}

TEST_F(TextFormat, FieldWritersAndReadersEmptyTheAttributesAfterEachField) {
    std::ostringstream text;
    OStreamWrapper out(text);
    out.attributes["progressBar"] = "yes";
    writeField(out, "numbers", std::vector<int>{1});
    EXPECT_TRUE(out.attributes.empty());
    writeField(out, "more", std::vector<int>{2});
    EXPECT_EQ(text.str(), "numbers \n\tsize 1 1 \n\tend \nmore \n\t2 \n\tend \n");
}

// --- Readers that must stop ---

TEST_F(TextFormat, UnknownKeyIsReportedWithFileAndTokenAndSkippedWithItsValue) {
    CoreTestLeaf leaf;
    const std::string errors =
        fromText("CoreTestLeaf 2 0 Item end count 4\n speeed 3 label after end", leaf, "Content/thing.txt");
    EXPECT_EQ(leaf.count, 4);
    EXPECT_EQ(leaf.label, "after") << "the keys after the unknown one are read";
    EXPECT_EQ(errors, "Error reading \"Content/thing.txt\" line 2: unknown key \"speeed\" is skipped with its value\n");
}

TEST_F(TextFormat, UnknownKeyInsideANestedObjectIsSkippedAndEveryLevelGoesOn) {
    CoreTestNode node;
    const std::string errors =
        fromText("CoreTestNode 1 0 Item end children CoreTestLeaf 2 0 Item bogus 1 end end end tags x end end", node);
    EXPECT_EQ(lineCount(errors), 1) << errors;
    EXPECT_EQ(node.children.size(), 1u);
    EXPECT_EQ(node.tags, std::list<std::string>{"x"});
}

TEST_F(TextFormat, EveryTruncationOfAValidTextEndsWithAtMostTwoMessages) {
    CoreTestNode original;
    fillSample(original);
    const std::string text = toText(original);
    for (std::size_t length = 0; length < text.size(); ++length) {
        CoreTestNode node;
        const std::string errors = fromText(text.substr(0, length), node);
        // A key cut short is stepped over as unknown before the end of the input is met.
        EXPECT_LE(lineCount(errors), 2) << "length " << length << "\n" << errors;
        const bool cutSomething = text.find_first_not_of(" \t\n", length) != std::string::npos;
        if (cutSomething && text.substr(0, length).find_first_not_of(" \t\n") != std::string::npos) {
            EXPECT_NE(errors, "") << "a cut text is reported: length " << length << "\n[" << text.substr(length > 40 ? length - 40 : 0, 40) << "]";
        }
    }
}

TEST_F(TextFormat, GarbageNeverHangsOrCrashes) {
    const std::vector<std::string> words = {"CoreTestNode", "CoreTestLeaf", "CoreTestItem", "CoreTestOffset",
                                            "CoreTestStranger", "end", "size", "NULL", "0", "1", "2", "-5",
                                            "99999999999", "children", "tags", "scores", "named", "grid", "plain",
                                            "shared", "flags", "Item", "disabled", "count", "label", "\"", "\"a",
                                            "b\"", "//", "\n", "function", "randTo", "coreTestDouble",
                                            "coreTestMakeLeaf", "externalFiles", "archetype", "x"};
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        std::string text = "CoreTestNode 1 ";
        const int length = static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) text += words[random() % words.size()] + " ";
        CoreTestNode node;
        const std::string errors = fromText(text, node);
        // Problems reading can step over (a missing file, a function result that does not fit) are
        // reported as they come; the one that stops the reading ends the report.
        const int tokens = 2 + length;
        EXPECT_LE(lineCount(errors), tokens) << text << "\n" << errors;
        // Whatever was kept is a sound object: it writes out and reads back to the same text.
        const std::string kept = toText(node);
        CoreTestNode again;
        EXPECT_EQ(fromText(kept, again), "") << kept;
        EXPECT_EQ(toText(again), kept);
    }
}

TEST_F(TextFormat, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "CoreTestNode 1 0 Item end children ";
    CoreTestNode node;
    const std::string errors = fromText(text, node);
    EXPECT_EQ(lineCount(errors), 1);
    EXPECT_NE(errors.find("nested"), std::string::npos) << errors;

    std::string calls;
    for (int i = 0; i < 100000; ++i) calls += "function coreTestDouble ";
    int value = 1;
    EXPECT_NE(fromText(calls + "1", value).find("nested"), std::string::npos);
    EXPECT_EQ(value, 1);
}

TEST_F(TextFormat, PartialObjectKeptWhenTheStreamStopsInsideAContainer) {
    std::vector<std::unique_ptr<CoreTestItem>> items;
    const std::string errors = fromText("CoreTestItem 0 end CoreTestLeaf 2 0 Item end count 3", items);
    EXPECT_EQ(lineCount(errors), 1);
    ASSERT_EQ(items.size(), 1u) << "the element reading stopped in is dropped";
}

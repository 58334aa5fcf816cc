// Small serialisable classes shared by the core tests, the text-format benchmark and the object-reader
// fuzz target: a root class with a "Component"-like part, a leaf with scalar fields, a node holding
// containers, maps and pointers, a class with the remaining value kinds, an unrelated class and a class
// whose registered base sits at a non-zero offset. Each registers itself once per program.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Quaternion.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "core/Vector4.h"

struct CoreTestItem {
    static constexpr unsigned serializeFlags = typeIsComponent;
    static inline int liveCount = 0;

    bool disabled = false;

    CoreTestItem() { ++liveCount; }
    CoreTestItem(const CoreTestItem& other) : disabled(other.disabled) { ++liveCount; }
    CoreTestItem& operator=(const CoreTestItem&) = default;
    virtual ~CoreTestItem() { --liveCount; }
    virtual int getVersion() const { return 0; }
    // The root part: one key and "end".
    virtual void read(BaseInStream& in, int version) {
        std::string key;
        while (readKey(in, key)) {
            if (key == "disabled")
                readValue(in, disabled);
            else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    virtual void write(BaseOutStream& out, int version) const {
        writeField(out, "disabled", disabled);
        writeEnd(out);
    }

protected:
    // A derived class's text starts with the item part: "0 Item", its keys, "end".
    void readItemPart(BaseInStream& in) { CoreTestItem::read(in, readBaseHeader(in)); }
    void writeItemPart(BaseOutStream& out) const {
        writeBaseHeader(out, CoreTestItem::getVersion(), "Item");
        CoreTestItem::write(out, CoreTestItem::getVersion());
        writeBaseEnd(out);
    }
};

// A CoreTestItem whose own part is its Derived::fields() table.
template <class Derived, int version>
struct CoreTestFieldItem : CoreTestItem {
    int getVersion() const override { return version; }
    void read(BaseInStream& in, int) override {
        readItemPart(in);
        readFields(in, static_cast<Derived&>(*this), Derived::fields());
    }
    void write(BaseOutStream& out, int) const override {
        writeItemPart(out);
        writeFields(out, static_cast<const Derived&>(*this), Derived::fields());
    }
};

struct CoreTestLeaf : CoreTestFieldItem<CoreTestLeaf, 2> {
    static constexpr unsigned serializeFlags = typeIsComponent | typeIsLogic;

    int count = 7;
    float speed = 1.5f;
    std::string label = "leaf";
    Vector4 color{1, 0.5f, 0, 1};
    unsigned short small = 3;
    char letter = 'q';
    double precise = 0.25;
    int oldFormatSeen = -1;

    void read(BaseInStream& in, int version) override {
        oldFormatSeen = version;
        if (version == 0) {
            // The old layout: values by position, no keys.
            readItemPart(in);
            readValue(in, count);
            readValue(in, speed);
            return;
        }
        CoreTestFieldItem::read(in, version);
    }

    using FieldTable = Field<CoreTestLeaf>[7];
    static const FieldTable& fields() {
        static constexpr Field<CoreTestLeaf> table[7] = {
            field<&CoreTestLeaf::count>("count"),   field<&CoreTestLeaf::speed>("speed"),
            field<&CoreTestLeaf::label>("label"),   field<&CoreTestLeaf::color>("color"),
            field<&CoreTestLeaf::small>("small"),   field<&CoreTestLeaf::letter>("letter"),
            field<&CoreTestLeaf::precise>("precise"),
        };
        return table;
    }
};

struct CoreTestNode : CoreTestFieldItem<CoreTestNode, 1> {
    std::vector<std::unique_ptr<CoreTestItem>> children;
    std::list<std::string> tags;
    std::map<std::string, int> scores;
    std::map<std::string, std::unique_ptr<CoreTestItem>> named;
    std::vector<std::vector<int>> grid;
    CoreTestItem* plain = nullptr;
    std::shared_ptr<CoreTestItem> shared;
    std::vector<bool> flags;

    CoreTestNode() = default;
    CoreTestNode(const CoreTestNode&) = delete;
    CoreTestNode& operator=(const CoreTestNode&) = delete;
    ~CoreTestNode() override { delete plain; }

    using FieldTable = Field<CoreTestNode>[8];
    static const FieldTable& fields() {
        static constexpr Field<CoreTestNode> table[8] = {
            field<&CoreTestNode::children>("children"), field<&CoreTestNode::tags>("tags"),
            field<&CoreTestNode::scores>("scores"),     field<&CoreTestNode::named>("named"),
            field<&CoreTestNode::grid>("grid"),         Field<CoreTestNode>{"plain", 5, &readPlain, &writePlain},
            field<&CoreTestNode::shared>("shared"),     field<&CoreTestNode::flags>("flags"),
        };
        return table;
    }

private:
    // The node owns what "plain" points at, but the reader never frees a plain pointer's old object:
    // a repeated "plain" key would leak it.
    static void readPlain(BaseInStream& in, CoreTestNode& node) {
        CoreTestItem* const old = node.plain;
        readValue(in, node.plain);
        if (node.plain != old) delete old;
    }
    static void writePlain(BaseOutStream& out, const CoreTestNode& node) { writeValue(out, node.plain); }
};

// The value kinds the leaf and the node leave out.
struct CoreTestMixed : CoreTestFieldItem<CoreTestMixed, 1> {
    unsigned int number = 2;
    short signedSmall = -3;
    Quaternion turn;
    std::vector<std::vector<float>> path;
    std::map<int, std::vector<std::string>> groups;

    using FieldTable = Field<CoreTestMixed>[5];
    static const FieldTable& fields() {
        static constexpr Field<CoreTestMixed> table[5] = {
            field<&CoreTestMixed::number>("number"), field<&CoreTestMixed::signedSmall>("signedSmall"),
            field<&CoreTestMixed::turn>("turn"),     field<&CoreTestMixed::path>("path"),
            field<&CoreTestMixed::groups>("groups"),
        };
        return table;
    }
};

// Registered, but not a CoreTestItem.
struct CoreTestStranger {
    int value = 0;
    virtual ~CoreTestStranger() = default;
    int getVersion() const { return 0; }
    void read(BaseInStream& in, int) {
        std::string key;
        while (readKey(in, key)) {
            if (key == "value")
                readValue(in, value);
            else {
                skipUnknownKey(in, key);
            }
        }
    }
    void write(BaseOutStream& out, int) const {
        writeField(out, "value", value);
        writeEnd(out);
    }
};

// A CoreTestItem whose item part does not start the object.
struct CoreTestPadding {
    virtual ~CoreTestPadding() = default;
    double padding[3] = {1, 2, 3};
};
struct CoreTestOffset : CoreTestPadding, CoreTestItem {
    int extra = 0;
    void read(BaseInStream& in, int version) override {
        readItemPart(in);
        std::string key;
        while (readKey(in, key)) {
            if (key == "extra")
                readValue(in, extra);
            else {
                skipUnknownKey(in, key);
            }
        }
    }
    void write(BaseOutStream& out, int version) const override {
        writeItemPart(out);
        writeField(out, "extra", extra);
        writeEnd(out);
    }
};

// Inline variables: one registration per program, however many files include this header.
inline const auto& coreTestItemType = registerType<CoreTestItem>();
inline const auto& coreTestLeafType = registerType<CoreTestLeaf>();
inline const auto& coreTestNodeType = registerType<CoreTestNode>();
inline const auto& coreTestMixedType = registerType<CoreTestMixed>();
inline const auto& coreTestStrangerType = registerType<CoreTestStranger>();
inline const auto& coreTestOffsetType = registerType<CoreTestOffset>();

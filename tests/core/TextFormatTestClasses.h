// Small serialisable classes used only by the core tests: a root class with a "Component"-like part, a
// leaf with scalar fields, a node holding containers, maps and pointers, an unrelated class and a class
// whose registered base sits at a non-zero offset.
#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

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
                reportUnknownKey(in, key);
                break;
            }
            in.attributes.clear();
        }
    }
    virtual void write(BaseOutStream& out, int version) const {
        writeField(out, "disabled", disabled);
        writeEnd(out);
    }
};

struct CoreTestLeaf : CoreTestItem {
    static constexpr unsigned serializeFlags = typeIsComponent | typeIsLogic;

    int count = 7;
    float speed = 1.5f;
    std::string label = "leaf";
    Vector4 color{1, 0.5f, 0, 1};
    unsigned short small = 3;
    char letter = 'q';
    double precise = 0.25;
    int oldFormatSeen = -1;

    int getVersion() const override { return 2; }
    void read(BaseInStream& in, int version) override {
        oldFormatSeen = version;
        const int baseVersion = readBaseHeader(in);
        CoreTestItem::read(in, baseVersion);
        if (version == 0) {
            // The old layout: values by position, no keys.
            readValue(in, count);
            readValue(in, speed);
            return;
        }
        readFields(in, *this, fields());
    }
    void write(BaseOutStream& out, int version) const override {
        writeBaseHeader(out, CoreTestItem::getVersion(), "Item");
        CoreTestItem::write(out, CoreTestItem::getVersion());
        writeBaseEnd(out);
        writeFields(out, *this, fields());
    }

    using FieldTable = Field<CoreTestLeaf>[7];
    static const FieldTable& fields();
};

inline const CoreTestLeaf::FieldTable& CoreTestLeaf::fields() {
    static constexpr Field<CoreTestLeaf> table[7] = {
        field<&CoreTestLeaf::count>("count"),   field<&CoreTestLeaf::speed>("speed"),
        field<&CoreTestLeaf::label>("label"),   field<&CoreTestLeaf::color>("color"),
        field<&CoreTestLeaf::small>("small"),   field<&CoreTestLeaf::letter>("letter"),
        field<&CoreTestLeaf::precise>("precise"),
    };
    return table;
}

struct CoreTestNode : CoreTestItem {
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
    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int version) override {
        const int baseVersion = readBaseHeader(in);
        CoreTestItem::read(in, baseVersion);
        readFields(in, *this, fields());
    }
    void write(BaseOutStream& out, int version) const override {
        writeBaseHeader(out, CoreTestItem::getVersion(), "Item");
        CoreTestItem::write(out, CoreTestItem::getVersion());
        writeBaseEnd(out);
        writeFields(out, *this, fields());
    }

    using FieldTable = Field<CoreTestNode>[8];
    static const FieldTable& fields();
};

inline const CoreTestNode::FieldTable& CoreTestNode::fields() {
    static constexpr Field<CoreTestNode> table[8] = {
        field<&CoreTestNode::children>("children"), field<&CoreTestNode::tags>("tags"),
        field<&CoreTestNode::scores>("scores"),     field<&CoreTestNode::named>("named"),
        field<&CoreTestNode::grid>("grid"),         field<&CoreTestNode::plain>("plain"),
        field<&CoreTestNode::shared>("shared"),     field<&CoreTestNode::flags>("flags"),
    };
    return table;
}

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
                reportUnknownKey(in, key);
                break;
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
        const int baseVersion = readBaseHeader(in);
        CoreTestItem::read(in, baseVersion);
        std::string key;
        while (readKey(in, key)) {
            if (key == "extra")
                readValue(in, extra);
            else {
                reportUnknownKey(in, key);
                break;
            }
        }
    }
    void write(BaseOutStream& out, int version) const override {
        writeBaseHeader(out, 0, "Item");
        CoreTestItem::write(out, 0);
        writeBaseEnd(out);
        writeField(out, "extra", extra);
        writeEnd(out);
    }
};

// Fuzz target: arbitrary bytes read as an object pointer of a small family of registered classes. The
// reader must end on any input without a crash, a hang or a sanitizer report, and what it kept must
// write out and read back to the same text.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <list>
#include <map>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "core/Function.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/Quaternion.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "core/Vector4.h"

struct FuzzItem {
    bool disabled = false;
    virtual ~FuzzItem() = default;
    virtual int getVersion() const { return 0; }
    virtual void read(BaseInStream& in, int) {
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
    virtual void write(BaseOutStream& out, int) const {
        writeField(out, "disabled", disabled);
        writeEnd(out);
    }
};

struct FuzzLeaf : FuzzItem {
    int number = 1;
    unsigned int count = 2;
    float speed = 0.5f;
    double precise = 0.25;
    short small = 3;
    std::string label = "leaf";
    Vector4 color{1, 1, 1, 1};
    Quaternion turn;

    using FieldTable = Field<FuzzLeaf>[8];
    static const FieldTable& fields();

    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int version) override {
        FuzzItem::read(in, readBaseHeader(in));
        if (version == 0) {
            // Old positional layout.
            readValue(in, number);
            readValue(in, label);
            return;
        }
        readFields(in, *this, fields());
    }
    void write(BaseOutStream& out, int) const override {
        writeBaseHeader(out, 0, "FuzzItem");
        FuzzItem::write(out, 0);
        writeBaseEnd(out);
        writeFields(out, *this, fields());
    }
};

const FuzzLeaf::FieldTable& FuzzLeaf::fields() {
    static constexpr Field<FuzzLeaf> table[8] = {
        field<&FuzzLeaf::number>("number"), field<&FuzzLeaf::count>("count"), field<&FuzzLeaf::speed>("speed"),
        field<&FuzzLeaf::precise>("precise"), field<&FuzzLeaf::small>("small"), field<&FuzzLeaf::label>("label"),
        field<&FuzzLeaf::color>("color"), field<&FuzzLeaf::turn>("turn"),
    };
    return table;
}

struct FuzzNode : FuzzItem {
    std::vector<std::unique_ptr<FuzzItem>> children;
    std::list<std::string> names;
    std::map<std::string, int> scores;
    std::map<std::string, std::unique_ptr<FuzzItem>> named;
    std::vector<std::vector<float>> grid;
    std::map<int, std::vector<std::string>> groups;
    std::shared_ptr<FuzzItem> shared;
    std::vector<bool> flags;

    using FieldTable = Field<FuzzNode>[8];
    static const FieldTable& fields();

    int getVersion() const override { return 1; }
    void read(BaseInStream& in, int) override {
        FuzzItem::read(in, readBaseHeader(in));
        readFields(in, *this, fields());
    }
    void write(BaseOutStream& out, int) const override {
        writeBaseHeader(out, 0, "FuzzItem");
        FuzzItem::write(out, 0);
        writeBaseEnd(out);
        writeFields(out, *this, fields());
    }
};

const FuzzNode::FieldTable& FuzzNode::fields() {
    static constexpr Field<FuzzNode> table[8] = {
        field<&FuzzNode::children>("children"), field<&FuzzNode::names>("names"),
        field<&FuzzNode::scores>("scores"),     field<&FuzzNode::named>("named"),
        field<&FuzzNode::grid>("grid"),         field<&FuzzNode::groups>("groups"),
        field<&FuzzNode::shared>("shared"),     field<&FuzzNode::flags>("flags"),
    };
    return table;
}

// Registered but not a FuzzItem.
struct FuzzOther {
    int value = 0;
    virtual ~FuzzOther() = default;
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

static const auto& fuzzItemType = registerType<FuzzItem>();
static const auto& fuzzLeafType = registerType<FuzzLeaf>();
static const auto& fuzzNodeType = registerType<FuzzNode>();
static const auto& fuzzOtherType = registerType<FuzzOther>();

namespace {
struct Silence : std::streambuf {
    int overflow(int c) override { return c; }
};

FuzzLeaf makeLeaf() { return FuzzLeaf(); }
int twice(int value) { return value * 2; }

std::string writeText(const std::unique_ptr<FuzzItem>& item) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writeValue(out, item);
    return text.str();
}

void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    // Never destroyed: the standard streams still flush at exit.
    static Silence* silence = new Silence;
    std::cerr.rdbuf(silence);
    registerFunction<int(int)>("twice", &twice);
    registerFunction<FuzzLeaf()>("makeLeaf", &makeLeaf);
    registerCoreFunctions();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUp();
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    IStreamWrapper in(stream, "fuzz");
    std::unique_ptr<FuzzItem> item;
    readValue(in, item);

    const std::string first = writeText(item);
    std::istringstream again(first);
    IStreamWrapper secondIn(again, "rewritten");
    std::unique_ptr<FuzzItem> second;
    readValue(secondIn, second);
    if (secondIn.hasFailed() || writeText(second) != first) {
        std::fprintf(stderr, "object text does not read back as written:\n%s\n---\n%s\n", first.c_str(),
                     writeText(second).c_str());
        std::abort();
    }
    return 0;
}

// Fuzz target: arbitrary bytes read as an object pointer of a small family of registered classes. The
// reader must end on any input without a crash, a hang or a sanitizer report, and what it kept must
// write out and read back to the same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "core/Function.h"
#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "tests/core/TextFormatTestClasses.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {
CoreTestLeaf makeLeaf() { return CoreTestLeaf(); }
int twice(int value) { return static_cast<int>(static_cast<unsigned>(value) * 2u); }

std::string writeText(const std::unique_ptr<CoreTestItem>& item) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writeValue(out, item);
    return text.str();
}

void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    fuzzsupport::discardErrorOutput();
    registerFunction<int(int)>("twice", &twice);
    registerFunction<CoreTestLeaf()>("makeLeaf", &makeLeaf);
    registerCoreFunctions();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUp();
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    IStreamWrapper in(stream, "fuzz");
    std::unique_ptr<CoreTestItem> item;
    readValue(in, item);

    const std::string first = writeText(item);
    std::istringstream again(first);
    IStreamWrapper secondIn(again, "rewritten");
    std::unique_ptr<CoreTestItem> second;
    readValue(secondIn, second);
    if (secondIn.hasFailed() || writeText(second) != first) {
        std::fprintf(stderr, "object text does not read back as written:\n%s\n---\n%s\n", first.c_str(),
                     writeText(second).c_str());
        std::abort();
    }
    return 0;
}

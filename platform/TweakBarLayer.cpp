// Property bars over Dear ImGui: the bars are retained here and redrawn as ImGui windows each frame;
// input arrives through the Tw* calls and is fed to ImGui at the next draw.
#include "platform/TweakBarLayer.h"

#include <GL/glew.h>
#include <SDL.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <sstream>

namespace {

const int firstStructType = 0x1000;
const int maxNesting = 64;          // struct types can only nest older ones, so this is never hit
const std::size_t maxQueuedInput = 256;
const double staleInputSeconds = 1.0;  // typing older than this when a draw comes is dropped

// A variable or one of its members, expanded from its type when the variable is added.
struct Node {
    std::string label;
    TwType type = TW_TYPE_UNDEF;  // the member's own type (a struct id for groups)
    bool group = false;
    std::uintptr_t offset = 0;  // from the enclosing variable or group
    std::string definition;
    bool hasStep = false;
    double step = 0.0;
    bool readOnly = false;
    std::vector<Node> children;
};

struct Item {
    TwItemInfo::Kind kind;
    std::string name;
    TwType type = TW_TYPE_UNDEF;
    void* address = nullptr;
    TwButtonCallback callback = nullptr;
    std::string definition;
    Node node;
};

struct Bar {
    std::uintptr_t id;
    std::string name;
    std::vector<Item> items;
    unsigned generation = 0;  // changes whenever the items go, so pending presses can tell
    int slot;                  // cascade position of the window when first shown
};

struct StructType {
    TwType id;
    std::string name;
    std::vector<TwMemberInfo> members;
    std::size_t size;
};

struct InputEvent {
    enum Kind { Move, Button, Wheel, Char, Key } kind;
    int a = 0;
    int b = 0;
    float amount = 0.0f;
    std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now();
};

struct PendingPress {
    std::uintptr_t barId;
    unsigned generation;
    TwButtonCallback callback;
    void* clientData;
};

struct Layer {
    std::vector<Bar> bars;
    std::uintptr_t nextBarId = 1;
    int nextSlot = 0;
    std::vector<StructType> structs;
    int nextStructType = firstStructType;
    TwCopyStdStringToClient copyString = nullptr;
    void (*drawPrologue)() = nullptr;

    bool initialised = false;
    bool glBackend = false;
    ImGuiContext* context = nullptr;
    int width = 0;
    int height = 0;

    std::deque<InputEvent> input;
    int heldKey = -1;
    int wheelPosition = 0;
    bool overBar = false;
    bool typing = false;
    bool haveLastFrame = false;
    std::chrono::steady_clock::time_point lastFrame;

    std::vector<PendingPress> pending;
    std::vector<TwRowInfo> rows;
    ImGuiID editedStringId = 0;
    std::string editedString;
    std::string editStart;
};

Layer& layer() {
    static Layer instance;
    return instance;
}

TwBar* handleOf(std::uintptr_t id) { return reinterpret_cast<TwBar*>(id); }

Bar* findBar(const TwBar* handle) {
    auto id = reinterpret_cast<std::uintptr_t>(handle);
    if (id == 0) return nullptr;
    for (Bar& bar : layer().bars)
        if (bar.id == id) return &bar;
    return nullptr;
}

const StructType* findStruct(TwType type) {
    for (const StructType& s : layer().structs)
        if (s.id == type) return &s;
    return nullptr;
}

bool isSimpleType(TwType type) {
    switch (type) {
    case TW_TYPE_BOOLCPP:
    case TW_TYPE_CHAR:
    case TW_TYPE_INT16:
    case TW_TYPE_UINT16:
    case TW_TYPE_INT32:
    case TW_TYPE_UINT32:
    case TW_TYPE_FLOAT:
    case TW_TYPE_DOUBLE:
    case TW_TYPE_QUAT4F:
    case TW_TYPE_STDSTRING:
    case TW_TYPE_INT64:
    case TW_TYPE_UINT64:
        return true;
    default:
        return false;
    }
}

bool isKnownType(TwType type) { return isSimpleType(type) || findStruct(type) != nullptr; }

std::string textOf(const char* s) { return s ? std::string(s) : std::string(); }

// Definition strings are blank-separated key=value options; only "step" changes anything here.
bool parseStep(const std::string& definition, double& step) {
    std::istringstream in(definition);
    std::string option;
    while (in >> option) {
        if (option.rfind("step=", 0) != 0) continue;
        char* end = nullptr;
        const char* value = option.c_str() + 5;
        double parsed = std::strtod(value, &end);
        if (end != value && std::isfinite(parsed) && parsed > 0.0) {
            step = parsed;
            return true;
        }
    }
    return false;
}

bool parseReadOnly(const std::string& definition) {
    std::istringstream in(definition);
    std::string option;
    while (in >> option)
        if (option == "readonly" || option == "readonly=true" || option == "readonly=1") return true;
    return false;
}

bool expand(Node& node, TwType type, int depth) {
    node.type = type;
    node.hasStep = parseStep(node.definition, node.step);
    node.readOnly = parseReadOnly(node.definition);
    if (isSimpleType(type)) return true;
    const StructType* s = findStruct(type);
    if (!s || depth >= maxNesting) return false;
    node.group = true;
    for (const TwMemberInfo& member : s->members) {
        Node child;
        child.label = member.name;
        child.offset = member.offset;
        child.definition = member.definition;
        if (!expand(child, member.type, depth + 1)) return false;
        node.children.push_back(std::move(child));
    }
    return true;
}

void* memberAddress(void* base, std::uintptr_t offset) {
    return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(base) + offset);
}

// --- Input fed to ImGui ---------------------------------------------------------------------------

void queueInput(const InputEvent& event) {
    Layer& l = layer();
    if (event.kind == InputEvent::Move && !l.input.empty() && l.input.back().kind == InputEvent::Move) {
        l.input.back() = event;  // only the latest position between two button changes matters
        return;
    }
    if (l.input.size() >= maxQueuedInput) l.input.pop_front();
    l.input.push_back(event);
}

int imguiButton(int button) {
    switch (button) {
    case TW_MOUSE_LEFT: return 0;
    case TW_MOUSE_RIGHT: return 1;
    default: return 2;
    }
}

// ImGui 1.86 reads input as state, so a press and release between two frames would be lost. Events
// are applied in order until one would undo something already changed in this frame; the rest wait
// for the next frame. A frame carries either typed characters or one editing key, never both, so
// their order survives.
void applyQueuedInput(ImGuiIO& io, bool stale) {
    Layer& l = layer();
    // Typing that waited long (the bars were not drawn while the level was played) is not for them;
    // what came in during one slow frame is.
    auto limit = std::chrono::steady_clock::now() - std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                        std::chrono::duration<double>(staleInputSeconds));
    l.input.erase(std::remove_if(l.input.begin(), l.input.end(),
                                 [limit](const InputEvent& e) {
                                     return (e.kind == InputEvent::Char || e.kind == InputEvent::Key) && e.at < limit;
                                 }),
                  l.input.end());
    if (stale) {
        bool buttonQueued = std::any_of(l.input.begin(), l.input.end(),
                                        [](const InputEvent& e) { return e.kind == InputEvent::Button; });
        if (!buttonQueued)
            for (bool& down : io.MouseDown) down = false;
    }
    bool keyReleased = false;
    if (l.heldKey >= 0) {
        io.KeysDown[l.heldKey] = false;
        l.heldKey = -1;
        keyReleased = true;
    }
    bool buttonChanged[3] = {false, false, false};
    bool anyButton = false;
    bool typed = false;
    bool keyPressed = false;
    while (!l.input.empty()) {
        const InputEvent& e = l.input.front();
        if (e.kind == InputEvent::Move) {
            if (anyButton) break;
            io.MousePos = ImVec2(float(e.a), float(e.b));
        } else if (e.kind == InputEvent::Button) {
            int index = imguiButton(e.a);
            if (buttonChanged[index]) break;
            io.MouseDown[index] = e.b != 0;
            buttonChanged[index] = anyButton = true;
        } else if (e.kind == InputEvent::Wheel) {
            io.MouseWheel += e.amount;
        } else if (e.kind == InputEvent::Char) {
            if (keyPressed || anyButton) break;
            io.AddInputCharacter(static_cast<unsigned int>(e.a));
            typed = true;
        } else {
            if (keyPressed || typed || keyReleased || anyButton) break;
            io.KeysDown[e.a] = true;
            l.heldKey = e.a;
            keyPressed = true;
        }
        l.input.pop_front();
    }
}

// --- Drawing --------------------------------------------------------------------------------------

void recordRow(const Bar& bar, const std::string& label, ImVec2 min, ImVec2 max) {
    layer().rows.push_back(TwRowInfo{handleOf(bar.id), label, min.x, min.y, max.x, max.y});
}

std::string floatFormat(const Node& node) {
    if (!node.hasStep) return "%g";
    int decimals = int(std::ceil(-std::log10(node.step) - 1e-9));
    decimals = std::clamp(decimals, 0, 10);
    return "%." + std::to_string(decimals) + "f";
}

void copyToClient(std::string& destination, const std::string& source) {
    if (layer().copyString)
        layer().copyString(destination, source);
    else
        destination = source;
}

void drawValue(const Node& node, void* address) {
    ImGuiDataType dataType = ImGuiDataType_S32;
    switch (node.type) {
    case TW_TYPE_BOOLCPP:
        ImGui::Checkbox("##v", static_cast<bool*>(address));
        return;
    case TW_TYPE_CHAR: {
        char* c = static_cast<char*>(address);
        char text[2] = {*c, 0};
        if (ImGui::InputText("##v", text, sizeof text) && text[0] != 0) *c = text[0];
        return;
    }
    case TW_TYPE_QUAT4F: {
        float* q = static_cast<float*>(address);
        if (ImGui::DragFloat4("##v", q, 0.005f)) {
            float length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
            if (length > 1e-6f && std::isfinite(length))
                for (int i = 0; i < 4; ++i) q[i] /= length;
        }
        return;
    }
    case TW_TYPE_STDSTRING: {
        // The field itself changes only through the client's copy function once the edit ends
        // (Enter or a click elsewhere); while it goes on ImGui works on a copy. Escape reverts.
        Layer& l = layer();
        std::string* value = static_cast<std::string*>(address);
        ImGuiID id = ImGui::GetID("##v");
        bool editing = l.editedStringId == id;
        std::string text = editing ? l.editedString : *value;
        ImGui::InputText("##v", &text, ImGuiInputTextFlags_EnterReturnsTrue);
        if (ImGui::IsItemActive()) {
            if (!editing) l.editStart = *value;
            l.editedStringId = id;
            l.editedString = text;
        } else if (editing) {
            l.editedStringId = 0;
            if (text != l.editStart) copyToClient(*value, text);
        }
        return;
    }
    case TW_TYPE_INT16: dataType = ImGuiDataType_S16; break;
    case TW_TYPE_UINT16: dataType = ImGuiDataType_U16; break;
    case TW_TYPE_INT32: dataType = ImGuiDataType_S32; break;
    case TW_TYPE_UINT32: dataType = ImGuiDataType_U32; break;
    case TW_TYPE_INT64: dataType = ImGuiDataType_S64; break;
    case TW_TYPE_UINT64: dataType = ImGuiDataType_U64; break;
    case TW_TYPE_FLOAT: dataType = ImGuiDataType_Float; break;
    case TW_TYPE_DOUBLE: dataType = ImGuiDataType_Double; break;
    default: return;
    }
    if (dataType == ImGuiDataType_Float || dataType == ImGuiDataType_Double) {
        std::string format = floatFormat(node);
        double step = node.hasStep ? node.step : 0.1;
        if (dataType == ImGuiDataType_Float) {
            float s = float(step), fast = float(step * 100.0);
            ImGui::InputScalar("##v", dataType, address, &s, &fast, format.c_str());
        } else {
            double fast = step * 100.0;
            ImGui::InputScalar("##v", dataType, address, &step, &fast, format.c_str());
        }
        return;
    }
    long long step = node.hasStep ? std::max(1LL, (long long)node.step) : 1;
    unsigned char stepBytes[8], fastBytes[8];
    long long fast = step * 10;
    switch (dataType) {
    case ImGuiDataType_S16: { short s = short(step), f = short(fast); std::memcpy(stepBytes, &s, 2); std::memcpy(fastBytes, &f, 2); break; }
    case ImGuiDataType_U16: { unsigned short s = (unsigned short)step, f = (unsigned short)fast; std::memcpy(stepBytes, &s, 2); std::memcpy(fastBytes, &f, 2); break; }
    case ImGuiDataType_U32: { unsigned s = unsigned(step), f = unsigned(fast); std::memcpy(stepBytes, &s, 4); std::memcpy(fastBytes, &f, 4); break; }
    case ImGuiDataType_S64:
    case ImGuiDataType_U64: std::memcpy(stepBytes, &step, 8); std::memcpy(fastBytes, &fast, 8); break;
    default: { int s = int(step), f = int(fast); std::memcpy(stepBytes, &s, 4); std::memcpy(fastBytes, &f, 4); break; }
    }
    ImGui::InputScalar("##v", dataType, address, stepBytes, fastBytes);
}

// Label on the left, value on the right, as a property sheet reads.
void drawLeaf(const Bar& bar, const Node& node, void* address, const std::string& path) {
    float valueColumn = std::max(80.0f, ImGui::GetWindowContentRegionMax().x * 0.45f);
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(node.label.c_str());
    float labelEnd = ImGui::GetItemRectMax().x - ImGui::GetWindowPos().x + ImGui::GetStyle().ItemSpacing.x;
    ImGui::SameLine(std::max(valueColumn, labelEnd));
    ImGui::SetNextItemWidth(-FLT_MIN);
    if (node.readOnly) ImGui::BeginDisabled();
    drawValue(node, address);
    if (node.readOnly) ImGui::EndDisabled();
    recordRow(bar, path, ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
}

void drawNode(const Bar& bar, const Node& node, void* address, const std::string& path, bool top) {
    if (!node.group) {
        drawLeaf(bar, node, address, path);
        return;
    }
    if (top) ImGui::SetNextItemOpen(true, ImGuiCond_Once);
    bool open = ImGui::TreeNodeEx("##group", ImGuiTreeNodeFlags_SpanAvailWidth, "%s", node.label.c_str());
    recordRow(bar, path, ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
    if (!open) return;
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        const Node& child = node.children[i];
        ImGui::PushID(int(i));
        drawNode(bar, child, memberAddress(address, child.offset), path + "/" + child.label, false);
        ImGui::PopID();
    }
    ImGui::TreePop();
}

void drawBar(Bar& bar) {
    Layer& l = layer();
    float cascade = 10.0f + 28.0f * float(bar.slot % 10);
    ImGui::SetNextWindowPos(ImVec2(cascade, cascade), ImGuiCond_Once);
    ImGui::SetNextWindowSize(ImVec2(std::min(340.0f, float(l.width)), std::min(380.0f, float(l.height))),
                             ImGuiCond_Once);
    std::string title = bar.name + "###bar" + std::to_string(bar.id);
    if (ImGui::Begin(title.c_str(), nullptr, ImGuiWindowFlags_NoSavedSettings)) {
        for (std::size_t i = 0; i < bar.items.size(); ++i) {
            const Item& item = bar.items[i];
            ImGui::PushID(int(i));
            if (item.kind == TwItemInfo::Variable) {
                drawNode(bar, item.node, item.address, item.name, true);
            } else if (item.kind == TwItemInfo::Button) {
                if (item.callback) {
                    if (ImGui::Button(item.name.c_str(), ImVec2(-FLT_MIN, 0.0f)))
                        l.pending.push_back(PendingPress{bar.id, bar.generation, item.callback, item.address});
                } else {
                    ImGui::TextUnformatted(item.name.c_str());
                }
                recordRow(bar, item.name, ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
            } else {
                ImGui::Separator();
            }
            ImGui::PopID();
        }
    }
    ImGui::End();
}

// The scene leaves its own program, buffers and attribute arrays bound; the fixed-function ImGui
// renderer needs none of them, and client-side arrays must not be read as buffer offsets.
void renderWithGl() {
    GLint program = 0, arrayBuffer = 0, elementBuffer = 0, activeTexture = 0, attributeCount = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &attributeCount);
    attributeCount = std::clamp(attributeCount, 0, 32);
    std::vector<GLuint> enabled;
    for (GLint i = 0; i < attributeCount; ++i) {
        GLint on = 0;
        glGetVertexAttribiv(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &on);
        if (on) {
            enabled.push_back(GLuint(i));
            glDisableVertexAttribArray(GLuint(i));
        }
    }
    glUseProgram(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glActiveTexture(GL_TEXTURE0);

    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());

    for (GLuint i : enabled) glEnableVertexAttribArray(i);
    glActiveTexture(GLenum(activeTexture));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, GLuint(elementBuffer));
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(arrayBuffer));
    glUseProgram(GLuint(program));
}

}  // namespace

// --- Life cycle -------------------------------------------------------------------------------------

int TwInit(TwGraphAPI api, void* device) {
    Layer& l = layer();
    if (l.initialised || api != TW_OPENGL) return 0;
    IMGUI_CHECKVERSION();
    l.context = ImGui::CreateContext();
    ImGui::SetCurrentContext(l.context);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
    io.ConfigWindowsMoveFromTitleBarOnly = true;  // dragging inside a bar edits values
    io.KeyMap[ImGuiKey_Backspace] = 8;
    io.KeyMap[ImGuiKey_Tab] = 9;
    io.KeyMap[ImGuiKey_Enter] = 13;
    io.KeyMap[ImGuiKey_Escape] = 27;
    ImGui::StyleColorsDark();
    // Without a current context (tools, tests) the bars are laid out and take input but are not drawn.
    l.glBackend = SDL_GL_GetCurrentContext() != nullptr && ImGui_ImplOpenGL2_Init();
    if (!l.glBackend) {
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    }
    l.initialised = true;
    l.haveLastFrame = false;
    return 1;
}

int TwTerminate() {
    Layer& l = layer();
    l.bars.clear();
    l.structs.clear();
    l.pending.clear();
    l.rows.clear();
    l.input.clear();
    l.heldKey = -1;
    l.editedStringId = 0;
    l.wheelPosition = 0;
    l.width = l.height = 0;
    l.overBar = l.typing = false;
    if (!l.initialised) return 0;
    ImGui::SetCurrentContext(l.context);
    // With the GL context already gone its objects went with it; only ImGui's side is left to free.
    if (l.glBackend && SDL_GL_GetCurrentContext() != nullptr) ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext(l.context);
    l.context = nullptr;
    l.initialised = false;
    l.glBackend = false;
    return 1;
}

// --- Bars ---------------------------------------------------------------------------------------------

TwBar* TwNewBar(const char* name) {
    Layer& l = layer();
    Bar bar;
    bar.id = l.nextBarId++;
    bar.name = textOf(name);
    bar.slot = l.nextSlot++;
    l.bars.push_back(std::move(bar));
    return handleOf(l.bars.back().id);
}

int TwDeleteBar(TwBar* handle) {
    Layer& l = layer();
    auto id = reinterpret_cast<std::uintptr_t>(handle);
    auto it = std::find_if(l.bars.begin(), l.bars.end(), [id](const Bar& b) { return b.id == id; });
    if (it == l.bars.end()) return 0;
    l.bars.erase(it);
    return 1;
}

int TwAddVarRW(TwBar* handle, const char* name, TwType type, void* variable, const char* definition) {
    Bar* bar = findBar(handle);
    if (!bar || !name || !*name || !variable) return 0;
    Item item;
    item.kind = TwItemInfo::Variable;
    item.name = name;
    item.type = type;
    item.address = variable;
    item.definition = textOf(definition);
    item.node.label = item.name;
    item.node.definition = item.definition;
    if (!expand(item.node, type, 0)) return 0;
    bar->items.push_back(std::move(item));
    return 1;
}

int TwAddButton(TwBar* handle, const char* name, TwButtonCallback callback, void* clientData,
                const char* definition) {
    Bar* bar = findBar(handle);
    if (!bar || !name) return 0;
    Item item;
    item.kind = TwItemInfo::Button;
    item.name = name;
    item.address = clientData;
    item.callback = callback;
    item.definition = textOf(definition);
    bar->items.push_back(std::move(item));
    return 1;
}

int TwAddSeparator(TwBar* handle, const char* name, const char* definition) {
    Bar* bar = findBar(handle);
    if (!bar) return 0;
    Item item;
    item.kind = TwItemInfo::Separator;
    item.name = textOf(name);
    item.definition = textOf(definition);
    bar->items.push_back(std::move(item));
    return 1;
}

int TwRemoveAllVars(TwBar* handle) {
    Bar* bar = findBar(handle);
    if (!bar) return 0;
    bar->items.clear();
    ++bar->generation;
    return 1;
}

// --- Struct types -------------------------------------------------------------------------------------

TwType TwDefineStruct(const char* name, const TwStructMember* members, unsigned int memberCount,
                      std::size_t structSize, TwSummaryCallback summary, void* clientData) {
    Layer& l = layer();
    if (!name || !*name || !members || memberCount == 0) return TW_TYPE_UNDEF;
    for (const StructType& s : l.structs)
        if (s.name == name) return TW_TYPE_UNDEF;
    StructType type;
    type.name = name;
    type.size = structSize;
    for (unsigned int i = 0; i < memberCount; ++i) {
        const TwStructMember& m = members[i];
        if (!m.name || !isKnownType(m.type)) return TW_TYPE_UNDEF;
        type.members.push_back(TwMemberInfo{m.name, m.type, m.offset, textOf(m.definition)});
    }
    // Ids are never reused, so a variable's stale type can never name a newer struct.
    type.id = static_cast<TwType>(l.nextStructType++);
    l.structs.push_back(std::move(type));
    return l.structs.back().id;
}

int TwClearAllStructs() {
    layer().structs.clear();
    return 1;
}

int TwRemoveStruct(TwType type) {
    auto& structs = layer().structs;
    auto it = std::find_if(structs.begin(), structs.end(), [type](const StructType& s) { return s.id == type; });
    if (it == structs.end()) return 0;
    structs.erase(it);
    return 1;
}

// --- Drawing and input ----------------------------------------------------------------------------

void TwSetDrawPrologue(void (*prologue)()) { layer().drawPrologue = prologue; }

int TwDraw() {
    Layer& l = layer();
    if (!l.initialised || l.width <= 0 || l.height <= 0) return 0;
    if (l.drawPrologue) l.drawPrologue();
    ImGui::SetCurrentContext(l.context);
    ImGuiIO& io = ImGui::GetIO();

    auto now = std::chrono::steady_clock::now();
    double elapsed = l.haveLastFrame ? std::chrono::duration<double>(now - l.lastFrame).count() : 0.0;
    io.DeltaTime = float(std::clamp(elapsed, 1e-4, 0.25));
    bool stale = l.haveLastFrame && elapsed > staleInputSeconds;
    l.lastFrame = now;
    l.haveLastFrame = true;
    io.DisplaySize = ImVec2(float(l.width), float(l.height));

    applyQueuedInput(io, stale);
    if (l.glBackend) ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    l.rows.clear();
    l.pending.clear();
    for (Bar& bar : l.bars) drawBar(bar);
    l.overBar = ImGui::IsWindowHovered(ImGuiHoveredFlags_AnyWindow);
    ImGui::Render();
    l.typing = io.WantTextInput;
    if (l.glBackend) renderWithGl();

    // Presses run after the pass: a callback may add, empty or delete bars. A press whose bar was
    // emptied or deleted by an earlier callback is dropped, since its client data went with it.
    std::vector<PendingPress> presses;
    presses.swap(l.pending);
    for (const PendingPress& press : presses) {
        Bar* bar = findBar(handleOf(press.barId));
        if (!bar || bar->generation != press.generation) continue;
        press.callback(press.clientData);
    }
    return 1;
}

int TwWindowSize(int width, int height) {
    Layer& l = layer();
    l.width = std::max(0, width);
    l.height = std::max(0, height);
    return 1;
}

int TwMouseButton(TwMouseAction action, TwMouseButtonID button) {
    InputEvent e{InputEvent::Button};
    e.a = button;
    e.b = action == TW_MOUSE_PRESSED ? 1 : 0;
    queueInput(e);
    return layer().overBar ? 1 : 0;
}

int TwMouseMotion(int x, int y) {
    InputEvent e{InputEvent::Move};
    e.a = x;
    e.b = y;
    queueInput(e);
    return layer().overBar ? 1 : 0;
}

int TwMouseWheel(int position) {
    Layer& l = layer();
    InputEvent e{InputEvent::Wheel};
    e.amount = float(position - l.wheelPosition);
    l.wheelPosition = position;
    if (e.amount != 0.0f) queueInput(e);
    return l.overBar ? 1 : 0;
}

int TwKeyPressed(int key, int modifiers) {
    if (key <= 0) return 0;
    InputEvent e{InputEvent::Char};
    if (key == 8 || key == 9 || key == 13 || key == 27) {
        e.kind = InputEvent::Key;
    } else if (key < 32 || key == 127 || key > 0x10FFFF) {
        return 0;  // other control characters edit nothing
    }
    e.a = key;
    queueInput(e);
    return layer().typing ? 1 : 0;
}

void TwCopyStdStringToClientFunc(TwCopyStdStringToClient copy) { layer().copyString = copy; }

// --- Inspection -----------------------------------------------------------------------------------

std::vector<TwBar*> twBars() {
    std::vector<TwBar*> result;
    for (const Bar& bar : layer().bars) result.push_back(handleOf(bar.id));
    return result;
}

std::string twBarName(const TwBar* handle) {
    const Bar* bar = findBar(handle);
    return bar ? bar->name : std::string();
}

std::vector<TwItemInfo> twBarItems(const TwBar* handle) {
    std::vector<TwItemInfo> result;
    const Bar* bar = findBar(handle);
    if (!bar) return result;
    for (const Item& item : bar->items)
        result.push_back(TwItemInfo{item.kind, item.name, item.type, item.address, item.callback, item.definition});
    return result;
}

bool twDescribeStruct(TwType type, std::string& name, std::vector<TwMemberInfo>& members) {
    const StructType* s = findStruct(type);
    if (!s) return false;
    name = s->name;
    members = s->members;
    return true;
}

std::vector<TwRowInfo> twLastFrameRows() { return layer().rows; }

int twWheelPosition() { return layer().wheelPosition; }

void twWindowSize(int& width, int& height) {
    width = layer().width;
    height = layer().height;
}

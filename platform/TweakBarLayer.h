// The editor's property bars: bars, struct types, variables and buttons kept as retained data and
// drawn each frame with an immediate-mode GUI. The editor talks only to these Tw* calls.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A bar handle. Handles are ids, never dereferenced, so a stale handle is refused, not followed.
struct TwBar;

// Value types a variable or struct member can have. Struct types made by TwDefineStruct get ids of
// their own above these.
enum TwType : int {
    TW_TYPE_UNDEF = 0,
    TW_TYPE_BOOLCPP = 1,
    TW_TYPE_CHAR = 5,
    TW_TYPE_INT16 = 8,
    TW_TYPE_UINT16 = 9,
    TW_TYPE_INT32 = 10,
    TW_TYPE_UINT32 = 11,
    TW_TYPE_FLOAT = 12,
    TW_TYPE_DOUBLE = 13,
    TW_TYPE_QUAT4F = 19,
    TW_TYPE_STDSTRING = 24,
    // Whole 64-bit integers, so that a long field is never written half.
    TW_TYPE_INT64 = 30,
    TW_TYPE_UINT64 = 31,
};

enum TwGraphAPI : int { TW_OPENGL = 1 };
enum TwMouseAction : int { TW_MOUSE_RELEASED = 0, TW_MOUSE_PRESSED = 1 };
enum TwMouseButtonID : int { TW_MOUSE_LEFT = 1, TW_MOUSE_MIDDLE = 2, TW_MOUSE_RIGHT = 3 };

// One member of a struct type: it sits at `offset` bytes from the struct variable's address. The
// offset may wrap around (a member living below the variable), as with pointer arithmetic.
struct TwStructMember {
    const char* name;
    TwType type;
    std::size_t offset;
    const char* definition;  // options such as " step=0.0001 " or " readonly=true "; may be null
};

typedef void (*TwButtonCallback)(void* clientData);
typedef void (*TwSummaryCallback)(char* summary, std::size_t maxLength, const void* value, void* clientData);
typedef void (*TwCopyStdStringToClient)(std::string& destination, const std::string& source);

// Results: 1 for success, 0 for failure (nothing is reported on the error stream; callers ignore it).
int TwInit(TwGraphAPI api, void* device);
int TwTerminate();

TwBar* TwNewBar(const char* name);
int TwDeleteBar(TwBar* bar);

// Returns the new type, or TW_TYPE_UNDEF when the name is empty or taken, there are no members, or a
// member has an unknown type. Variables keep their own copy of the layout, so clearing the struct
// types later does not touch bars already filled.
TwType TwDefineStruct(const char* name, const TwStructMember* members, unsigned int memberCount,
                      std::size_t structSize, TwSummaryCallback summary, void* clientData);
int TwClearAllStructs();
// Drops one struct type (the types of one bar's fill, leaving other bars' types alone).
int TwRemoveStruct(TwType type);

int TwAddVarRW(TwBar* bar, const char* name, TwType type, void* variable, const char* definition);
int TwAddButton(TwBar* bar, const char* name, TwButtonCallback callback, void* clientData,
                const char* definition);
int TwAddSeparator(TwBar* bar, const char* name, const char* definition);
int TwRemoveAllVars(TwBar* bar);

// Draws every bar into the current GL context. Buttons pressed during the pass have their callbacks
// run after it, so a callback may delete bars, its own included. The prologue, when set, runs first
// (the bars' owners check there that the memory the bars show is still theirs).
int TwDraw();
void TwSetDrawPrologue(void (*prologue)());

// Input. The mouse calls return 1 when the cursor was over a bar in the last drawn frame.
int TwWindowSize(int width, int height);
int TwMouseButton(TwMouseAction action, TwMouseButtonID button);
int TwMouseMotion(int x, int y);
int TwMouseWheel(int position);  // absolute wheel position, not a step
int TwKeyPressed(int key, int modifiers);  // a typed character; 8, 9, 13 and 27 edit and navigate

void TwCopyStdStringToClientFunc(TwCopyStdStringToClient copy);

// Read-only view of the retained data, for tools and tests.
struct TwItemInfo {
    enum Kind { Variable, Button, Separator };
    Kind kind;
    std::string name;
    TwType type;          // variables only
    void* address;        // variables: the variable; buttons: the client data
    TwButtonCallback callback;  // buttons only
    std::string definition;
};
struct TwMemberInfo {
    std::string name;
    TwType type;
    std::size_t offset;
    std::string definition;
};
// One row drawn in the last frame: a variable, struct member, button or separator, with its screen
// rectangle in window pixels. Nested members are labelled "parent/member".
struct TwRowInfo {
    TwBar* bar;
    std::string label;
    float x0, y0, x1, y1;
};

std::vector<TwBar*> twBars();  // in creation order
std::string twBarName(const TwBar* bar);
std::vector<TwItemInfo> twBarItems(const TwBar* bar);
bool twDescribeStruct(TwType type, std::string& name, std::vector<TwMemberInfo>& members);
std::vector<TwRowInfo> twLastFrameRows();
// The last absolute wheel position and window size the layer was given.
int twWheelPosition();
void twWindowSize(int& width, int& height);

#pragma once

// The OpenGL binding: the OpenGL, GLU and EGL libraries loaded at run time (the program links
// none of them), one table of entry points looked up by name, and the implementation's
// version and extension flags read after a context has been made current.
//
// Everything here is module state of one process, used from the user-interface thread.

#include "GLExtensionList.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// dlopen() handle of the OpenGL library; null while none is loaded.
extern void* GLLibrary;
// dlopen() handle of the GLU library; null while none is loaded.
extern void* GLULibrary;
// dlopen() handle of libEGL.so.1; null while none is loaded.
extern void* EGLLibrary;

// One variable per entry point, holding its address or null. Member names are the
// functions' own names; the list is generated from the Khronos registry.
struct GLEntryPointTable {
    // Taken from libEGL's export table; plays the part of the window system's
    // get-proc-address.
    void* eglGetProcAddress = nullptr;
#define LUMENPAD_EGL_ENTRY(name) void* name = nullptr;
#define LUMENPAD_GLU_ENTRY(name) void* name = nullptr;
#define LUMENPAD_GL_1_1_ENTRY(name) void* name = nullptr;
#define LUMENPAD_GL_1_2_ENTRY(name) void* name = nullptr;
#define LUMENPAD_GL_1_3_ENTRY(name) void* name = nullptr;
#define LUMENPAD_GL_1_4_ENTRY(name) void* name = nullptr;
#define LUMENPAD_GL_1_5_ENTRY(name) void* name = nullptr;
#define LUMENPAD_EXTENSION_ENTRY(name) void* name = nullptr;
#include "GLEntryPoints.inc"
};

extern GLEntryPointTable GLEntries;

// Number of names in each group of the table, for callers that report on coverage.
enum class GLEntryGroup { EGL, GLU, GL_1_1, GL_1_2, GL_1_3, GL_1_4, GL_1_5, Extension };
int GLEntryGroupSize(GLEntryGroup group);
// How many entries of a group currently hold an address.
int GLEntryGroupResolved(GLEntryGroup group);

// A function pointer of the right type for a table entry (null stays null).
template <class Function>
Function EntryAs(void* address)
{
    return reinterpret_cast<Function>(address);
}

// Loads the OpenGL and GLU libraries by file name (and libEGL.so.1) and fills the EGL and GLU
// groups; true when the OpenGL library loaded. Libraries loaded by an earlier call are
// released. A library that does not load leaves its handle null; nothing is reported.
bool LoadGraphicsLibraries(const char* glName, const char* gluName);

// The address of a function: eglGetProcAddress first, then the OpenGL library's export table;
// null when neither knows the name.
void* LookupGLEntry(const char* name);

// Fills the OpenGL 1.0 to 1.5 groups and the extension group for the context that is
// current now. Does nothing while no OpenGL library is loaded.
void ResolveGLEntryPoints();

// Version and extension flags.
enum class GLVersion { V1_0, V1_1, V1_2, V1_3, V1_4, V1_5 };
enum class GLUVersion { V1_1, V1_2, V1_3 };
using GLVersionSet = std::bitset<6>;
using GLUVersionSet = std::bitset<3>;
using ExtensionSet = std::bitset<kExtensionFlagCount>;

extern GLVersionSet GLVersionFlags;
extern GLUVersionSet GLUVersionFlags;
extern ExtensionSet ExtensionFlags;

bool HasGLVersion(GLVersion version);
bool HasGLUVersion(GLUVersion version);
// The flag of a listed extension name; false for a name the list does not hold.
bool HasExtensionFlag(std::string_view name);

// Fills the three flag sets from the current context's strings, gluGetString and the EGL
// display's extension string.
void QueryGLCapabilities();

struct VersionNumber {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    friend bool operator==(const VersionNumber&, const VersionNumber&) = default;
};

// Major and minor number of a version text such as "4.5 (Compatibility Profile) Mesa 22.3.6":
// the digits on both sides of the first point. 0.0 when the text does not have that shape.
VersionNumber ParseVersionNumber(std::string_view text);

// Whether the first occurrence of name in the extension text ends the text or is followed by
// something other than a letter or an underscore.
bool HasExtensionName(std::string_view extensions, std::string_view name);

// The flag computations of QueryGLCapabilities, on given texts.
GLVersionSet GLVersionFlagsFor(std::string_view versionText);
GLUVersionSet GLUVersionFlagsFor(bool haveGluGetString, std::string_view gluVersionText);
ExtensionSet ExtensionFlagsFor(std::string_view extensions);

// Sets the x87 control word to 0x133F (all exceptions masked, 64-bit precision, round to
// nearest) and makes it the runtime's default; does nothing on other processors.
void SetupFloatingPoint();

// Turns off the drivers' on-disk shader caches for this process. A cache hit skips the
// compile and leaves an empty info log, which would hide warnings from a repeated check.
// Must run before the first EGL call.
void DisableShaderDiskCaches();

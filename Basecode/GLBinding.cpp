#include "GLBinding.h"

#include "GLTypes.h"

#include <EGL/egl.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <span>

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#endif

void* GLLibrary = nullptr;
void* GLULibrary = nullptr;
void* EGLLibrary = nullptr;

GLEntryPointTable GLEntries;

GLVersionSet GLVersionFlags;
GLUVersionSet GLUVersionFlags;
ExtensionSet ExtensionFlags;

namespace {

using namespace gltypes;

struct EntrySlot {
    const char* name;
    void* GLEntryPointTable::*slot;
};

#define LUMENPAD_EGL_ENTRY(name) {#name, &GLEntryPointTable::name},
constexpr EntrySlot kEGLGroup[] = {
#include "GLEntryPoints.inc"
};
#define LUMENPAD_GLU_ENTRY(name) {#name, &GLEntryPointTable::name},
constexpr EntrySlot kGLUGroup[] = {
#include "GLEntryPoints.inc"
};
#define LUMENPAD_GL_1_1_ENTRY(name) {#name, &GLEntryPointTable::name},
constexpr EntrySlot kGL11Group[] = {
#include "GLEntryPoints.inc"
};
#define LUMENPAD_GL_1_2_ENTRY(name) {#name, &GLEntryPointTable::name},
constexpr EntrySlot kGL12Group[] = {
#include "GLEntryPoints.inc"
};
#define LUMENPAD_GL_1_3_ENTRY(name) {#name, &GLEntryPointTable::name},
constexpr EntrySlot kGL13Group[] = {
#include "GLEntryPoints.inc"
};
#define LUMENPAD_GL_1_4_ENTRY(name) {#name, &GLEntryPointTable::name},
constexpr EntrySlot kGL14Group[] = {
#include "GLEntryPoints.inc"
};
#define LUMENPAD_GL_1_5_ENTRY(name) {#name, &GLEntryPointTable::name},
constexpr EntrySlot kGL15Group[] = {
#include "GLEntryPoints.inc"
};
#define LUMENPAD_EXTENSION_ENTRY(name) {#name, &GLEntryPointTable::name},
constexpr EntrySlot kExtensionGroup[] = {
#include "GLEntryPoints.inc"
};

std::span<const EntrySlot> Group(GLEntryGroup group)
{
    switch (group) {
    case GLEntryGroup::EGL: return kEGLGroup;
    case GLEntryGroup::GLU: return kGLUGroup;
    case GLEntryGroup::GL_1_1: return kGL11Group;
    case GLEntryGroup::GL_1_2: return kGL12Group;
    case GLEntryGroup::GL_1_3: return kGL13Group;
    case GLEntryGroup::GL_1_4: return kGL14Group;
    case GLEntryGroup::GL_1_5: return kGL15Group;
    case GLEntryGroup::Extension: return kExtensionGroup;
    }
    return {};
}

using GetProcAddressProc = void* (*)(const char* name);
using EGLQueryStringProc = const char* (*)(EGLDisplay display, EGLint name);
using EGLGetCurrentDisplayProc = EGLDisplay (*)();

void* OpenLibrary(const char* name)
{
    // dlopen(nullptr) would hand back the program itself.
    if (name == nullptr || *name == '\0')
        return nullptr;
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void CloseLibrary(void* handle)
{
    if (handle)
        dlclose(handle);
}

void* Symbol(void* library, const char* name)
{
    return library ? dlsym(library, name) : nullptr;
}

void* GetProcAddressOnly(const char* name)
{
    auto getProcAddress = EntryAs<GetProcAddressProc>(GLEntries.eglGetProcAddress);
    return getProcAddress ? getProcAddress(name) : nullptr;
}

// The EGL functions live in libEGL rather than in the OpenGL library, so that is where the
// second step of this lookup searches.
void* LookupEGLEntry(const char* name)
{
    void* address = GetProcAddressOnly(name);
    return address ? address : Symbol(EGLLibrary, name);
}

template <class Lookup>
void FillGroup(GLEntryGroup group, Lookup lookup)
{
    for (const EntrySlot& entry : Group(group))
        GLEntries.*entry.slot = lookup(entry.name);
}

std::string Text(const GLubyte* text)
{
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetterOrUnderscore(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// A run of decimal digits as a 32-bit signed number; false when empty or too large.
bool ToInt32(std::string_view digits, std::int32_t& value)
{
    if (digits.empty())
        return false;
    std::int64_t v = 0;
    for (char c : digits) {
        if (!IsDigit(c))
            return false;
        v = v * 10 + (c - '0');
        if (v > INT32_MAX)
            return false;
    }
    value = static_cast<std::int32_t>(v);
    return true;
}

} // namespace

int GLEntryGroupSize(GLEntryGroup group)
{
    return static_cast<int>(Group(group).size());
}

int GLEntryGroupResolved(GLEntryGroup group)
{
    int count = 0;
    for (const EntrySlot& entry : Group(group))
        if (GLEntries.*entry.slot)
            ++count;
    return count;
}

bool LoadGraphicsLibraries(const char* glName, const char* gluName)
{
    // The new libraries are opened before the old handles are closed, so a library loaded
    // again under the same name keeps its reference count above zero and is never unloaded
    // underneath a context that still uses it.
    void* previousGL = GLLibrary;
    void* previousGLU = GLULibrary;
    GLLibrary = OpenLibrary(glName);
    // libglvnd keeps the GLX-free OpenGL dispatch in libOpenGL; a system without X may lack
    // libGL itself.
    if (!GLLibrary && glName && std::strcmp(glName, "libGL.so.1") == 0)
        GLLibrary = OpenLibrary("libOpenGL.so.0");
    GLULibrary = OpenLibrary(gluName);
    CloseLibrary(previousGL);
    CloseLibrary(previousGLU);

    // libEGL stays loaded for the life of the process: displays and contexts made through
    // it may outlive a reload of the other two.
    if (!EGLLibrary)
        EGLLibrary = OpenLibrary("libEGL.so.1");
    GLEntries.eglGetProcAddress = Symbol(EGLLibrary, "eglGetProcAddress");

    bool loaded = false;
    if (GLLibrary) {
        FillGroup(GLEntryGroup::EGL, LookupEGLEntry);
        loaded = true;
    }
    if (GLULibrary)
        FillGroup(GLEntryGroup::GLU, [](const char* name) { return Symbol(GLULibrary, name); });
    return loaded;
}

void* LookupGLEntry(const char* name)
{
    void* address = GetProcAddressOnly(name);
    return address ? address : Symbol(GLLibrary, name);
}

void ResolveGLEntryPoints()
{
    if (!GLLibrary)
        return;
    FillGroup(GLEntryGroup::GL_1_1, LookupGLEntry);
    FillGroup(GLEntryGroup::GL_1_2, LookupGLEntry);
    FillGroup(GLEntryGroup::GL_1_3, LookupGLEntry);
    FillGroup(GLEntryGroup::GL_1_4, LookupGLEntry);
    FillGroup(GLEntryGroup::GL_1_5, GetProcAddressOnly);
    FillGroup(GLEntryGroup::Extension, GetProcAddressOnly);
}

bool HasGLVersion(GLVersion version)
{
    return GLVersionFlags.test(static_cast<std::size_t>(version));
}

bool HasGLUVersion(GLUVersion version)
{
    return GLUVersionFlags.test(static_cast<std::size_t>(version));
}

bool HasExtensionFlag(std::string_view name)
{
    const int index = ExtensionIndex(name);
    return index >= 0 && ExtensionFlags.test(static_cast<std::size_t>(index));
}

void QueryGLCapabilities()
{
    auto getString = EntryAs<GetStringProc>(GLEntries.glGetString);
    const std::string version = getString ? Text(getString(GL_VERSION)) : std::string();
    GLVersionFlags = GLVersionFlagsFor(version);

    auto gluGetString = EntryAs<GluGetStringProc>(GLEntries.gluGetString);
    const std::string gluVersion = gluGetString ? Text(gluGetString(GLU_VERSION)) : std::string();
    GLUVersionFlags = GLUVersionFlagsFor(gluGetString != nullptr, gluVersion);

    std::string extensions = getString ? Text(getString(GL_EXTENSIONS)) : std::string();
    if (GLLibrary) {
        // The display's extension string stands in for the window system's extension list.
        GLEntries.eglQueryString = LookupEGLEntry("eglQueryString");
        GLEntries.eglGetCurrentDisplay = LookupEGLEntry("eglGetCurrentDisplay");
        auto queryString = EntryAs<EGLQueryStringProc>(GLEntries.eglQueryString);
        auto currentDisplay = EntryAs<EGLGetCurrentDisplayProc>(GLEntries.eglGetCurrentDisplay);
        if (queryString && currentDisplay) {
            EGLDisplay display = currentDisplay();
            const char* displayExtensions =
                display != EGL_NO_DISPLAY ? queryString(display, EGL_EXTENSIONS) : nullptr;
            if (displayExtensions) {
                extensions += ' ';
                extensions += displayExtensions;
            }
        }
    }
    ExtensionFlags = ExtensionFlagsFor(extensions);
}

VersionNumber ParseVersionNumber(std::string_view text)
{
    const VersionNumber failed{};
    const std::size_t point = text.find('.');
    // The point needs a character on each side, and both must be digits.
    if (point == std::string_view::npos || point == 0 || point + 1 >= text.size())
        return failed;
    if (!IsDigit(text[point - 1]) || !IsDigit(text[point + 1]))
        return failed;

    std::size_t majorStart = point - 1;
    while (majorStart > 0 && IsDigit(text[majorStart - 1]))
        --majorStart;
    std::size_t minorEnd = point + 1;
    while (minorEnd < text.size() && IsDigit(text[minorEnd]))
        ++minorEnd;

    VersionNumber number;
    if (!ToInt32(text.substr(majorStart, point - majorStart), number.major) ||
        !ToInt32(text.substr(point + 1, minorEnd - point - 1), number.minor))
        return failed;
    return number;
}

bool HasExtensionName(std::string_view extensions, std::string_view name)
{
    if (name.empty())
        return false;
    const std::size_t at = extensions.find(name);
    if (at == std::string_view::npos)
        return false;
    const std::size_t end = at + name.size();
    if (end == extensions.size())
        return true;
    return !IsLetterOrUnderscore(extensions[end]);
}

GLVersionSet GLVersionFlagsFor(std::string_view versionText)
{
    GLVersionSet flags;
    flags.set(static_cast<std::size_t>(GLVersion::V1_0));
    const VersionNumber number = ParseVersionNumber(versionText);
    if (number.major > 1) {
        // A later major version contains every 1.x.
        flags.set();
    } else if (number.major == 1) {
        for (int n = 1; n <= 5; ++n)
            if (n <= number.minor)
                flags.set(static_cast<std::size_t>(n));
    }
    return flags;
}

GLUVersionSet GLUVersionFlagsFor(bool haveGluGetString, std::string_view gluVersionText)
{
    GLUVersionSet flags;
    if (!haveGluGetString)
        return flags;
    const VersionNumber number = ParseVersionNumber(gluVersionText);
    flags.set(static_cast<std::size_t>(GLUVersion::V1_1));
    if (number.minor >= 2)
        flags.set(static_cast<std::size_t>(GLUVersion::V1_2));
    if (number.minor >= 3)
        flags.set(static_cast<std::size_t>(GLUVersion::V1_3));
    return flags;
}

ExtensionSet ExtensionFlagsFor(std::string_view extensions)
{
    ExtensionSet flags;
    for (std::size_t i = 0; i < kExtensionNames.size(); ++i)
        flags.set(i, HasExtensionName(extensions, kExtensionNames[i]));
    return flags;
}

void SetupFloatingPoint()
{
#if defined(__i386__) || defined(__x86_64__)
    fpu_control_t word = 0x133F;
    _FPU_SETCW(word);
    // The runtime reloads this value whenever it re-initialises the unit.
    __fpu_control = word;
#endif
}

void DisableShaderDiskCaches()
{
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    setenv("__GL_SHADER_DISK_CACHE", "0", 1);
}

#pragma once

// The one OpenGL rendering context of the program, on an EGL display that stands in for the
// main window's device context. Nothing is ever drawn: the context exists so the driver's
// shader compiler can be reached.
//
// Handles are opaque: a device context ("dc") and a rendering context ("rc") are pointers to
// objects of this module, null meaning none. Failures throw LumenpadError with the user's text.

#include <cstdint>
#include <initializer_list>

// The window system whose display the device context is made on.
enum class WindowSystem {
    X11,      // native display: an Xlib Display*
    Xcb,      // native display: an xcb_connection_t*
    Wayland,  // native display: a wl_display*, or null to open a connection of our own
    Headless, // no native display: Mesa's surfaceless platform, else the first EGL device
};

// Opens and initialises the EGL display for a window system; null when EGL cannot provide
// one (libEGL not loaded, no such platform, initialisation failed). Needs
// LoadGraphicsLibraries to have run.
void* OpenDeviceContext(WindowSystem system, void* nativeDisplay);
// Gives the handle back; null is harmless. The EGL display behind it stays initialised for
// the rest of the process (it may be shared with the toolkit and with other handles), so
// contexts made on it keep working.
void ReleaseDeviceContext(void* dc);

// The device-context object type: kObjDC for a window's display, kObjMemDC for a headless
// one, 0 for a null or foreign handle.
inline constexpr int kObjDC = 1;
inline constexpr int kObjMemDC = 10;
int GetObjectType(void* dc);

enum class ContextOption : unsigned { DoubleBuffer = 1, GdiSupport = 2, Stereo = 4 };

class ContextOptions {
public:
    constexpr ContextOptions() = default;
    constexpr ContextOptions(std::initializer_list<ContextOption> options)
    {
        for (ContextOption o : options)
            bits_ |= static_cast<unsigned>(o);
    }
    constexpr bool has(ContextOption option) const
    {
        return (bits_ & static_cast<unsigned>(option)) != 0;
    }

private:
    unsigned bits_ = 0;
};

// The 40-byte pixel-format request, field for field.
struct PixelFormatDescriptor {
    std::uint16_t nSize;
    std::uint16_t nVersion;
    std::uint32_t dwFlags;
    std::uint8_t iPixelType;
    std::uint8_t cColorBits;
    std::uint8_t cRedBits;
    std::uint8_t cRedShift;
    std::uint8_t cGreenBits;
    std::uint8_t cGreenShift;
    std::uint8_t cBlueBits;
    std::uint8_t cBlueShift;
    std::uint8_t cAlphaBits;
    std::uint8_t cAlphaShift;
    std::uint8_t cAccumBits;
    std::uint8_t cAccumRedBits;
    std::uint8_t cAccumGreenBits;
    std::uint8_t cAccumBlueBits;
    std::uint8_t cAccumAlphaBits;
    std::uint8_t cDepthBits;
    std::uint8_t cStencilBits;
    std::uint8_t cAuxBuffers;
    std::uint8_t iLayerType;
    std::uint8_t bReserved;
    std::uint32_t dwLayerMask;
    std::uint32_t dwVisibleMask;
    std::uint32_t dwDamageMask;
};
static_assert(sizeof(PixelFormatDescriptor) == 40);

inline constexpr std::uint32_t PFD_DOUBLEBUFFER = 0x01;
inline constexpr std::uint32_t PFD_STEREO = 0x02;
inline constexpr std::uint32_t PFD_DRAW_TO_WINDOW = 0x04;
inline constexpr std::uint32_t PFD_DRAW_TO_BITMAP = 0x08;
inline constexpr std::uint32_t PFD_SUPPORT_GDI = 0x10;
inline constexpr std::uint32_t PFD_SUPPORT_OPENGL = 0x20;
inline constexpr std::uint8_t PFD_TYPE_RGBA = 0;
inline constexpr std::uint8_t PFD_MAIN_PLANE = 0;
inline constexpr std::uint8_t PFD_OVERLAY_PLANE = 1;
inline constexpr std::uint8_t PFD_UNDERLAY_PLANE = 0xFF;

// The request CreateGLContext makes. Each size must lie in 0 to 255; the first one that does
// not raises "Fehler bei Bereichsprüfung".
PixelFormatDescriptor BuildPixelFormatDescriptor(bool memoryDC, ContextOptions options,
                                                 int colourBits, int depthBits, int stencilBits,
                                                 int accumBits, int auxBuffers, int layer);

// Creates a context on the device context; never returns null. Layers other than 0 do not
// exist here and fail with the operating-system error.
void* CreateGLContext(void* dc, ContextOptions options, int colourBits, int depthBits,
                      int stencilBits, int accumBits, int auxBuffers, int layer);

// Makes rc current on this thread, then refreshes the entry points and capability flags.
// Null handles fail the assertions "DC must not be 0" and "RC must not be 0".
void MakeGLContextCurrent(void* dc, void* rc);

// Leaves this thread without a current context; the entry-point table keeps its values.
void ReleaseGLContext();

// Destroys the context; null is harmless.
void DeleteGLContext(void* rc);

// A context of a given API, version and profile, made to check shaders against a target.
// major 0 asks for whatever the driver gives. Null when the driver offers no such context,
// which is no failure of the program: a driver need not offer every version. Deleted with
// DeleteGLContext; made current with MakeGLContextCurrent like the window's own.
enum class ContextApi { OpenGL, OpenGLES };
enum class ContextProfile { Any, Core, Compatibility };
struct ContextRequest {
    ContextApi api = ContextApi::OpenGL;
    int major = 0;
    int minor = 0;
    ContextProfile profile = ContextProfile::Any;
};
void* CreateRequestedContext(void* dc, const ContextRequest& request);

#include "GLContext.h"

#include "GLBinding.h"
#include "LumenpadError.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <dlfcn.h>

#include <string_view>
#include <vector>

namespace {

// Both handle kinds start with a tag, so a handle of the wrong kind (the two travel as void*)
// is told apart before it is used.
enum class HandleTag : std::uint32_t { Device = 0x4C504443, Rendering = 0x4C505243 };

struct Handle {
    explicit Handle(HandleTag t) : tag(t) {}
    HandleTag tag;
};

struct DeviceContext : Handle {
    DeviceContext() : Handle(HandleTag::Device) {}
    EGLDisplay display = EGL_NO_DISPLAY;
    bool memory = false; // headless: no window behind it
};

struct RenderingContext : Handle {
    RenderingContext() : Handle(HandleTag::Rendering) {}
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface pbuffer = EGL_NO_SURFACE; // only where the display cannot go surfaceless
    EGLenum api = EGL_OPENGL_API;        // OpenGL or OpenGL ES
};

void* ToHandle(Handle* handle)
{
    return static_cast<void*>(handle);
}

Handle* FromHandle(void* handle)
{
    return static_cast<Handle*>(handle);
}

DeviceContext* AsDevice(void* dc)
{
    Handle* h = FromHandle(dc);
    return h && h->tag == HandleTag::Device ? static_cast<DeviceContext*>(h) : nullptr;
}

RenderingContext* AsRendering(void* rc)
{
    Handle* h = FromHandle(rc);
    return h && h->tag == HandleTag::Rendering ? static_cast<RenderingContext*>(h) : nullptr;
}

// A typed local copy of an entry of the EGL group, named as the function.
#define EGL_FN(name, type) const auto name = EntryAs<type>(GLEntries.name)

[[noreturn]] void AssertionFailed(const char* text, const char* file, int line)
{
    throw LumenpadError(QString::asprintf("%s (%s, Zeile %d)", text, file, line));
}

#define LUMENPAD_ASSERT(condition, text) \
    do { \
        if (!(condition)) \
            AssertionFailed(text, __FILE__, __LINE__); \
    } while (false)

QString EGLErrorName(EGLint code)
{
    switch (code) {
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_CURRENT_SURFACE: return "EGL_BAD_CURRENT_SURFACE";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_NATIVE_PIXMAP: return "EGL_BAD_NATIVE_PIXMAP";
    case EGL_BAD_NATIVE_WINDOW: return "EGL_BAD_NATIVE_WINDOW";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    case EGL_BAD_SURFACE: return "EGL_BAD_SURFACE";
    case EGL_CONTEXT_LOST: return "EGL_CONTEXT_LOST";
    default: return QString::asprintf("EGL error 0x%04X", static_cast<unsigned>(code));
    }
}

// The last operating-system error, as the runtime words it.
[[noreturn]] void RaiseOSError(EGLint code)
{
    if (code == 0 || code == EGL_SUCCESS)
        throw LumenpadError(QStringLiteral("Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen"));
    throw LumenpadError(QString::asprintf("Systemfehler.  Code: %d.\r\n", static_cast<int>(code)) +
                        EGLErrorName(code));
}

EGLint LastEGLError()
{
    EGL_FN(eglGetError, PFNEGLGETERRORPROC);
    return eglGetError ? eglGetError() : 0;
}

bool HasToken(const char* list, std::string_view token)
{
    if (!list)
        return false;
    std::string_view rest(list);
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        if (rest.substr(0, space) == token)
            return true;
        if (space == std::string_view::npos)
            break;
        rest.remove_prefix(space + 1);
    }
    return false;
}

// --- Displays ------------------------------------------------------------------------------

using WlDisplayConnectProc = void* (*)(const char* name);

// Displays are initialised once and stay so for the rest of the process, like the libraries:
// one may be shared with the toolkit's own EGL use, every handle on the same platform gets the
// same display, and the driver tidies up at exit. So releasing a handle never terminates one.

// Our own connection to the compositor, opened at most once.
void* WaylandConnection()
{
    static void* const connection = []() -> void* {
        void* library = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
        auto connect = reinterpret_cast<WlDisplayConnectProc>(
            library ? dlsym(library, "wl_display_connect") : nullptr);
        return connect ? connect(nullptr) : nullptr;
    }();
    return connection;
}

EGLDisplay PlatformDisplay(EGLenum platform, void* native)
{
    EGL_FN(eglGetPlatformDisplay, PFNEGLGETPLATFORMDISPLAYPROC);
    EGL_FN(eglGetPlatformDisplayEXT, PFNEGLGETPLATFORMDISPLAYEXTPROC);
    if (eglGetPlatformDisplay)
        return eglGetPlatformDisplay(platform, native, nullptr);
    if (eglGetPlatformDisplayEXT)
        return eglGetPlatformDisplayEXT(platform, native, nullptr);
    return EGL_NO_DISPLAY;
}

// A display of the platform, initialised; EGL_NO_DISPLAY when either step fails.
EGLDisplay InitialisedDisplay(EGLenum platform, void* native)
{
    EGL_FN(eglInitialize, PFNEGLINITIALIZEPROC);
    EGLDisplay display = PlatformDisplay(platform, native);
    if (display == EGL_NO_DISPLAY || !eglInitialize)
        return EGL_NO_DISPLAY;
    EGLint major = 0;
    EGLint minor = 0;
    return eglInitialize(display, &major, &minor) ? display : EGL_NO_DISPLAY;
}

EGLDisplay HeadlessDisplay(const char* clientExtensions)
{
    if (HasToken(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay display = InitialisedDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY);
        if (display != EGL_NO_DISPLAY)
            return display;
    }
    EGL_FN(eglQueryDevicesEXT, PFNEGLQUERYDEVICESEXTPROC);
    if (!HasToken(clientExtensions, "EGL_EXT_platform_device") || !eglQueryDevicesEXT)
        return EGL_NO_DISPLAY;
    EGLint count = 0;
    if (!eglQueryDevicesEXT(0, nullptr, &count) || count <= 0)
        return EGL_NO_DISPLAY;
    std::vector<EGLDeviceEXT> devices(static_cast<std::size_t>(count));
    if (!eglQueryDevicesEXT(count, devices.data(), &count))
        return EGL_NO_DISPLAY;
    for (EGLint i = 0; i < count; ++i) {
        EGLDisplay display = InitialisedDisplay(EGL_PLATFORM_DEVICE_EXT, devices[static_cast<std::size_t>(i)]);
        if (display != EGL_NO_DISPLAY)
            return display;
    }
    return EGL_NO_DISPLAY;
}

// --- Configs -------------------------------------------------------------------------------

// The descriptor as an EGL config request. Accumulation and auxiliary buffers, stereo and
// GDI have no EGL counterpart; pbuffer support is what lets a headless display offer configs.
EGLConfig ChooseConfig(EGLDisplay display, const PixelFormatDescriptor& pfd)
{
    EGL_FN(eglChooseConfig, PFNEGLCHOOSECONFIGPROC);
    const EGLint attributes[] = {
        EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT,
        EGL_BUFFER_SIZE, pfd.cColorBits,
        EGL_DEPTH_SIZE, pfd.cDepthBits,
        EGL_STENCIL_SIZE, pfd.cStencilBits,
        EGL_NONE,
    };
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, attributes, &config, 1, &count))
        RaiseOSError(LastEGLError());
    if (count < 1) {
        const EGLint error = LastEGLError();
        RaiseOSError(error == EGL_SUCCESS ? EGL_BAD_CONFIG : error);
    }
    return config;
}

[[noreturn]] void RaiseRangeError()
{
    throw LumenpadError(QStringLiteral("Fehler bei Bereichsprüfung"));
}

std::uint8_t CheckedByte(int value)
{
    if (value < 0 || value > 255)
        RaiseRangeError();
    return static_cast<std::uint8_t>(value);
}

} // namespace

void* OpenDeviceContext(WindowSystem system, void* nativeDisplay)
{
    EGL_FN(eglQueryString, PFNEGLQUERYSTRINGPROC);
    EGL_FN(eglInitialize, PFNEGLINITIALIZEPROC);
    if (!eglQueryString || !eglInitialize ||
        (!GLEntries.eglGetPlatformDisplay && !GLEntries.eglGetPlatformDisplayEXT))
        return nullptr;
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);

    EGLDisplay display = EGL_NO_DISPLAY;
    switch (system) {
    case WindowSystem::X11:
        if (nativeDisplay &&
            (HasToken(client, "EGL_KHR_platform_x11") || HasToken(client, "EGL_EXT_platform_x11")))
            display = InitialisedDisplay(EGL_PLATFORM_X11_KHR, nativeDisplay);
        break;
    case WindowSystem::Xcb:
        if (nativeDisplay && HasToken(client, "EGL_EXT_platform_xcb"))
            display = InitialisedDisplay(EGL_PLATFORM_XCB_EXT, nativeDisplay);
        break;
    case WindowSystem::Wayland:
        if (HasToken(client, "EGL_KHR_platform_wayland") || HasToken(client, "EGL_EXT_platform_wayland")) {
            void* connection = nativeDisplay ? nativeDisplay : WaylandConnection();
            if (connection)
                display = InitialisedDisplay(EGL_PLATFORM_WAYLAND_KHR, connection);
        }
        break;
    case WindowSystem::Headless:
        break;
    }

    bool memory = false;
    if (display == EGL_NO_DISPLAY) {
        // No display of the window system: the checks still work on a headless one.
        display = HeadlessDisplay(client);
        memory = true;
    }
    if (display == EGL_NO_DISPLAY)
        return nullptr;
    auto* dc = new DeviceContext;
    dc->display = display;
    dc->memory = memory;
    return ToHandle(dc);
}

void ReleaseDeviceContext(void* dc)
{
    DeviceContext* device = AsDevice(dc);
    if (!device)
        return;
    delete device;
}

int GetObjectType(void* dc)
{
    const DeviceContext* device = AsDevice(dc);
    if (!device)
        return 0;
    return device->memory ? kObjMemDC : kObjDC;
}

PixelFormatDescriptor BuildPixelFormatDescriptor(bool memoryDC, ContextOptions options,
                                                 int colourBits, int depthBits, int stencilBits,
                                                 int accumBits, int auxBuffers, int layer)
{
    PixelFormatDescriptor pfd{};
    pfd.nSize = sizeof(PixelFormatDescriptor);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_SUPPORT_OPENGL;
    pfd.dwFlags |= memoryDC ? PFD_DRAW_TO_BITMAP : PFD_DRAW_TO_WINDOW;
    if (options.has(ContextOption::DoubleBuffer))
        pfd.dwFlags |= PFD_DOUBLEBUFFER;
    if (options.has(ContextOption::GdiSupport))
        pfd.dwFlags |= PFD_SUPPORT_GDI;
    if (options.has(ContextOption::Stereo))
        pfd.dwFlags |= PFD_STEREO;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = CheckedByte(colourBits);
    pfd.cDepthBits = CheckedByte(depthBits);
    pfd.cStencilBits = CheckedByte(stencilBits);
    pfd.cAccumBits = CheckedByte(accumBits);
    pfd.cAuxBuffers = CheckedByte(auxBuffers);
    pfd.iLayerType = layer == 0 ? PFD_MAIN_PLANE : layer > 0 ? PFD_OVERLAY_PLANE : PFD_UNDERLAY_PLANE;
    return pfd;
}

void* CreateGLContext(void* dc, ContextOptions options, int colourBits, int depthBits,
                      int stencilBits, int accumBits, int auxBuffers, int layer)
{
    const int type = GetObjectType(dc);
    if (type == 0)
        RaiseOSError(EGL_BAD_DISPLAY);
    const DeviceContext* device = AsDevice(dc);
    const PixelFormatDescriptor pfd = BuildPixelFormatDescriptor(
        type == kObjMemDC, options, colourBits, depthBits, stencilBits, accumBits, auxBuffers, layer);

    EGL_FN(eglBindAPI, PFNEGLBINDAPIPROC);
    EGL_FN(eglChooseConfig, PFNEGLCHOOSECONFIGPROC);
    EGL_FN(eglCreateContext, PFNEGLCREATECONTEXTPROC);
    EGL_FN(eglDestroyContext, PFNEGLDESTROYCONTEXTPROC);
    EGL_FN(eglQueryString, PFNEGLQUERYSTRINGPROC);
    EGL_FN(eglCreatePbufferSurface, PFNEGLCREATEPBUFFERSURFACEPROC);
    if (!eglBindAPI || !eglChooseConfig || !eglCreateContext || !eglDestroyContext || !eglQueryString)
        RaiseOSError(0);

    const EGLConfig config = ChooseConfig(device->display, pfd);
    // Overlay and underlay planes do not exist in EGL.
    if (layer != 0)
        RaiseOSError(0);
    if (!eglBindAPI(EGL_OPENGL_API))
        RaiseOSError(LastEGLError());
    // No version attributes: a compatibility context, which keeps the ARB shader objects.
    const EGLint attributes[] = {EGL_NONE};
    const EGLContext context = eglCreateContext(device->display, config, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT)
        RaiseOSError(LastEGLError());

    EGLSurface pbuffer = EGL_NO_SURFACE;
    if (!HasToken(eglQueryString(device->display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context")) {
        const EGLint size[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        pbuffer = eglCreatePbufferSurface ? eglCreatePbufferSurface(device->display, config, size)
                                          : EGL_NO_SURFACE;
        if (pbuffer == EGL_NO_SURFACE) {
            const EGLint error = LastEGLError();
            eglDestroyContext(device->display, context);
            RaiseOSError(error);
        }
    }

    auto* rc = new RenderingContext;
    rc->display = device->display;
    rc->context = context;
    rc->pbuffer = pbuffer;
    return ToHandle(rc);
}

void MakeGLContextCurrent(void* dc, void* rc)
{
    LUMENPAD_ASSERT(dc != nullptr, "DC must not be 0");
    LUMENPAD_ASSERT(rc != nullptr, "RC must not be 0");
    const DeviceContext* device = AsDevice(dc);
    const RenderingContext* context = AsRendering(rc);
    LUMENPAD_ASSERT(device != nullptr, "DC is not a device context");
    LUMENPAD_ASSERT(context != nullptr, "RC is not a rendering context");

    EGL_FN(eglBindAPI, PFNEGLBINDAPIPROC);
    EGL_FN(eglMakeCurrent, PFNEGLMAKECURRENTPROC);
    if (eglBindAPI && eglMakeCurrent) {
        // The bound API picks which of the thread's current contexts is replaced.
        eglBindAPI(context->api);
        // Not examined: a context that did not become current shows in the empty strings
        // and missing extensions the caller reads next.
        eglMakeCurrent(device->display, context->pbuffer, context->pbuffer, context->context);
    }
    ResolveGLEntryPoints();
    QueryGLCapabilities();
}

void ReleaseGLContext()
{
    EGL_FN(eglBindAPI, PFNEGLBINDAPIPROC);
    EGL_FN(eglMakeCurrent, PFNEGLMAKECURRENTPROC);
    EGL_FN(eglGetCurrentDisplay, PFNEGLGETCURRENTDISPLAYPROC);
    if (!eglBindAPI || !eglMakeCurrent || !eglGetCurrentDisplay)
        return;
    // A thread has a current context per API; an OpenGL ES one is released as well.
    for (EGLenum api : {EGLenum(EGL_OPENGL_ES_API), EGLenum(EGL_OPENGL_API)}) {
        eglBindAPI(api);
        const EGLDisplay display = eglGetCurrentDisplay();
        if (display != EGL_NO_DISPLAY)
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
}

void DeleteGLContext(void* rc)
{
    RenderingContext* context = AsRendering(rc);
    if (!context)
        return;
    EGL_FN(eglDestroyContext, PFNEGLDESTROYCONTEXTPROC);
    EGL_FN(eglDestroySurface, PFNEGLDESTROYSURFACEPROC);
    EGL_FN(eglGetCurrentContext, PFNEGLGETCURRENTCONTEXTPROC);
    EGL_FN(eglBindAPI, PFNEGLBINDAPIPROC);
    // A context current on this thread is released before it goes.
    if (eglGetCurrentContext && eglBindAPI) {
        eglBindAPI(context->api);
        const bool current = eglGetCurrentContext() == context->context;
        eglBindAPI(EGL_OPENGL_API);
        if (current)
            ReleaseGLContext();
    }
    if (context->pbuffer != EGL_NO_SURFACE && eglDestroySurface)
        eglDestroySurface(context->display, context->pbuffer);
    if (eglDestroyContext)
        eglDestroyContext(context->display, context->context);
    delete context;
}

void* CreateRequestedContext(void* dc, const ContextRequest& request)
{
    const DeviceContext* device = AsDevice(dc);
    if (!device)
        return nullptr;
    EGL_FN(eglBindAPI, PFNEGLBINDAPIPROC);
    EGL_FN(eglChooseConfig, PFNEGLCHOOSECONFIGPROC);
    EGL_FN(eglCreateContext, PFNEGLCREATECONTEXTPROC);
    EGL_FN(eglDestroyContext, PFNEGLDESTROYCONTEXTPROC);
    EGL_FN(eglQueryString, PFNEGLQUERYSTRINGPROC);
    EGL_FN(eglCreatePbufferSurface, PFNEGLCREATEPBUFFERSURFACEPROC);
    if (!eglBindAPI || !eglChooseConfig || !eglCreateContext || !eglDestroyContext || !eglQueryString)
        return nullptr;

    const bool es = request.api == ContextApi::OpenGLES;
    const EGLint renderable = !es ? EGL_OPENGL_BIT : request.major >= 3 ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_ES2_BIT;
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, renderable, EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(device->display, configAttributes, &config, 1, &count) || count < 1)
        return nullptr;

    const EGLenum api = es ? EGLenum(EGL_OPENGL_ES_API) : EGLenum(EGL_OPENGL_API);
    if (!eglBindAPI(api))
        return nullptr;
    std::vector<EGLint> attributes;
    if (request.major > 0) {
        attributes.insert(attributes.end(), {EGL_CONTEXT_MAJOR_VERSION, request.major,
                                             EGL_CONTEXT_MINOR_VERSION, request.minor});
    }
    if (!es && request.profile != ContextProfile::Any) {
        attributes.insert(attributes.end(), {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                             request.profile == ContextProfile::Core
                                                 ? EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT
                                                 : EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT});
    }
    attributes.push_back(EGL_NONE);
    const EGLContext context = eglCreateContext(device->display, config, EGL_NO_CONTEXT, attributes.data());
    eglBindAPI(EGL_OPENGL_API);
    if (context == EGL_NO_CONTEXT)
        return nullptr;

    EGLSurface pbuffer = EGL_NO_SURFACE;
    if (!HasToken(eglQueryString(device->display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context")) {
        const EGLint size[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        pbuffer = eglCreatePbufferSurface ? eglCreatePbufferSurface(device->display, config, size) : EGL_NO_SURFACE;
        if (pbuffer == EGL_NO_SURFACE) {
            eglDestroyContext(device->display, context);
            return nullptr;
        }
    }
    auto* rc = new RenderingContext;
    rc->display = device->display;
    rc->context = context;
    rc->pbuffer = pbuffer;
    rc->api = api;
    return ToHandle(rc);
}

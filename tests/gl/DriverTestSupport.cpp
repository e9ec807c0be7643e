#include "DriverTestSupport.h"

void* DriverEnvironment::dc = nullptr;
void* DriverEnvironment::rc = nullptr;
std::string DriverEnvironment::creationFailure;

namespace {
// Registered before main runs; gtest sets it up once before the first test.
[[maybe_unused]] ::testing::Environment* const kDriverEnvironment =
    ::testing::AddGlobalTestEnvironment(new DriverEnvironment);

std::string Text(const gltypes::GLubyte* text)
{
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}
} // namespace

void DriverEnvironment::SetUp()
{
    // As the program does first thing: a cache hit would leave the second compile's log empty.
    DisableShaderDiskCaches();
    LoadGraphicsLibraries("libGL.so.1", "libGLU.so.1");
    dc = OpenDeviceContext(WindowSystem::Headless, nullptr);
    if (!dc)
        return;
    try {
        rc = CreateGLContext(dc, {ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 0);
    } catch (const LumenpadError& e) {
        creationFailure = e.message().toStdString();
    }
}

void DriverEnvironment::TearDown()
{
    DeleteGLContext(rc);
    ReleaseDeviceContext(dc);
    rc = nullptr;
    dc = nullptr;
}

void DriverTest::SetUp()
{
    if (!DriverEnvironment::dc)
        GTEST_SKIP() << "EGL offers no headless display here (libEGL, Mesa surfaceless, EGL device)";
    ASSERT_NE(DriverEnvironment::rc, nullptr) << "context creation failed: " << DriverEnvironment::creationFailure;
}

DriverStrings ReadDriverStrings(void* dc, void* rc)
{
    MakeGLContextCurrent(dc, rc);
    auto getString = EntryAs<gltypes::GetStringProc>(GLEntries.glGetString);
    DriverStrings strings;
    if (getString) {
        strings.vendor = Text(getString(gltypes::GL_VENDOR));
        strings.renderer = Text(getString(gltypes::GL_RENDERER));
        strings.version = Text(getString(gltypes::GL_VERSION));
    }
    ReleaseGLContext();
    return strings;
}

bool HaveCurrentContext()
{
    auto bindApi = EntryAs<PFNEGLBINDAPIPROC>(GLEntries.eglBindAPI);
    auto currentContext = EntryAs<PFNEGLGETCURRENTCONTEXTPROC>(GLEntries.eglGetCurrentContext);
    if (!bindApi || !currentContext)
        return false;
    bindApi(EGL_OPENGL_API);
    return currentContext() != EGL_NO_CONTEXT;
}

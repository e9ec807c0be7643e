// Loading the libraries and filling the entry-point table before any context exists.
#include "GLBinding.h"

#include <gtest/gtest.h>

#include <cstdlib>

#if defined(__i386__) || defined(__x86_64__)
#include <fpu_control.h>
#endif

namespace {

TEST(LoadGraphicsLibraries, FillsTheEGLAndGLUGroupsBeforeAnyContextExists)
{
    ASSERT_TRUE(LoadGraphicsLibraries("libGL.so.1", "libGLU.so.1"));
    EXPECT_NE(GLLibrary, nullptr);
    EXPECT_NE(GLULibrary, nullptr);
    EXPECT_NE(EGLLibrary, nullptr);
    EXPECT_NE(GLEntries.eglGetProcAddress, nullptr);
    EXPECT_EQ(GLEntryGroupSize(GLEntryGroup::GLU), 51);
    EXPECT_EQ(GLEntryGroupResolved(GLEntryGroup::GLU), 51);
    // The context functions: everything CreateGLContext and MakeGLContextCurrent call.
    for (void* entry : {GLEntries.eglGetError, GLEntries.eglInitialize, GLEntries.eglChooseConfig,
                        GLEntries.eglBindAPI, GLEntries.eglCreateContext, GLEntries.eglMakeCurrent,
                        GLEntries.eglDestroyContext, GLEntries.eglGetCurrentDisplay, GLEntries.eglQueryString})
        EXPECT_NE(entry, nullptr);
    // OpenGL names are found by the two-step lookup without a context too.
    EXPECT_NE(LookupGLEntry("glGetString"), nullptr);
    EXPECT_EQ(LookupGLEntry("lumenpadNoSuchEntryPoint"), nullptr);
}

TEST(LoadGraphicsLibraries, MissingLibrariesLeaveHandlesNullAndTheTableAlone)
{
    ASSERT_TRUE(LoadGraphicsLibraries("libGL.so.1", "libGLU.so.1"));
    void* const gluGetString = GLEntries.gluGetString;
    void* const eglMakeCurrent = GLEntries.eglMakeCurrent;
    int marker = 0;
    GLEntries.glAccum = &marker;

    EXPECT_FALSE(LoadGraphicsLibraries("liblumenpad-no-such-gl.so.1", "liblumenpad-no-such-glu.so.1"));
    EXPECT_EQ(GLLibrary, nullptr);
    EXPECT_EQ(GLULibrary, nullptr);
    // The EGL and GLU groups keep their last values; resolving does nothing without OpenGL.
    EXPECT_EQ(GLEntries.gluGetString, gluGetString);
    EXPECT_EQ(GLEntries.eglMakeCurrent, eglMakeCurrent);
    ResolveGLEntryPoints();
    EXPECT_EQ(GLEntries.glAccum, &marker);
    EXPECT_EQ(LookupGLEntry("lumenpadNoSuchEntryPoint"), nullptr);

    EXPECT_TRUE(LoadGraphicsLibraries("libGL.so.1", "libGLU.so.1"));
    EXPECT_NE(GLLibrary, nullptr);
    GLEntries.glAccum = nullptr;
}

TEST(LoadGraphicsLibraries, NullOrEmptyNamesLoadNothing)
{
    // dlopen would take a null name for the program itself.
    EXPECT_FALSE(LoadGraphicsLibraries(nullptr, ""));
    EXPECT_EQ(GLLibrary, nullptr);
    EXPECT_EQ(GLULibrary, nullptr);
    EXPECT_TRUE(LoadGraphicsLibraries("libGL.so.1", "libGLU.so.1"));
}

#if defined(__i386__) || defined(__x86_64__)
TEST(SetupFloatingPoint, SetsTheControlWordAndTheRuntimeDefault)
{
    fpu_control_t before = 0;
    _FPU_GETCW(before);
    const fpu_control_t defaultBefore = __fpu_control;

    SetupFloatingPoint();
    fpu_control_t after = 0;
    _FPU_GETCW(after);
    const fpu_control_t defaultAfter = __fpu_control;

    _FPU_SETCW(before);
    __fpu_control = defaultBefore;
    // Bit 6 is reserved and reads back as 1 on every x87; the defined bits must match.
    constexpr fpu_control_t kDefinedBits = 0x1F3F;
    EXPECT_EQ(after & kDefinedBits, 0x133F);
    EXPECT_EQ(defaultAfter, 0x133F);
}
#endif

TEST(DisableShaderDiskCaches, OverridesWhatTheEnvironmentSaid)
{
    setenv("MESA_SHADER_CACHE_DISABLE", "false", 1);
    setenv("__GL_SHADER_DISK_CACHE", "1", 1);
    DisableShaderDiskCaches();
    EXPECT_STREQ(std::getenv("MESA_SHADER_CACHE_DISABLE"), "true");
    EXPECT_STREQ(std::getenv("__GL_SHADER_DISK_CACHE"), "0");
}

} // namespace

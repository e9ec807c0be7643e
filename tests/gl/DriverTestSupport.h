#pragma once

// The installed OpenGL driver, reached headless through EGL the way the window reaches it:
// the libraries loaded once, one device context and one rendering context for the whole run.

#include "GLBinding.h"
#include "GLContext.h"
#include "GLTypes.h"
#include "LumenpadError.h"

#include <EGL/egl.h>
#include <gtest/gtest.h>

#include <string>

class DriverEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    static void* dc;
    static void* rc;
    // Why the context could not be created, when it could not.
    static std::string creationFailure;
};

// Skips when EGL offers no display at all; fails when a display came up but no context.
class DriverTest : public ::testing::Test {
protected:
    void SetUp() override;

    void* dc() const { return DriverEnvironment::dc; }
    void* rc() const { return DriverEnvironment::rc; }
};

// The driver's GL_VENDOR, GL_RENDERER and GL_VERSION, read with the context made current.
struct DriverStrings {
    std::string vendor;
    std::string renderer;
    std::string version;
};
DriverStrings ReadDriverStrings(void* dc, void* rc);

// Whether this thread has a current OpenGL context, asked of EGL.
bool HaveCurrentContext();

// The message of the LumenpadError the call raises; empty when it raises none.
template <class F>
QString FailureOf(F call)
{
    try {
        call();
    } catch (const LumenpadError& e) {
        return e.message();
    }
    return {};
}

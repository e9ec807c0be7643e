// Creating, activating, releasing and deleting rendering contexts on the real driver.
#include "DriverTestSupport.h"
#include "WindowDeviceContext.h"

#include <QGuiApplication>
#include <QWidget>
#include <QRegularExpression>
#include <gmock/gmock.h>

#include <iostream>

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const QString kOperatingSystemFailure = QStringLiteral("Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen");

class GLContextTest : public DriverTest {};

TEST_F(GLContextTest, HeadlessDisplayIsAMemoryDeviceContext)
{
    EXPECT_EQ(GetObjectType(dc()), kObjMemDC);
    // A rendering context is not a device context.
    EXPECT_EQ(GetObjectType(rc()), 0);
}

TEST_F(GLContextTest, ActivationRefreshesEntryPointsAndFlags)
{
    ExtensionFlags.reset();
    GLVersionFlags.reset();
    GLEntries.glCreateShaderObjectARB = nullptr;

    MakeGLContextCurrent(dc(), rc());
    EXPECT_TRUE(HaveCurrentContext());
    EXPECT_TRUE(HasExtensionFlag("GL_ARB_shader_objects"));
    EXPECT_TRUE(HasExtensionFlag("GL_ARB_vertex_shader"));
    EXPECT_TRUE(HasExtensionFlag("GL_ARB_fragment_shader"));
    EXPECT_TRUE(HasGLVersion(GLVersion::V1_0));
    EXPECT_TRUE(HasGLVersion(GLVersion::V1_5)); // any 2.0 or later driver
    EXPECT_NE(GLEntries.glCreateShaderObjectARB, nullptr);
    EXPECT_EQ(GLEntryGroupResolved(GLEntryGroup::GL_1_1), GLEntryGroupSize(GLEntryGroup::GL_1_1));
    EXPECT_EQ(GLEntryGroupResolved(GLEntryGroup::GL_1_5), GLEntryGroupSize(GLEntryGroup::GL_1_5));

    ReleaseGLContext();
    EXPECT_FALSE(HaveCurrentContext());
    // The table and flags keep what the last activation found.
    EXPECT_NE(GLEntries.glCreateShaderObjectARB, nullptr);
    EXPECT_NE(GLEntries.glGetInfoLogARB, nullptr);
    EXPECT_TRUE(HasExtensionFlag("GL_ARB_shader_objects"));
}

TEST_F(GLContextTest, NullHandlesFailTheAssertionsWithTheSourceLocation)
{
    const QString both = FailureOf([] { MakeGLContextCurrent(nullptr, nullptr); });
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^DC must not be 0 \(.+GLContext\.cpp, Zeile \d+\)$)"))
                    .match(both)
                    .hasMatch())
        << both.toStdString();
    const QString noRc = FailureOf([this] { MakeGLContextCurrent(dc(), nullptr); });
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^RC must not be 0 \(.+GLContext\.cpp, Zeile \d+\)$)"))
                    .match(noRc)
                    .hasMatch())
        << noRc.toStdString();
    const QString noDc = FailureOf([this] { MakeGLContextCurrent(nullptr, rc()); });
    EXPECT_TRUE(noDc.startsWith(QStringLiteral("DC must not be 0 ("))) << noDc.toStdString();
    EXPECT_FALSE(HaveCurrentContext());
}

TEST_F(GLContextTest, RangeErrorComesBeforeAnyEGLCall)
{
    // With config selection unavailable, reaching it would raise the operating-system error
    // instead; the range error shows the sizes were refused first.
    void* const saved = GLEntries.eglChooseConfig;
    GLEntries.eglChooseConfig = nullptr;
    const QString tooMany = FailureOf([this] { CreateGLContext(dc(), {}, 256, 0, 0, 0, 0, 0); });
    const QString negative = FailureOf([this] { CreateGLContext(dc(), {}, -1, 0, 0, 0, 0, 0); });
    const QString twoBad = FailureOf([this] { CreateGLContext(dc(), {}, 256, -1, 0, 0, 0, 0); });
    const QString inRange = FailureOf([this] { CreateGLContext(dc(), {}, 255, 0, 0, 0, 0, 0); });
    GLEntries.eglChooseConfig = saved;

    EXPECT_EQ(tooMany, QStringLiteral("Fehler bei Bereichsprüfung"));
    EXPECT_EQ(negative, QStringLiteral("Fehler bei Bereichsprüfung"));
    EXPECT_EQ(twoBad, QStringLiteral("Fehler bei Bereichsprüfung"));
    EXPECT_EQ(inRange, kOperatingSystemFailure);
}

TEST_F(GLContextTest, LayersOtherThanTheMainPlaneFail)
{
    EXPECT_EQ(FailureOf([this] { CreateGLContext(dc(), {ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, -5); }),
              kOperatingSystemFailure);
    EXPECT_EQ(FailureOf([this] { CreateGLContext(dc(), {ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 1); }),
              kOperatingSystemFailure);
}

TEST_F(GLContextTest, UnsatisfiableRequestNamesTheEGLError)
{
    EXPECT_EQ(FailureOf([this] { CreateGLContext(dc(), {}, 255, 0, 0, 0, 0, 0); }),
              QStringLiteral("Systemfehler.  Code: 12293.\r\nEGL_BAD_CONFIG"));
}

TEST_F(GLContextTest, DepthAndStencilRequestsAreMet)
{
    void* other = CreateGLContext(dc(), {ContextOption::DoubleBuffer, ContextOption::Stereo}, 32, 24, 8, 64, 4, 0);
    ASSERT_NE(other, nullptr);
    MakeGLContextCurrent(dc(), other);
    EXPECT_TRUE(HaveCurrentContext());
    ReleaseGLContext();
    DeleteGLContext(other);
}

TEST_F(GLContextTest, DeletingTheCurrentContextReleasesItFirst)
{
    void* other = CreateGLContext(dc(), {ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 0);
    MakeGLContextCurrent(dc(), other);
    ASSERT_TRUE(HaveCurrentContext());
    DeleteGLContext(other);
    EXPECT_FALSE(HaveCurrentContext());

    // The window's context is unaffected.
    EXPECT_FALSE(ReadDriverStrings(dc(), rc()).version.empty());
}

TEST_F(GLContextTest, ReleasingOneHandleLeavesTheSharedDisplayToTheOthers)
{
    // Every headless device context is the same EGL display: giving one handle back (here
    // before its own context, the reverse of the window's order) must not end the others.
    void* ownDc = OpenDeviceContext(WindowSystem::Headless, nullptr);
    ASSERT_NE(ownDc, nullptr);
    void* ownRc = CreateGLContext(ownDc, {}, 32, 0, 0, 0, 0, 0);
    ReleaseDeviceContext(ownDc);
    // The shared display is still usable by the suite's context and by this one's deletion.
    DeleteGLContext(ownRc);
    EXPECT_FALSE(ReadDriverStrings(dc(), rc()).version.empty());
}

// Headless (offscreen) the window's display is a memory device context; on X11 (run under
// Xvfb by the gl_driver_x11 test) it is the window system's display.
TEST_F(GLContextTest, WindowDeviceContextFollowsThePlatform)
{
    const QString platform = QGuiApplication::platformName();
    QWidget window;
    window.show();
    void* windowDc = GetDC(&window);
    ASSERT_NE(windowDc, nullptr) << platform.toStdString();
    EXPECT_EQ(GetObjectType(windowDc), platform == QLatin1String("xcb") ? kObjDC : kObjMemDC)
        << platform.toStdString();
    void* windowRc = CreateGLContext(windowDc, {ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 0);
    MakeGLContextCurrent(windowDc, windowRc);
    EXPECT_TRUE(HaveCurrentContext());
    EXPECT_TRUE(HasExtensionFlag("GL_ARB_shader_objects"));
    ReleaseGLContext();
    DeleteGLContext(windowRc);
    ReleaseDC(windowDc);
    ReleaseDC(nullptr);
}

TEST_F(GLContextTest, DriverReportsAVersionTheParserUnderstands)
{
    const DriverStrings strings = ReadDriverStrings(dc(), rc());
    const VersionNumber version = ParseVersionNumber(strings.version);
    EXPECT_GE(version.major, 2) << strings.version;
    std::cout << "[ driver   ] " << strings.vendor << " | " << strings.renderer << " | " << strings.version
              << '\n';
}

} // namespace

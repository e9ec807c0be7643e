// The pixel-format request built for a device context.
#include "DriverTestSupport.h"
#include "GLContext.h"
#include "LumenpadError.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cstring>

namespace {

const QString kRangeError = QStringLiteral("Fehler bei Bereichsprüfung");


TEST(PixelFormatDescriptor, WindowRequestOfTheStartUpCall)
{
    const PixelFormatDescriptor pfd =
        BuildPixelFormatDescriptor(false, {ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 0);
    EXPECT_EQ(pfd.nSize, 40);
    EXPECT_EQ(pfd.nVersion, 1);
    EXPECT_EQ(pfd.dwFlags, 0x25u);
    EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(pfd.cColorBits, 32);
    EXPECT_EQ(pfd.iLayerType, PFD_MAIN_PLANE);

    // Everything but the fields above is zero, byte for byte.
    PixelFormatDescriptor expected{};
    expected.nSize = 40;
    expected.nVersion = 1;
    expected.dwFlags = 0x25;
    expected.cColorBits = 32;
    EXPECT_EQ(std::memcmp(&pfd, &expected, sizeof pfd), 0);
}

TEST(PixelFormatDescriptor, MemoryDeviceContextDrawsToABitmap)
{
    const PixelFormatDescriptor pfd =
        BuildPixelFormatDescriptor(true, {ContextOption::DoubleBuffer}, 32, 0, 0, 0, 0, 0);
    EXPECT_EQ(pfd.dwFlags, PFD_SUPPORT_OPENGL | PFD_DRAW_TO_BITMAP | PFD_DOUBLEBUFFER);
}

TEST(PixelFormatDescriptor, EachOptionAddsItsFlag)
{
    struct Case {
        ContextOptions options;
        std::uint32_t flags;
    };
    const Case cases[] = {
        {{}, PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW},
        {{ContextOption::DoubleBuffer}, PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER},
        {{ContextOption::GdiSupport}, PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_GDI},
        {{ContextOption::Stereo}, PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_STEREO},
        {{ContextOption::DoubleBuffer, ContextOption::GdiSupport, ContextOption::Stereo}, 0x37},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildPixelFormatDescriptor(false, c.options, 0, 0, 0, 0, 0, 0).dwFlags, c.flags);
}

TEST(PixelFormatDescriptor, SizesGoToTheirOwnFields)
{
    const PixelFormatDescriptor pfd = BuildPixelFormatDescriptor(false, {}, 24, 16, 8, 64, 2, 0);
    EXPECT_EQ(pfd.cColorBits, 24);
    EXPECT_EQ(pfd.cDepthBits, 16);
    EXPECT_EQ(pfd.cStencilBits, 8);
    EXPECT_EQ(pfd.cAccumBits, 64);
    EXPECT_EQ(pfd.cAuxBuffers, 2);
    EXPECT_EQ(pfd.cRedBits + pfd.cGreenBits + pfd.cBlueBits + pfd.cAlphaBits, 0);
    EXPECT_EQ(pfd.cAccumRedBits + pfd.cAccumGreenBits + pfd.cAccumBlueBits + pfd.cAccumAlphaBits, 0);
}

TEST(PixelFormatDescriptor, LayerTypeFromTheSignOfTheLayer)
{
    EXPECT_EQ(BuildPixelFormatDescriptor(false, {}, 32, 0, 0, 0, 0, 0).iLayerType, 0);
    EXPECT_EQ(BuildPixelFormatDescriptor(false, {}, 32, 0, 0, 0, 0, 3).iLayerType, 1);
    EXPECT_EQ(BuildPixelFormatDescriptor(false, {}, 32, 0, 0, 0, 0, -5).iLayerType, 0xFF);
}

TEST(PixelFormatDescriptor, SizesOutsideAByteRaiseTheRangeError)
{
    EXPECT_EQ(FailureOf([] { BuildPixelFormatDescriptor(false, {}, 255, 255, 255, 255, 255, 0); }), QString());
    EXPECT_EQ(FailureOf([] { BuildPixelFormatDescriptor(false, {}, 256, 0, 0, 0, 0, 0); }), kRangeError);
    EXPECT_EQ(FailureOf([] { BuildPixelFormatDescriptor(false, {}, -1, 0, 0, 0, 0, 0); }), kRangeError);
    EXPECT_EQ(FailureOf([] { BuildPixelFormatDescriptor(false, {}, 32, 256, 0, 0, 0, 0); }), kRangeError);
    EXPECT_EQ(FailureOf([] { BuildPixelFormatDescriptor(false, {}, 32, 0, -1, 0, 0, 0); }), kRangeError);
    EXPECT_EQ(FailureOf([] { BuildPixelFormatDescriptor(false, {}, 32, 0, 0, 1000, 0, 0); }), kRangeError);
    EXPECT_EQ(FailureOf([] { BuildPixelFormatDescriptor(false, {}, 32, 0, 0, 0, 256, 0); }), kRangeError);
    // Two bad values still make one failure with the one message.
    EXPECT_EQ(FailureOf([] { BuildPixelFormatDescriptor(false, {}, 300, -7, 0, 0, 0, 0); }), kRangeError);
}

TEST(GLContextHandles, NullAndForeignHandlesAreNoDeviceContext)
{
    EXPECT_EQ(GetObjectType(nullptr), 0);
    // Release and delete accept null.
    ReleaseDeviceContext(nullptr);
    DeleteGLContext(nullptr);
}

TEST(GLContextHandles, NullHandlesFailTheAssertionsDeviceContextFirst)
{
    const QString both = FailureOf([] { MakeGLContextCurrent(nullptr, nullptr); });
    EXPECT_TRUE(both.startsWith(QStringLiteral("DC must not be 0 ("))) << both.toStdString();
    EXPECT_TRUE(both.contains(QRegularExpression(QStringLiteral("GLContext\\.cpp, Zeile \\d+\\)$"))))
        << both.toStdString();
}

TEST(GLContextHandles, CreationOnANullDeviceContextIsAnOperatingSystemError)
{
    // The device context is examined before the sizes, as GetObjectType comes first.
    const QString message = FailureOf([] { CreateGLContext(nullptr, {}, 256, 0, 0, 0, 0, 0); });
    EXPECT_EQ(message, QStringLiteral("Systemfehler.  Code: 12296.\r\nEGL_BAD_DISPLAY"));
}

} // namespace

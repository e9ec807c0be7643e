#include "Icons.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

struct IconRef {
    std::string name;
    QIcon (*make)(int);
    int index;
};

std::vector<IconRef> AllIcons()
{
    std::vector<IconRef> icons;
    for (int i = 0; i < ToolbarIconCount(); ++i)
        icons.push_back({"Toolbar" + std::to_string(i), &ToolbarIcon, i});
    for (int i = 0; i < TabSheetIconCount(); ++i)
        icons.push_back({"TabSheet" + std::to_string(i), &TabSheetIcon, i});
    return icons;
}

QImage Render(const QIcon& icon, int side, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(QSize(side, side), 1.0, mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

struct AlphaCounts {
    int transparent = 0;
    int partial = 0;
    int opaque = 0;
};

AlphaCounts CountAlpha(const QImage& image)
{
    AlphaCounts counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            if (alpha == 0)
                ++counts.transparent;
            else if (alpha == 255)
                ++counts.opaque;
            else
                ++counts.partial;
        }
    }
    return counts;
}

// Sum of squared differences between neighbouring pixels over all four channels. A sharp edge
// puts its whole step between two pixels; a blurred one spreads it out, which this sum
// punishes, so it measures how crisp a rendering is.
double EdgeEnergy(const QImage& image)
{
    auto step = [](QRgb a, QRgb b) {
        const double dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b),
                     da = qAlpha(a) - qAlpha(b);
        return dr * dr + dg * dg + db * db + da * da;
    };
    double energy = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (x + 1 < image.width())
                energy += step(image.pixel(x, y), image.pixel(x + 1, y));
            if (y + 1 < image.height())
                energy += step(image.pixel(x, y), image.pixel(x, y + 1));
        }
    }
    return energy;
}

// True when every aligned 2 by 2 block is one colour, as in a pixel-doubled picture.
bool IsPixelDoubled(const QImage& image)
{
    for (int y = 0; y + 1 < image.height(); y += 2) {
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            if (image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p || image.pixel(x + 1, y + 1) != p)
                return false;
        }
    }
    return true;
}

class EachIcon : public ::testing::TestWithParam<IconRef> {
protected:
    QIcon Icon() const { return GetParam().make(GetParam().index); }
};

TEST_P(EachIcon, DrawsAPictureOnATransparentBackgroundAtToolbarSizes)
{
    const QIcon icon = Icon();
    ASSERT_FALSE(icon.isNull());
    for (int side : {16, 24, 32, 48}) {
        SCOPED_TRACE(side);
        const QImage image = Render(icon, side);
        ASSERT_EQ(image.size(), QSize(side, side));
        const AlphaCounts counts = CountAlpha(image);
        EXPECT_GT(counts.transparent, 0) << "no background shows through";
        // Enough solid picture to be recognised, not a speck.
        EXPECT_GE(counts.opaque, side * side / 12);
    }
}

TEST_P(EachIcon, LargerRenderingIsDrawnAfreshNotScaledUp)
{
    const QIcon icon = Icon();
    const QImage small = Render(icon, 16);
    const QImage large = Render(icon, 32);

    EXPECT_FALSE(IsPixelDoubled(large)) << "32 px rendering is the 16 px one with doubled pixels";

    const QImage smoothed = small.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_ARGB32);
    EXPECT_GT(EdgeEnergy(large), 1.3 * EdgeEnergy(smoothed))
        << "32 px rendering is no sharper than the 16 px one scaled up smoothly";
}

TEST_P(EachIcon, HighDensityPixmapHasTheDevicePixelsOfTheLargerSize)
{
    const QIcon icon = Icon();
    for (qreal ratio : {1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QPixmap pixmap = icon.pixmap(QSize(16, 16), ratio);
        const int devicePixels = qRound(16 * ratio);
        EXPECT_EQ(pixmap.size(), QSize(devicePixels, devicePixels));
        EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), ratio);
        EXPECT_EQ(pixmap.toImage().convertToFormat(QImage::Format_ARGB32), Render(icon, devicePixels));
    }
}

TEST_P(EachIcon, PaintingIntoAWideRectCentresTheSquarePicture)
{
    const QIcon icon = Icon();
    QImage canvas(40, 24, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        icon.paint(&painter, canvas.rect());
    }
    const QImage painted = canvas.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(painted.copy(8, 0, 24, 24), Render(icon, 24));
    EXPECT_EQ(CountAlpha(painted.copy(0, 0, 8, 24)).transparent, 8 * 24);
    EXPECT_EQ(CountAlpha(painted.copy(32, 0, 8, 24)).transparent, 8 * 24);
}

TEST_P(EachIcon, DisabledRenderingIsGreyAndFainter)
{
    const QIcon icon = Icon();
    const QImage normal = Render(icon, 32);
    const QImage disabled = Render(icon, 32, QIcon::Disabled);
    ASSERT_EQ(disabled.size(), normal.size());
    int visible = 0;
    for (int y = 0; y < disabled.height(); ++y) {
        for (int x = 0; x < disabled.width(); ++x) {
            const QRgb pixel = disabled.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            ++visible;
            EXPECT_TRUE(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel)) << x << "," << y;
            EXPECT_LT(qAlpha(pixel), qAlpha(normal.pixel(x, y))) << x << "," << y;
        }
    }
    EXPECT_GT(visible, 0);
}

INSTANTIATE_TEST_SUITE_P(Icons, EachIcon, ::testing::ValuesIn(AllIcons()),
                         [](const ::testing::TestParamInfo<IconRef>& info) { return info.param.name; });

TEST(Icons, IndexOutsideAListGivesANullIcon)
{
    for (int index : {-1, ToolbarIconCount(), ToolbarIconCount() + 1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(ToolbarIcon(index).isNull());
    }
    for (int index : {-1, TabSheetIconCount(), INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(TabSheetIcon(index).isNull());
    }
}

TEST(Icons, EveryImageIsADifferentPicture)
{
    const std::vector<IconRef> icons = AllIcons();
    for (std::size_t a = 0; a < icons.size(); ++a) {
        for (std::size_t b = a + 1; b < icons.size(); ++b) {
            EXPECT_NE(Render(icons[a].make(icons[a].index), 32), Render(icons[b].make(icons[b].index), 32))
                << icons[a].name << " and " << icons[b].name;
        }
    }
}

// The stage shows in the colour: red for the vertex shader, blue for the fragment shader, and
// a green tick where a check is run.
struct StageColours {
    int index;
    bool red;
    bool blue;
    bool green;
};

class ToolbarColours : public ::testing::TestWithParam<StageColours> {};

bool HasHue(const QImage& image, int hue, int tolerance)
{
    int hits = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = QColor::fromRgba(image.pixel(x, y));
            if (colour.alpha() < 255 || colour.hsvSaturation() < 150 || colour.value() < 120)
                continue;
            const int distance = std::abs(colour.hsvHue() - hue);
            if (std::min(distance, 360 - distance) <= tolerance)
                ++hits;
        }
    }
    return hits >= 8; // a few stray edge pixels do not make a letter
}

TEST_P(ToolbarColours, ShowTheStageInItsColour)
{
    const StageColours expected = GetParam();
    const QImage image = Render(ToolbarIcon(expected.index), 32);
    EXPECT_EQ(HasHue(image, 0, 15), expected.red);
    EXPECT_EQ(HasHue(image, 218, 15), expected.blue);
    EXPECT_EQ(HasHue(image, 122, 15), expected.green);
}

INSTANTIATE_TEST_SUITE_P(Icons, ToolbarColours,
                         ::testing::Values(StageColours{3, true, false, true},  // validator, vertex
                                           StageColours{4, false, true, true},  // validator, fragment
                                           StageColours{6, true, false, false}, // driver, vertex
                                           StageColours{7, false, true, false}, // driver, fragment
                                           StageColours{9, false, false, true}  // driver, both
                                           ),
                         [](const ::testing::TestParamInfo<StageColours>& info) {
                             return "Toolbar" + std::to_string(info.param.index);
                         });

} // namespace

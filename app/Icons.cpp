#include "Icons.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

// Every picture is drawn on a 16 by 16 grid. One unit is one pixel at 16 px, so lines of odd
// width sit on half units and fills on whole units: the 16 px rendering, the one the toolbar
// shows on an ordinary screen, lands on the pixel grid instead of smearing over two pixels.
constexpr qreal kGrid = 16.0;

enum class Picture {
    NewPage,
    OpenFolder,
    Diskette,
    ValidateVertex,
    ValidateFragment,
    SaveAs,
    DriverVertex,
    DriverFragment,
    About,
    DriverBoth,
    VertexPage,
    FragmentPage,
};

// Toolbar images in the order of the window's image list.
constexpr std::array kToolbarPictures{
    Picture::NewPage,      Picture::OpenFolder,     Picture::Diskette, Picture::ValidateVertex,
    Picture::ValidateFragment, Picture::SaveAs,     Picture::DriverVertex, Picture::DriverFragment,
    Picture::About,        Picture::DriverBoth,
};

constexpr std::array kTabSheetPictures{Picture::VertexPage, Picture::FragmentPage};

// The palette. Each filled shape has a darker outline of its own hue so it reads on light
// and on dark toolbars alike.
const QColor kInk(0x3a, 0x3f, 0x47);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kPaperEdge(0x6b, 0x72, 0x7c);
const QColor kVertexRed(0xd7, 0x26, 0x26);
const QColor kFragmentBlue(0x1d, 0x5f, 0xd6);
const QColor kTickGreen(0x3d, 0xb5, 0x3f);
const QColor kTickEdge(0x1b, 0x63, 0x22);
const QColor kFolderBack(0xe0, 0xa2, 0x2c);
const QColor kFolderFront(0xfb, 0xd7, 0x6e);
const QColor kFolderEdge(0x8a, 0x5a, 0x0c);
const QColor kDiskBody(0x3d, 0x6f, 0xc4);
const QColor kDiskEdge(0x1c, 0x3a, 0x72);
const QColor kDiskShutter(0xc9, 0xcf, 0xd8);
const QColor kBurst(0xff, 0xd3, 0x2a);
const QColor kBurstEdge(0xc8, 0x7a, 0x00);
const QColor kDisc(0xff, 0xd8, 0x40);
const QColor kDiscEdge(0xa8, 0x78, 0x00);

QPen Pen(const QColor& color, qreal width, Qt::PenCapStyle cap = Qt::FlatCap,
         Qt::PenJoinStyle join = Qt::MiterJoin)
{
    QPen pen(color, width, Qt::SolidLine, cap, join);
    pen.setMiterLimit(3.0);
    return pen;
}

void FillAndOutline(QPainter& p, const QPainterPath& shape, const QColor& fill, const QColor& edge,
                    Qt::PenJoinStyle join = Qt::MiterJoin)
{
    p.setPen(Pen(edge, 1.0, Qt::FlatCap, join));
    p.setBrush(fill);
    p.drawPath(shape);
}

QPainterPath Polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// ---- letters ---------------------------------------------------------------------------
// Letters are shapes of our own rather than text, so they look the same whatever fonts the
// system has. Each returns the filled outline of one letter: `box` is the letter's outer
// bounds, `stroke` the stem width.

QPainterPath Outlined(const QPainterPath& line, qreal stroke)
{
    QPainterPathStroker stroker;
    stroker.setWidth(stroke);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    return stroker.createStroke(line);
}

QPainterPath LetterV(const QRectF& box, qreal stroke)
{
    const qreal mid = box.center().x();
    const qreal foot = stroke * 0.55; // half the width of the flat bottom
    return Polygon({{box.left(), box.top()},
                    {box.left() + stroke * 1.1, box.top()},
                    {mid, box.bottom() - stroke * 1.6},
                    {box.right() - stroke * 1.1, box.top()},
                    {box.right(), box.top()},
                    {mid + foot, box.bottom()},
                    {mid - foot, box.bottom()}});
}

QPainterPath LetterS(const QRectF& box, qreal stroke)
{
    const qreal half = stroke / 2;
    const qreal left = box.left() + half;
    const qreal right = box.right() - half;
    const qreal top = box.top() + half;
    const qreal bottom = box.bottom() - half;
    const qreal bowl = (bottom - top) / 2; // height of each bowl's centre line
    const qreal radius = bowl / 2;

    QPainterPath line;
    line.moveTo(right + half * 0.4, top);
    line.lineTo(left + radius, top);
    line.arcTo(QRectF(left, top, 2 * radius, bowl), 90, 180);
    line.lineTo(right - radius, top + bowl);
    line.arcTo(QRectF(right - 2 * radius, top + bowl, 2 * radius, bowl), 90, -180);
    line.lineTo(left - half * 0.4, bottom);
    return Outlined(line, stroke);
}

QPainterPath LetterF(const QRectF& box, qreal stroke)
{
    QPainterPath f;
    f.setFillRule(Qt::WindingFill);
    f.addRect(QRectF(box.left(), box.top(), stroke, box.height()));
    f.addRect(QRectF(box.left(), box.top(), box.width(), stroke));
    const qreal barTop = box.top() + std::round((box.height() - stroke) / 2);
    f.addRect(QRectF(box.left(), barTop, box.width() * 0.8, stroke));
    return f;
}

QPainterPath LetterL(const QRectF& box, qreal stroke)
{
    QPainterPath l;
    l.setFillRule(Qt::WindingFill);
    l.addRect(QRectF(box.left(), box.top(), stroke, box.height()));
    l.addRect(QRectF(box.left(), box.bottom() - stroke, box.width(), stroke));
    return l;
}

QPainterPath LetterG(const QRectF& box, qreal stroke)
{
    const qreal half = stroke / 2;
    const QRectF ring = box.adjusted(half, half, -half, -half);
    QPainterPath line;
    line.arcMoveTo(ring, 40);
    line.arcTo(ring, 40, 320);
    line.lineTo(ring.center().x() + half * 0.2, ring.center().y());
    return Outlined(line, stroke);
}

// Dark letters get a pale rim so they stay readable on a dark toolbar; on a light one the
// rim vanishes into the background.
void DrawLetters(QPainter& p, std::initializer_list<QPainterPath> letters, const QColor& color, bool rim)
{
    QPainterPath all;
    all.setFillRule(Qt::WindingFill);
    for (const QPainterPath& letter : letters)
        all.addPath(letter);
    if (rim) {
        p.setPen(Pen(QColor(255, 255, 255, 170), 1.3, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(all);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(all);
}

// The two letters naming a shader stage, in the stage's colour.
void DrawStageLetters(QPainter& p, bool vertex, const QRectF& first, const QRectF& second, qreal stroke)
{
    DrawLetters(p, {vertex ? LetterV(first, stroke) : LetterF(first, stroke), LetterS(second, stroke)},
                vertex ? kVertexRed : kFragmentBlue, false);
}

// ---- shared parts ----------------------------------------------------------------------

void DrawTick(QPainter& p, const QPointF& start, const QPointF& corner, const QPointF& end, qreal width)
{
    QPainterPath tick(start);
    tick.lineTo(corner);
    tick.lineTo(end);
    p.setBrush(Qt::NoBrush);
    p.setPen(Pen(kTickEdge, width + 1.5, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(Pen(kTickGreen, width, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
}

// A sheet of paper with a folded top right corner; `box` runs along the outline's centre.
void DrawPage(QPainter& p, const QRectF& box, qreal fold)
{
    const QPainterPath sheet = Polygon({box.topLeft(),
                                        {box.right() - fold, box.top()},
                                        {box.right(), box.top() + fold},
                                        box.bottomRight(),
                                        box.bottomLeft()});
    FillAndOutline(p, sheet, kPaper, kPaperEdge);
    if (fold <= 0)
        return;
    QPainterPath dogEar({box.right() - fold, box.top()});
    dogEar.lineTo(box.right() - fold, box.top() + fold);
    dogEar.lineTo(box.right(), box.top() + fold);
    p.setBrush(QColor(0xdd, 0xe1, 0xe6));
    p.setPen(Pen(kPaperEdge, 1.0, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(dogEar);
}

// A diskette whose outline runs along `box`: body with a cut corner, shutter at the top,
// label at the bottom.
void DrawDiskette(QPainter& p, const QRectF& box)
{
    const qreal cut = box.width() * 0.16;
    FillAndOutline(p,
                   Polygon({box.topLeft(),
                            {box.right() - cut, box.top()},
                            {box.right(), box.top() + cut},
                            box.bottomRight(),
                            box.bottomLeft()}),
                   kDiskBody, kDiskEdge);

    const qreal unit = box.width() / 13.0; // proportions of the full-size diskette
    const QRectF shutter(box.left() + 3 * unit, box.top(), 7 * unit, 5 * unit);
    p.setPen(Qt::NoPen);
    p.setBrush(kDiskShutter);
    p.drawRect(shutter.adjusted(0.5, 0.5, 0, 0));
    p.setBrush(kDiskEdge);
    p.drawRect(QRectF(shutter.right() - 2.5 * unit, shutter.top() + 1.5 * unit, 1.5 * unit, 2.5 * unit));

    const QRectF label(box.left() + 2 * unit, box.bottom() - 6 * unit, 9 * unit, 6 * unit);
    p.setBrush(kPaper);
    p.drawRect(label.adjusted(0.5, 0.5, 0, -0.5));
    p.setPen(Pen(QColor(0xa4, 0xb4, 0xcc), std::max<qreal>(1.0, unit)));
    const qreal lineLeft = label.left() + 1.5 * unit;
    const qreal lineRight = label.right() - 1.0 * unit;
    p.drawLine(QPointF(lineLeft, label.top() + 2.0 * unit), QPointF(lineRight, label.top() + 2.0 * unit));
    p.drawLine(QPointF(lineLeft, label.top() + 4.0 * unit), QPointF(lineRight, label.top() + 4.0 * unit));
}

// ---- the pictures ----------------------------------------------------------------------

void DrawNewPage(QPainter& p)
{
    DrawPage(p, QRectF(2.5, 1.5, 10, 14), 0);

    // The burst sits on the page's top right corner.
    const QPointF centre(11.5, 4.5);
    QPolygonF star;
    constexpr int kRays = 8;
    for (int i = 0; i < 2 * kRays; ++i) {
        const qreal angle = std::numbers::pi * i / kRays - std::numbers::pi / 2;
        const qreal radius = (i % 2 == 0) ? 3.9 : 1.8;
        star << centre + QPointF(std::cos(angle), std::sin(angle)) * radius;
    }
    QPainterPath burst;
    burst.addPolygon(star);
    burst.closeSubpath();
    p.setPen(Pen(kBurstEdge, 0.9, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(kBurst);
    p.drawPath(burst);
}

void DrawOpenFolder(QPainter& p)
{
    FillAndOutline(p,
                   Polygon({{0.5, 2.5}, {5.5, 2.5}, {7, 4}, {12.5, 4}, {12.5, 14.5}, {0.5, 14.5}}),
                   kFolderBack, kFolderEdge);
    // The lifted front flap.
    FillAndOutline(p, Polygon({{3.5, 7.5}, {15.2, 7.5}, {12.5, 14.5}, {0.5, 14.5}}), kFolderFront,
                   kFolderEdge, Qt::RoundJoin);
}

void DrawDisketteIcon(QPainter& p)
{
    DrawDiskette(p, QRectF(1.5, 1.5, 13, 13));
}

void DrawValidate(QPainter& p, bool vertex)
{
    DrawStageLetters(p, vertex, QRectF(0, 1, 6, 9), QRectF(7, 1, 6, 9), 2.0);
    DrawTick(p, {8.5, 12}, {10.5, 14}, {14.2, 9.2}, 1.6);
}

void DrawSaveAs(QPainter& p)
{
    DrawPage(p, QRectF(1.5, 0.5, 6, 9), 2);
    DrawDiskette(p, QRectF(6.5, 7.5, 8, 8));

    // The arrow comes down beside the page onto the diskette's shutter.
    p.setPen(Pen(QColor(0x8e, 0x14, 0x14), 0.8, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(kVertexRed);
    p.drawPath(Polygon({{11, 0.5}, {13, 0.5}, {13, 4.5}, {15.3, 4.5}, {12, 8.2}, {8.7, 4.5}, {11, 4.5}}));
}

void DrawDriver(QPainter& p, bool vertex)
{
    DrawLetters(p, {LetterG(QRectF(1, 0, 6.5, 7), 1.6), LetterL(QRectF(9, 0, 5, 7), 1.6)}, kInk, true);
    DrawStageLetters(p, vertex, QRectF(1, 9, 6, 7), QRectF(9, 9, 5.5, 7), 1.6);
}

void DrawAbout(QPainter& p)
{
    p.setPen(Pen(kDiscEdge, 1.0));
    p.setBrush(kDisc);
    p.drawEllipse(QPointF(8, 8), 7, 7);

    QPainterPath hook;
    const QRectF bowl(5.2, 3.4, 5.6, 5.0);
    hook.arcMoveTo(bowl, 165);
    hook.arcTo(bowl, 165, -225);
    hook.lineTo(8, 9.3);
    hook.lineTo(8, 10.2);
    p.setBrush(Qt::NoBrush);
    p.setPen(Pen(kVertexRed, 1.9, Qt::FlatCap, Qt::RoundJoin));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(kVertexRed);
    p.drawEllipse(QPointF(8, 12.3), 1.15, 1.15);
}

void DrawDriverBoth(QPainter& p)
{
    DrawTick(p, {2.5, 8.5}, {6, 12.5}, {13.5, 3.5}, 2.4);
}

void DrawVertexPage(QPainter& p)
{
    const QRectF square(3.5, 3.5, 9, 9);
    p.setPen(Pen(kInk, 1.0));
    p.setBrush(QColor(0xcf, 0xe0, 0xf7));
    p.drawRect(square);
    p.setPen(Pen(QColor(0x7a, 0x10, 0x10), 0.9));
    p.setBrush(kVertexRed);
    for (const QPointF& corner :
         {square.topLeft(), square.topRight(), square.bottomLeft(), square.bottomRight()})
        p.drawEllipse(corner, 2.2, 2.2);
}

void DrawFragmentPage(QPainter& p)
{
    // Square pixels shaded across the diagonal, in a checker of lighter and darker cells,
    // as a rasterised picture looks close up.
    p.setPen(Pen(kInk, 1.0));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const int hue = 210 - (row + column) * 30;
            const bool dark = (row + column) % 2 == 1;
            p.setBrush(QColor::fromHsv((hue + 360) % 360, dark ? 200 : 130, dark ? 210 : 250));
            p.drawRect(QRectF(2 + 3 * column, 2 + 3 * row, 3, 3));
        }
    }
}

void DrawPicture(QPainter& p, Picture picture)
{
    switch (picture) {
    case Picture::NewPage: DrawNewPage(p); break;
    case Picture::OpenFolder: DrawOpenFolder(p); break;
    case Picture::Diskette: DrawDisketteIcon(p); break;
    case Picture::ValidateVertex: DrawValidate(p, true); break;
    case Picture::ValidateFragment: DrawValidate(p, false); break;
    case Picture::SaveAs: DrawSaveAs(p); break;
    case Picture::DriverVertex: DrawDriver(p, true); break;
    case Picture::DriverFragment: DrawDriver(p, false); break;
    case Picture::About: DrawAbout(p); break;
    case Picture::DriverBoth: DrawDriverBoth(p); break;
    case Picture::VertexPage: DrawVertexPage(p); break;
    case Picture::FragmentPage: DrawFragmentPage(p); break;
    }
}

// A disabled button shows its picture faded to grey, as the platform's own icons do.
void FadeToGrey(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int grey = 96 + qGray(pixel) * 96 / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(pixel) * 45 / 100);
        }
    }
}

class DrawnIconEngine final : public QIconEngine {
public:
    explicit DrawnIconEngine(Picture picture) : picture_(picture) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        if (mode == QIcon::Disabled) {
            // Fading works on pixels; render at the device's density so it stays sharp.
            const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
            QPixmap faded = Render(rect.size() * ratio, mode);
            faded.setDevicePixelRatio(ratio);
            painter->drawPixmap(rect.topLeft(), faded);
            return;
        }
        Draw(*painter, rect);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        return Render(size, mode);
    }

    // QIcon hands over `size` in device pixels already; `scale` only says how dense they are.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        QPixmap result = Render(size, mode);
        result.setDevicePixelRatio(scale);
        return result;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(picture_); }
    QString key() const override { return QStringLiteral("LumenpadDrawnIcon"); }
    bool isNull() override { return false; }

private:
    // Scales the 16 unit grid onto the largest square centred in `rect`.
    void Draw(QPainter& painter, const QRect& rect) const
    {
        const qreal side = std::min(rect.width(), rect.height());
        if (side <= 0)
            return;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
        painter.scale(side / kGrid, side / kGrid);
        DrawPicture(painter, picture_);
        painter.restore();
    }

    QPixmap Render(const QSize& size, QIcon::Mode mode) const
    {
        if (size.isEmpty())
            return {};
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            Draw(painter, image.rect());
        }
        if (mode == QIcon::Disabled) {
            image = image.convertToFormat(QImage::Format_ARGB32);
            FadeToGrey(image);
        }
        return QPixmap::fromImage(std::move(image));
    }

    Picture picture_;
};

template <std::size_t N>
QIcon IconFrom(const std::array<Picture, N>& pictures, int index)
{
    if (index < 0 || index >= static_cast<int>(N))
        return {};
    return QIcon(new DrawnIconEngine(pictures[static_cast<std::size_t>(index)]));
}

} // namespace

QIcon ToolbarIcon(int index)
{
    return IconFrom(kToolbarPictures, index);
}

int ToolbarIconCount()
{
    return static_cast<int>(kToolbarPictures.size());
}

QIcon TabSheetIcon(int index)
{
    return IconFrom(kTabSheetPictures, index);
}

int TabSheetIconCount()
{
    return static_cast<int>(kTabSheetPictures.size());
}

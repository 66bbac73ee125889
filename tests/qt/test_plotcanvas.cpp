#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QFile>
#include <gtest/gtest.h>

#include "platform/scene.h"
#include "qt/plotcanvas.h"

using namespace vezedo;
using platform::Handle;
using platform::Point3;

namespace {

// A square of four landmarks on a tilted plane, drawn as blue stars, with a dotted black
// line between landmarks 1 and 3 and red labels.
struct KnownShape {
    platform::GraphicsModel model;
    Handle axes = model.currentAxes(model.createFigure());
    std::vector<Point3> landmarks{{0, 0, 0}, {10, 0, 2}, {10, 10, 4}, {0, 10, 2}};

    KnownShape()
    {
        model.plot3(axes, landmarks, platform::parseLineSpec("b*"));
        model.setHold(axes, true);
        model.setAxisEqual(axes);
        model.plot3(axes, {landmarks[0], landmarks[2]}, platform::parseLineSpec("k:"));
        for (std::size_t i = 0; i < landmarks.size(); ++i) {
            const Handle t = model.text3(axes, landmarks[i], std::to_string(i + 1));
            model.set(t, "Color", platform::Value("r"));
        }
    }
};

bool isBlue(QRgb c)
{
    return qBlue(c) > 150 && qRed(c) < 110 && qGreen(c) < 110;
}

bool isRed(QRgb c)
{
    return qRed(c) > 150 && qBlue(c) < 110 && qGreen(c) < 110;
}

bool isDark(QRgb c)
{
    return qRed(c) < 130 && qGreen(c) < 130 && qBlue(c) < 130;
}

}  // namespace

TEST(PlotCanvas, DrawsBlueStarsWhereTheCameraProjectsTheLandmarks)
{
    KnownShape s;
    qt::PlotCanvas canvas(s.model, s.axes);
    const QImage image = canvas.renderImage(QSize(500, 400));
    const platform::Projection proj = platform::projectionOf(s.model, s.axes, 500, 400);
    for (const Point3& p : s.landmarks) {
        const platform::PixelPoint px = proj.toPixel(p);
        int blue = 0;
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                blue += isBlue(image.pixel(static_cast<int>(px.x) + dx, static_cast<int>(px.y) + dy));
        EXPECT_GE(blue, 8) << "no star at " << px.x << "," << px.y;
    }
    // Far from every landmark the background stays white.
    EXPECT_EQ(image.pixel(3, 3), qRgb(255, 255, 255));
}

TEST(PlotCanvas, WritesLabelsInRedBesideTheirLandmarks)
{
    KnownShape s;
    qt::PlotCanvas canvas(s.model, s.axes);
    const QImage image = canvas.renderImage(QSize(500, 400));
    const platform::Projection proj = platform::projectionOf(s.model, s.axes, 500, 400);
    const platform::PixelPoint px = proj.toPixel(s.landmarks[1]);
    int red = 0;
    for (int dy = -8; dy <= 8; ++dy)
        for (int dx = 1; dx <= 14; ++dx)
            red += isRed(image.pixel(static_cast<int>(px.x) + dx, static_cast<int>(px.y) + dy));
    EXPECT_GE(red, 5);
}

TEST(PlotCanvas, DrawsADottedLineWithGaps)
{
    KnownShape s;
    qt::PlotCanvas canvas(s.model, s.axes);
    const QImage image = canvas.renderImage(QSize(500, 400));
    const platform::Projection proj = platform::projectionOf(s.model, s.axes, 500, 400);
    const platform::PixelPoint a = proj.toPixel(s.landmarks[0]), b = proj.toPixel(s.landmarks[2]);
    int switches = 0;
    bool last = false;
    for (double t = 0.15; t <= 0.85; t += 0.002) {
        const int x = static_cast<int>(a.x + (b.x - a.x) * t + 0.5);
        const int y = static_cast<int>(a.y + (b.y - a.y) * t + 0.5);
        bool dark = false;
        for (int d = -1; d <= 1 && !dark; ++d)
            dark = isDark(image.pixel(x + d, y)) || isDark(image.pixel(x, y + d));
        switches += dark != last;
        last = dark;
    }
    EXPECT_GE(switches, 10) << "the line looks solid";
}

TEST(PlotCanvas, RotatingMovesTheProjectedLandmarks)
{
    KnownShape s;
    const auto before = platform::projectionOf(s.model, s.axes, 500, 400).toPixel(s.landmarks[1]);
    platform::Camera camera;
    camera.azimuth += 40;
    s.model.setCamera(s.axes, camera);
    const auto after = platform::projectionOf(s.model, s.axes, 500, 400).toPixel(s.landmarks[1]);
    EXPECT_GT(std::hypot(after.x - before.x, after.y - before.y), 5.0);

    qt::PlotCanvas canvas(s.model, s.axes);
    const QImage rotated = canvas.renderImage(QSize(500, 400));
    canvas.resetView();
    EXPECT_EQ(s.model.object(s.axes).as<platform::AxesData>().camera, platform::Camera{});
    EXPECT_NE(canvas.renderImage(QSize(500, 400)), rotated);
}

TEST(PlotCanvas, SavesValidPngSvgAndPdfFiles)
{
    KnownShape s;
    qt::PlotCanvas canvas(s.model, s.axes);
    canvas.resize(400, 300);
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(canvas.saveFigure(dir.filePath("plot.png"), &error)) << error.toStdString();
    const QImage png(dir.filePath("plot.png"));
    EXPECT_EQ(png.size(), QSize(400, 300));

    ASSERT_TRUE(canvas.saveFigure(dir.filePath("plot.svg"), &error)) << error.toStdString();
    QSvgRenderer svg(dir.filePath("plot.svg"));
    EXPECT_TRUE(svg.isValid());

    ASSERT_TRUE(canvas.saveFigure(dir.filePath("plot.pdf"), &error)) << error.toStdString();
    QFile pdf(dir.filePath("plot.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");

    EXPECT_FALSE(canvas.saveFigure(dir.filePath("plot.bmpx"), &error));
    EXPECT_NE(error.indexOf("bmpx"), -1);
    EXPECT_FALSE(canvas.saveFigure("/nonexistent/folder/plot.png", &error));
}

#include <QFile>
#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <map>

#include "../harness.h"
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
        for (std::size_t i = 0; i < landmarks.size(); ++i)
            model.set(model.text3(axes, landmarks[i], std::to_string(i + 1)), "Color", platform::Value("r"));
    }
    platform::PixelPoint pixel(std::size_t landmark) const
    {
        return platform::projectionOf(model, axes, 500, 400).toPixel(landmarks[landmark]);
    }
};

// Blue, or the lighter blue of a marker behind the shape's middle.
const auto isBlue = [](QRgb c) { return qBlue(c) > 150 && qBlue(c) - qRed(c) > 40 && qBlue(c) - qGreen(c) > 40; };
const auto isRed = [](QRgb c) { return qRed(c) > 150 && qBlue(c) < 110 && qGreen(c) < 110; };
const auto isDark = [](QRgb c) { return qRed(c) < 130 && qGreen(c) < 130 && qBlue(c) < 130; };

// How many pixels within `offsets` of p pass the test.
int countNear(const QImage& image, platform::PixelPoint p, QRect offsets, bool (*passes)(QRgb))
{
    int n = 0;
    for (int dy = offsets.top(); dy <= offsets.bottom(); ++dy)
        for (int dx = offsets.left(); dx <= offsets.right(); ++dx)
            n += passes(image.pixel(static_cast<int>(p.x) + dx, static_cast<int>(p.y) + dy));
    return n;
}

}  // namespace

TEST(PlotCanvas, DrawsBlueStarsAtTheProjectedLandmarksRedLabelsBesideThemAndADottedLine)
{
    KnownShape s;
    const QImage image = qt::PlotCanvas(s.model, s.axes).renderImage(QSize(500, 400));
    for (std::size_t i = 0; i < s.landmarks.size(); ++i)
        EXPECT_GE(countNear(image, s.pixel(i), QRect(-3, -3, 7, 7), isBlue), 8) << "no star at landmark " << i + 1;
    EXPECT_EQ(image.pixel(3, 3), qRgb(255, 255, 255));  // far from every landmark
    EXPECT_GE(countNear(image, s.pixel(1), QRect(1, -8, 14, 17), isRed), 5) << "no red label beside landmark 2";

    const platform::PixelPoint a = s.pixel(0), b = s.pixel(2);
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

TEST(PlotCanvas, TurningTheCameraMovesTheLandmarksAndThePictureAndResetViewRestoresThem)
{
    KnownShape s;
    qt::PlotCanvas canvas(s.model, s.axes);
    const QImage image = canvas.renderImage(QSize(500, 400));
    const auto before = s.pixel(1);
    s.model.setCamera(s.axes, {.azimuth = platform::Camera::kDefaultAzimuth + 40});
    const auto after = s.pixel(1);
    EXPECT_GT(std::hypot(after.x - before.x, after.y - before.y), 5.0);
    EXPECT_NE(canvas.renderImage(QSize(500, 400)), image);
    s.model.setCamera(s.axes, {.azimuth = platform::Camera::kDefaultAzimuth + 40, .zoom = 2});
    canvas.resetView();
    EXPECT_EQ(s.model.object(s.axes).as<platform::AxesData>().camera, platform::Camera{});
    EXPECT_EQ(canvas.renderImage(QSize(500, 400)), image);
}

// Saving writes a valid file of the type the extension names, or refuses saying why.
TEST(PlotCanvas, SavesTheTypeItsExtensionNamesOrRefusesSayingWhy)
{
    KnownShape s;
    qt::PlotCanvas canvas(s.model, s.axes);
    canvas.resize(400, 300);
    QTemporaryDir dir;
    const struct {
        const char* name;
        QString path;
        std::string error;  // how the message starts
        bool (*valid)(const QString& path);
    } cases[] = {
        {"png", dir.filePath("plot.png"), "no error",
         [](const QString& path) { return QImage(path).size() == QSize(400, 300); }},
        {"svg", dir.filePath("plot.svg"), "no error", [](const QString& path) { return QSvgRenderer(path).isValid(); }},
        {"pdf", dir.filePath("plot.pdf"), "no error",
         [](const QString& path) {
             QFile pdf(path);
             return pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-";
         }},
        {"unknown type", dir.filePath("plot.bmpx"), "unknown file type \"bmpx\": use .png, .svg or .pdf", {}},
        {"missing folder", "/nonexistent/folder/plot.png", "the PNG file could not be written: ", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string error = test::errorOf([&] { canvas.saveFigure(c.path); });
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << error;
        EXPECT_TRUE(!c.valid || c.valid(c.path));
    }
}

namespace {

struct LabelCase {
    const char* name;
    double zoom, scale;  // the scale of the coordinates
};

class PlotCanvasLabel : public testing::TestWithParam<LabelCase> {};

}  // namespace

// The controller puts a landmark's number 0.02 data units off its landmark: a lot on a small
// shape, nothing on a large one. On screen it sits the same few pixels up and right of the marker.
TEST_P(PlotCanvasLabel, SitsAFewPixelsFromItsMarkerWhateverTheZoomAndScale)
{
    const double k = GetParam().scale;
    platform::GraphicsModel model;
    const Handle axes = model.currentAxes(model.createFigure());
    const std::vector<Point3> landmarks{
        {0, 0, 0}, {10 * k, 0, 2 * k}, {10 * k, 10 * k, 4 * k}, {0, 10 * k, 2 * k}, {5 * k, 5 * k, 2 * k}};
    model.plot3(axes, landmarks, platform::parseLineSpec("b*"));
    model.setHold(axes, true);
    model.setAxisEqual(axes);
    const Point3& p = landmarks[4];
    const Handle label = model.text3(axes, {p[0] + 0.02, p[1] + 0.02, p[2] + 0.02}, "5");
    model.set(label, "Color", platform::Value("r"));
    model.setLabel(label, platform::LabelKind::Landmark, p);
    model.setCamera(axes, {.zoom = GetParam().zoom});

    const QImage image = qt::PlotCanvas(model, axes).renderImage(QSize(500, 400));
    const platform::PixelPoint at = platform::projectionOf(model, axes, 500, 400).toPixel(p);
    QRect red;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isRed(image.pixel(x, y)))
                red |= QRect(x, y, 1, 1);
    ASSERT_FALSE(red.isEmpty()) << "no label drawn";
    EXPECT_NEAR(red.left() - at.x, platform::kLabelOffset, 3.0);
    EXPECT_NEAR(red.center().y() - at.y, -platform::kLabelOffset, 3.0);
    EXPECT_LT(red.width(), 14);  // one digit, nothing else red
}

INSTANTIATE_TEST_SUITE_P(Zooms, PlotCanvasLabel,
                         testing::Values(LabelCase{"ZoomedOut", 0.5, 1}, LabelCase{"Whole", 1, 1},
                                         LabelCase{"ZoomedIn", 3, 1}, LabelCase{"ThousandTimesLarger", 1, 1000}),
                         [](const auto& row) { return std::string(row.param.name); });

// Saved as SVG, landmark and line numbers stay text a reader can select and search: each is a
// <text> element (its white halo is made of more of them), none a path of glyph outlines.
TEST(PlotCanvas, SavesNumbersAsSvgTextElements)
{
    platform::GraphicsModel model;
    const Handle axes = model.currentAxes(model.createFigure());
    const std::vector<Point3> landmarks{{0, 0, 0}, {10, 0, 2}, {10, 10, 4}};
    model.plot3(axes, landmarks, platform::parseLineSpec("b*"));
    model.setHold(axes, true);
    for (std::size_t i = 0; i < landmarks.size(); ++i)
        model.setLabel(model.text3(axes, landmarks[i], std::to_string(i + 1)), platform::LabelKind::Landmark,
                       landmarks[i]);
    model.plot3(axes, {landmarks[0], landmarks[2]}, platform::parseLineSpec("k"));
    const Point3 mid{5, 5, 2};
    const Handle number = model.text3(axes, mid, "17");
    model.set(number, "Color", platform::Value("r"));
    model.setLabel(number, platform::LabelKind::Line, mid);
    qt::PlotCanvas canvas(model, axes);
    canvas.resize(400, 300);
    QTemporaryDir dir;
    canvas.saveFigure(dir.filePath("plot.svg"));

    QFile file(dir.filePath("plot.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader svg(&file);
    std::map<std::string, int> texts;  // how many <text> elements read each text
    while (!svg.atEnd())
        if (svg.readNext() == QXmlStreamReader::StartElement && svg.name() == QLatin1String("text"))
            ++texts[svg.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString()];
    ASSERT_FALSE(svg.hasError()) << svg.errorString().toStdString();
    // A number in white eight times over (its halo) and once in its colour; a tick label that
    // happens to read the same is written once.
    for (const char* text : {"1", "2", "3", "17"})
        EXPECT_GE(texts[text], 9) << "<text> elements reading " << text;
}

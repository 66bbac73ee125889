// One frame of a big plot at 1000 x 800: 5,000 numbered landmarks with every number shown and
// 1,000 numbered protocol lines, labelled as the controller labels them; and one pick among the
// 5,000 landmarks. Targets: a frame under 40 ms, a pick under 2 ms.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <random>

#include "platform/scene.h"
#include "qt/painterrenderer.h"

using namespace vezedo;

namespace {

struct BigPlot {
    platform::GraphicsModel model;
    platform::Handle axes = model.currentAxes(model.createFigure());
    std::vector<platform::Point3> landmarks = std::vector<platform::Point3>(5000);

    BigPlot()
    {
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> coord(-50, 50);
        for (auto& p : landmarks)
            p = {coord(rng), coord(rng), coord(rng)};
        model.plot3(axes, landmarks, platform::parseLineSpec("ro"));
        model.setHold(axes, true);
        model.setAxisEqual(axes);
        for (std::size_t i = 0; i < landmarks.size(); ++i) {
            const auto& p = landmarks[i];
            const platform::Handle t =
                model.text3(axes, {p[0] + 0.02, p[1] + 0.02, p[2] + 0.02}, std::to_string(i + 1));
            model.setLabel(t, platform::LabelKind::Landmark, p);
        }
        std::uniform_int_distribution<std::size_t> pick(0, landmarks.size() - 1);
        for (int i = 0; i < 1000; ++i) {
            const auto& a = landmarks[pick(rng)];
            const auto& b = landmarks[pick(rng)];
            model.plot3(axes, {a, b}, platform::parseLineSpec("k"));
            const platform::Point3 mid{(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
            const platform::Handle t = model.text3(axes, mid, std::to_string(i + 1));
            model.set(t, "Color", platform::Value("r"));
            model.setLabel(t, platform::LabelKind::Line, mid);
        }
    }
};

void BM_RenderFrame(benchmark::State& state)
{
    static BigPlot plot;
    platform::SceneOptions options;
    options.landmarkNumbers = state.range(0) ? platform::LabelSwitch::On : platform::LabelSwitch::Off;
    options.lineNumbers = state.range(0) != 0;
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        qt::paintAxes(plot.model, plot.axes, painter, 1000, 800, options);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
// Labels on (1) and off (0), to see what the labels cost.
BENCHMARK(BM_RenderFrame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The first frame of a plot, when no label has been drawn yet.
void BM_FirstFrame(benchmark::State& state)
{
    BigPlot plot;
    platform::SceneOptions options;
    options.landmarkNumbers = platform::LabelSwitch::On;
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    double size = 10;
    for (auto _ : state) {
        size += 0.5;  // a new label size: every label drawn afresh
        options.labelSize = size;
        QPainter painter(&image);
        qt::paintAxes(plot.model, plot.axes, painter, 1000, 800, options);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->Iterations(3);

// A click: the projection of the moment, then the nearest landmark (the pick targets are kept
// between clicks until the model changes).
void BM_PickLandmark(benchmark::State& state)
{
    BigPlot plot;
    const platform::PickTargets targets = platform::pickTargets(plot.model, plot.axes);
    std::size_t i = 0;
    for (auto _ : state) {
        const platform::Projection projection = platform::projectionOf(plot.model, plot.axes, 1000, 800);
        const platform::PixelPoint at = projection.toPixel(plot.landmarks[(i += 997) % plot.landmarks.size()]);
        benchmark::DoNotOptimize(platform::pickAt(projection, targets, at));
    }
}
BENCHMARK(BM_PickLandmark)->Unit(benchmark::kMicrosecond);

void BM_PickTargets(benchmark::State& state)
{
    BigPlot plot;
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::pickTargets(plot.model, plot.axes));
}
BENCHMARK(BM_PickTargets)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

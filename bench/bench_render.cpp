// One frame of a big plot: 1,000 labelled landmarks and 1,000 labelled lines at 1000 x 800.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <random>

#include "qt/painterrenderer.h"

using namespace vezedo;

namespace {

struct BigPlot {
    platform::GraphicsModel model;
    platform::Handle axes = model.currentAxes(model.createFigure());

    BigPlot()
    {
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> coord(-50, 50);
        std::vector<platform::Point3> landmarks(1000);
        for (auto& p : landmarks)
            p = {coord(rng), coord(rng), coord(rng)};
        model.plot3(axes, landmarks, platform::parseLineSpec("b*"));
        model.setHold(axes, true);
        model.setAxisEqual(axes);
        for (std::size_t i = 0; i < landmarks.size(); ++i)
            model.text3(axes, {landmarks[i][0] + 0.02, landmarks[i][1] + 0.02, landmarks[i][2] + 0.02},
                        std::to_string(i + 1));
        std::uniform_int_distribution<std::size_t> pick(0, landmarks.size() - 1);
        for (int i = 0; i < 1000; ++i) {
            const auto& a = landmarks[pick(rng)];
            const auto& b = landmarks[pick(rng)];
            model.plot3(axes, {a, b}, platform::parseLineSpec("k"));
            const platform::Handle t =
                model.text3(axes, {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2}, std::to_string(i + 1));
            model.set(t, "Color", platform::Value("r"));
        }
    }
};

void BM_RenderFrame(benchmark::State& state)
{
    BigPlot plot;
    QImage image(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        qt::paintAxes(plot.model, plot.axes, painter, 1000, 800);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_RenderFrame)->Unit(benchmark::kMillisecond);

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

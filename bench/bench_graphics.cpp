// Costs of the graphics store at the sizes a large landmark plot reaches: one axes holding
// 100,000 lines and 100,000 texts. Each benchmark times only its own operation; building
// and tearing down the store happen with the timer paused.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/graphics.h"
#include "platform/style.h"

using namespace vezedo::platform;

namespace {

constexpr int kObjects = 100'000;

const LineSpec& blackSolid()
{
    static const LineSpec style = parseLineSpec("k-");
    return style;
}

struct Scene {
    std::unique_ptr<GraphicsModel> model = std::make_unique<GraphicsModel>();
    Handle figure = model->createFigure();
    Handle axes = model->currentAxes(figure);

    Scene() { model->setHold(axes, true); }

    void addLine(int i)
    {
        const double x = static_cast<double>(i);
        model->plot3(axes, {{x, 0, 0}, {x, 1, 1}}, blackSolid());
    }

    void addText(int i)
    {
        const double x = static_cast<double>(i);
        model->text3(axes, {x, 0, 0}, std::to_string(i));
    }

    void fill()
    {
        for (int i = 0; i < kObjects; ++i) {
            addLine(i);
            addText(i);
        }
    }
};

void BM_CreateLines(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<Scene>();
        state.ResumeTiming();
        for (int i = 0; i < kObjects; ++i)
            scene->addLine(i);
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
}

// The window front end always follows the store, so creation is also measured with an
// observer attached.
void BM_CreateLinesObserved(benchmark::State& state)
{
    long events = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<Scene>();
        Subscription sub = scene->model->subscribe([&events](const ModelEvent& e) {
            if (e.kind == ModelEventKind::Created)
                ++events;
        });
        state.ResumeTiming();
        for (int i = 0; i < kObjects; ++i)
            scene->addLine(i);
        state.PauseTiming();
        sub.reset();
        scene.reset();
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(events);
    state.counters["events"] = benchmark::Counter(static_cast<double>(events), benchmark::Counter::kAvgIterations);
}

void BM_CreateTexts(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<Scene>();
        state.ResumeTiming();
        for (int i = 0; i < kObjects; ++i)
            scene->addText(i);
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
}

void BM_FindByTagBesideFullAxes(benchmark::State& state)
{
    Scene scene;
    scene.fill();
    const Handle window = scene.model->createFigure();
    scene.model->createUiControl(window, {}, "loadButton");
    for (auto _ : state) {
        auto found = scene.model->findByTag("loadButton");
        benchmark::DoNotOptimize(found);
        if (found.size() != 1)
            state.SkipWithError("the tagged control was not found");
    }
}

void BM_ClearFullAxes(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<Scene>();
        scene->fill();
        state.ResumeTiming();
        scene->model->clearAxes(scene->axes);
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_CreateLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateLinesObserved)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateTexts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindByTagBesideFullAxes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClearFullAxes)->Unit(benchmark::kMillisecond);

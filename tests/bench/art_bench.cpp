// How long painting every picture at one board cell takes, as the window does at
// start-up for sizes other than the shipped one. Each run starts without the stones
// kept from the run before.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include "window/art/artwork.h"

namespace tolvan::art {
namespace {

void BM_PaintAllPictures(benchmark::State& state) {
    const int cell = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        benchmark::DoNotOptimize(paint(QStringLiteral("KUROSOTO"), kMinCell));  // forgets the stones
        state.ResumeTiming();
        for (const QString& picture : pictureNames()) benchmark::DoNotOptimize(paint(picture, cell));
    }
}
BENCHMARK(BM_PaintAllPictures)->Arg(21)->Arg(42)->Arg(63)->Arg(126)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tolvan::art

// The application lives in main, so that it ends before the process's static objects do:
// Qt's font cache, made on first use after the application, is one of them, and the
// application's end still needs it.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The small chart after a level edit: the 33 rows of a third-octave spectrum
// with both summaries set and labelled, then drawn, as on screen (420 x 260
// at 96 dpi) and for a printed page (about 6 x 4 inches at 600 dpi).
#include "platform/gui/chart.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using platform::gui::AxisId;
using platform::gui::Chart;

void fill(Chart& c) {
    c.setRowCount(33);
    for (int j = 1; j <= 30; ++j) {
        c.setPoint(j, 1, 40 + (j * 7) % 31, j == 12);
        c.setRowLabel(j, (j + 1) % 3 == 0 ? QString::number(50 * j) : QStringLiteral(" "));
    }
    c.setPoint(31, 1, 52.4);
    c.setRowLabel(31, "Rw");
    c.setPoint(32, 1, -999, true);
    c.setRowLabel(32, "");
    c.setPoint(33, 1, -3);
    c.setRowLabel(33, "Ctr");
    c.setAxisScale(AxisId::Y1, 80, 30, 5, 1);
}

void BM_FillAndDrawOnScreen(benchmark::State& state) {
    Chart chart;
    chart.resize(420, 260);
    QImage img(420, 260, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        fill(chart);
        QPainter p(&img);
        chart.render(p, QRectF(0, 0, 420, 260));
    }
}
BENCHMARK(BM_FillAndDrawOnScreen)->Unit(benchmark::kMillisecond);

void BM_DrawForPrinting(benchmark::State& state) {
    Chart chart;
    fill(chart);
    QImage img(3600, 2400, QImage::Format_ARGB32_Premultiplied);
    img.setDotsPerMeterX(qRound(600 / 0.0254));
    img.setDotsPerMeterY(qRound(600 / 0.0254));
    for (auto _ : state) {
        QPainter p(&img);
        chart.render(p, QRectF(0, 0, 3600, 2400));
    }
}
BENCHMARK(BM_DrawForPrinting)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

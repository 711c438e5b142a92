// Saving pictures and surface data: what one "save snapshots" costs apart
// from rendering the windows. The main window's picture is about 1000 x 700
// pixels; a 3-D sweep over 101 thresholds and 20 passes gives 2020 points.
#include <benchmark/benchmark.h>

#include "export/bitmap.h"
#include "export/jpeg.h"
#include "export/xls.h"

namespace {

display::RgbImage WindowPicture() {
  display::RgbImage image(1016, 700);
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x) {
      image.Set(x, y, (x / 6 + y / 6) % 3 == 0 ? world::Rgb(200, 40, 40) : world::Rgb(240, 240, 240));
    }
  }
  return image;
}

void BM_EncodeJpegQualityHundred(benchmark::State& state) {
  const display::RgbImage image = WindowPicture();
  for (auto _ : state) benchmark::DoNotOptimize(exporting::EncodeJpeg(image, 100).data());
}
BENCHMARK(BM_EncodeJpegQualityHundred)->Unit(benchmark::kMillisecond);

void BM_BitmapRoundTrip(benchmark::State& state) {
  const display::RgbImage image = WindowPicture();
  for (auto _ : state) benchmark::DoNotOptimize(exporting::DecodeBitmap(exporting::EncodeBitmap(image)).Pixels.data());
}
BENCHMARK(BM_BitmapRoundTrip)->Unit(benchmark::kMillisecond);

void BM_EncodeSurfaceXls(benchmark::State& state) {
  exporting::XlsTable table;
  table.Header = {"X", "Y", "Z"};
  for (int pass = 0; pass < 20; ++pass) {
    for (int t = 0; t <= 100; ++t) table.Rows.push_back({t, 0.5 + t / 300.0, pass});
  }
  for (auto _ : state) benchmark::DoNotOptimize(exporting::EncodeXls(table).data());
}
BENCHMARK(BM_EncodeSurfaceXls)->Unit(benchmark::kMicrosecond);

}  // namespace

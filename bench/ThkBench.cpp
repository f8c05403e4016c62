// Reading speed of the THK readers on a generated 501 x 501 grid with nine data types (about
// 25 MB), against a straightforward reader (getc byte by byte, atof per field) in the same run.
#include <benchmark/benchmark.h>

#include "bench/RatioReporter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/GridDataSet.h"
#include "data/Message.h"
#include "data/ThkFormat.h"

namespace {

using orvelle::GridDataSet;

constexpr int kTypes = 9;

std::string MakeText(bool clipboard) {
  const char sep = clipboard ? '\t' : ',';
  std::string t;
  t.reserve(28u << 20);
  auto field = [&](const std::string& f) {
    t += f;
    t += sep;
  };
  if (clipboard) t += "THK_DATA\t\r\n";
  field("500");
  t += "\r\n";
  field("1");
  field("1");
  t += "\r\n";
  field(std::to_string(kTypes));
  for (int k = 0; k < kTypes; ++k) field("Type" + std::to_string(k + 1));
  t += "\r\n";
  char buf[32];
  unsigned seed = 12345;
  for (int x = 0; x <= 500; ++x) {
    for (int y = 0; y <= 500; ++y) {
      field(std::to_string(x));
      field(std::to_string(y));
      for (int k = 0; k < kTypes; ++k) {
        seed = seed * 1103515245u + 12345u;
        const double v = -9999.9999 + (seed >> 8) % 200000000 / 10000.0;
        std::snprintf(buf, sizeof buf, "%.4f", v);
        field(buf);
      }
      t += "\r\n";
    }
  }
  return t;
}

const std::string& FilePath() {
  static const std::string path = [] {
    const std::string p =
        (std::filesystem::temp_directory_path() / "orvelle-bench-501.thk").string();
    const std::string text = MakeText(false);
    std::FILE* f = std::fopen(p.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return p;
  }();
  return path;
}

const std::string& ClipboardText() {
  static const std::string text = MakeText(true);
  return text;
}

GridDataSet* Sets() {
  static std::unique_ptr<GridDataSet[]> sets = orvelle::MakeDataSets();
  return sets.get();
}

// The straightforward reader: the same layout, getc per byte and atof per field.
int ReferenceLoad(const std::string& path, GridDataSet* sets) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return -1;
  char field[64];
  int len = 0, line = 0, col = 1, x = 0, y = 0, n = 0;
  bool comma = false;
  for (int c; (c = std::getc(f)) != EOF && c != 0xFF;) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (comma) ++line;
      col = 1;
      len = 0;
      comma = false;
      continue;
    }
    if (c != ',') {
      if (len < 63) field[len++] = static_cast<char>(c);
      continue;
    }
    field[len] = 0;
    comma = true;
    if (line == 2 && col == 1) n = std::atoi(field);
    if (line >= 3) {
      if (col == 1)
        x = static_cast<int>(static_cast<float>(std::atof(field)));
      else if (col == 2)
        y = static_cast<int>(static_cast<float>(std::atof(field)));
      else if (col <= 12 && x >= 0 && x <= 500 && y >= 0 && y <= 500)
        sets[col - 3].values[x][y] = std::atof(field);
    }
    ++col;
    len = 0;
  }
  std::fclose(f);
  return n;
}

void BM_LoadThkFile(benchmark::State& state) {
  const std::string& path = FilePath();
  for (auto _ : state) benchmark::DoNotOptimize(orvelle::LoadThkFile(path, Sets()));
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(path));
}

void BM_ReferenceGetcAtof(benchmark::State& state) {
  const std::string& path = FilePath();
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceLoad(path, Sets()));
  state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(path));
}

void BM_ParseThkText(benchmark::State& state) {
  const std::string& text = ClipboardText();
  for (auto _ : state) benchmark::DoNotOptimize(orvelle::ParseThkText(text, Sets()));
  state.SetBytesProcessed(state.iterations() * text.size());
}

BENCHMARK(BM_LoadThkFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReferenceGetcAtof)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ParseThkText)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  orvelle::SetMessageHandler([](const std::string& m) { std::fprintf(stderr, "%s\n", m.c_str()); });
  // Both readers must agree before their times mean anything.
  auto check = orvelle::MakeDataSets();
  orvelle::ResetDataSets(Sets(), orvelle::kMaxDataSets);
  orvelle::ResetDataSets(check.get(), orvelle::kMaxDataSets);
  if (orvelle::LoadThkFile(FilePath(), Sets()) != kTypes ||
      ReferenceLoad(FilePath(), check.get()) != kTypes) {
    std::fprintf(stderr, "the readers failed\n");
    return 1;
  }
  for (int k = 0; k < kTypes; ++k)
    for (int x = 0; x <= 500; ++x)
      for (int y = 0; y <= 500; ++y)
        if (Sets()[k].values[x][y] != check[k].values[x][y]) {
          std::fprintf(stderr, "values differ at type %d (%d, %d)\n", k, x, y);
          return 1;
        }
  benchmark::Initialize(&argc, argv);
  orvelle::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("BM_LoadThkFile/min_time:1.000", "BM_ReferenceGetcAtof/min_time:1.000");
  std::remove(FilePath().c_str());
  return 0;
}

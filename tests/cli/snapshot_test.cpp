// The headless tool's street layouts and world snapshots, and the PNG files
// they are written as.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/run_command.h"
#include "world/convert.h"
#include "export/file_output.h"
#include "export/jpeg.h"
#include "export/png_file.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int Status = 0;
  std::string Out;
  std::string Err;
};

Outcome RunCli(cli::RunOptions options) {
  if (!options.Seed) options.Seed = 3;
  std::ostringstream out, err;
  Outcome o;
  o.Status = cli::Run(options, out, err);
  o.Out = out.str();
  o.Err = err.str();
  return o;
}

// A run with a street layout that prints its summary.
Outcome RunLayout(const std::string& streets, std::vector<std::string> settings = {}, int steps = 0) {
  cli::RunOptions options;
  options.Steps = steps;
  options.Json = true;
  options.Settings = std::move(settings);
  options.Streets = streets;
  return RunCli(options);
}

int StreetCells(const Outcome& o) { return nlohmann::json::parse(o.Out).at("street_cells").get<int>(); }

// A folder of its own under the system's temporary folder, removed
// afterwards; the process id keeps test runs of other checkouts out of it.
struct SnapshotFolder : ::testing::Test {
  fs::path folder;
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = fs::temp_directory_path() / (std::string("vicinara-snapshot-") + info->name() + "-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }
  std::string File(const std::string& name) const { return (folder / name).string(); }
};

TEST(PngFile, RoundTripsEveryPixel) {
  display::RgbImage image(5, 3, world::Rgb(1, 2, 3));
  image.Set(4, 2, world::Rgb(250, 128, 7));
  const display::RgbImage back = exporting::DecodePng(exporting::EncodePng(image));
  EXPECT_EQ(back.Width, 5);
  EXPECT_EQ(back.Height, 3);
  EXPECT_EQ(back.Pixels, image.Pixels);
}

TEST(RunStreets, DefaultGridGivesNineHundredTwelveStreetCells) {
  const Outcome o = RunLayout("grid:5:5");
  ASSERT_EQ(o.Status, 0) << o.Err;
  EXPECT_EQ(StreetCells(o), 912);
}

TEST(RunStreets, LaysTheLayoutOnTheGridOfTheChosenCellSize) {
  const Outcome o = RunLayout("grid:3:3", {"Edit_cellSiz=10"});
  ASSERT_EQ(o.Status, 0) << o.Err;
  // 69 x 69 cells, Round(69 / 3) = 23: columns and rows 22 and 45.
  EXPECT_EQ(StreetCells(o), 4 * 69 - 4);
}

TEST(RunStreets, RandomStreetsRepeatWithTheSeed) {
  const Outcome first = RunLayout("random:20", {}, 1);
  const Outcome second = RunLayout("random:20", {}, 1);
  ASSERT_EQ(first.Status, 0) << first.Err;
  EXPECT_GT(StreetCells(first), 19);
  EXPECT_EQ(StreetCells(first), StreetCells(second));
}

TEST(RunStreets, FixedTypeZeroIsRefused) {
  const Outcome o = RunLayout("grid:5:5", {"UpD_strType=0", "CB_rndTyp=1"}, 5);
  EXPECT_EQ(o.Status, 2);
  EXPECT_EQ(o.Err, "0 is not a valid street type\n");
  EXPECT_EQ(o.Out, "");
}

TEST(RunStreets, MalformedLayoutsAreRefusedBeforeAnyWork) {
  for (const char* text : {"grid:5", "grid:0:5", "grid:5:10001", "random:", "random:-3", "hex:4", "grid:5:5:5"}) {
    const Outcome o = RunLayout(text);
    EXPECT_EQ(o.Status, 2) << text;
    EXPECT_NE(o.Err.find("--streets"), std::string::npos) << text;
    EXPECT_EQ(o.Out, "") << text;
  }
}

TEST_F(SnapshotFolder, PngShowsTheStreetsFreeOfAgents) {
  cli::RunOptions options;
  options.Steps = 2;
  options.Settings = {"CB_rndTyp=0", "UpD_strType=3", "CB_showRentSc=0"};
  options.Streets = "grid:5:5";
  options.Snapshot = File("world.png");
  const Outcome o = RunCli(options);
  ASSERT_EQ(o.Status, 0) << o.Err;
  const display::RgbImage image = exporting::DecodePng(exporting::ReadWholeFile(*options.Snapshot));
  ASSERT_EQ(image.Width, 694);
  ASSERT_EQ(image.Height, 694);
  // A disc of radius 2 covers its cell's centre pixel: a street cell's centre
  // in the street colour shows that no agent stands there.
  for (int line : {22, 45, 68, 91}) {
    for (int k = 0; k < 116; ++k) {
      ASSERT_EQ(image.At(6 * line + 3, 6 * k + 3), world::Rgb(205, 0, 0)) << line << "," << k;
      ASSERT_EQ(image.At(6 * k + 3, 6 * line + 3), world::Rgb(205, 0, 0)) << k << "," << line;
    }
  }
  EXPECT_EQ(image.At(6 * 22, 10), world::kSilver);  // the street cells' outline
}

TEST_F(SnapshotFolder, JpegIsTheSamePictureWithinItsLoss) {
  cli::RunOptions options;
  options.Steps = 0;
  options.Settings = {"CB_showRentSc=0", "Edit_anzAg=0"};
  options.Snapshot = File("world.JPG");
  const Outcome o = RunCli(options);
  ASSERT_EQ(o.Status, 0) << o.Err;
  const display::RgbImage image = exporting::DecodeJpeg(exporting::ReadWholeFile(*options.Snapshot));
  ASSERT_EQ(image.Width, 694);
  // An empty world without rent shading: white cells in silver outlines.
  const world::ColorRef inside = image.At(8, 8);
  EXPECT_GT(world::Red(inside), 240);
  EXPECT_GT(world::Blue(inside), 240);
}

TEST_F(SnapshotFolder, OtherFileTypesAreRefusedBeforeAnyWork) {
  cli::RunOptions options;
  options.Json = true;
  options.Snapshot = File("world.bmp");
  const Outcome o = RunCli(options);
  EXPECT_EQ(o.Status, 2);
  EXPECT_NE(o.Err.find("--snapshot"), std::string::npos);
  EXPECT_EQ(o.Out, "");
  EXPECT_FALSE(fs::exists(*options.Snapshot));
}

TEST_F(SnapshotFolder, AFileThatCannotBeCreatedFailsTheRun) {
  cli::RunOptions options;
  options.Steps = 0;
  options.Json = true;
  options.Snapshot = File("missing/world.png");
  const Outcome o = RunCli(options);
  EXPECT_EQ(o.Status, 2);
  EXPECT_EQ(o.Err.rfind("Datei \"" + *options.Snapshot + "\" kann nicht erstellt werden. ", 0), 0u) << o.Err;
  EXPECT_EQ(o.Out, "");
}

}  // namespace

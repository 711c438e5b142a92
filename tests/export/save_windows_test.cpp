#include "export/save_windows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "world/convert.h"
#include "simulation/display_settings.h"
#include "simulation/main_controls.h"
#include "export/bitmap.h"
#include "export/jpeg.h"
#include "export_support.h"

namespace exporting {
namespace {

namespace fs = std::filesystem;
using display::RgbImage;
using test_support::Entries;
using test_support::TempFolder;
using test_support::UserErrorText;

using Names = std::vector<std::string>;

class SaveWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    world.GridCols = 116;
    world.GridRows = 116;
    simulation::BuildMainControls(controls, world);
    fs::create_directory(pictures());
    fs::create_directory(data());
    // Every window paints itself in its own size and colour and notes
    // that it was asked.
    for (std::size_t i = 0; i < kSavedWindows.size(); ++i) {
      const std::string box(NameOf(simulation::SaveCheckBox(kSavedWindows[i].Id)));
      saver.SetWindow(kSavedWindows[i].Id, [this, box, i] {
        rendered.push_back(box);
        return RgbImage(32 + 16 * static_cast<int>(i), 16 + 16 * static_cast<int>(i), color);
      });
    }
    saver.SetSurface([this] { return surface; });
  }

  fs::path pictures() const { return temp.Path() / "pictures"; }
  fs::path data() const { return temp.Path() / "data"; }
  std::string picture(const std::string& name) const { return (pictures() / name).string(); }

  std::string SaveMessage(const std::string& number) {
    return UserErrorText([&] { saver.SaveWindows(number); });
  }

  TempFolder temp;
  world::World world;
  simulation::ControlModel controls;
  // The main window's fields and boxes as they stand at each save.
  WindowSaver::ChoiceSource choice = [this] { return simulation::SaveChoiceOf(controls); };
  WindowSaver saver{choice, temp.Folder()};
  Names rendered;
  world::ColorRef color = world::kRed;
  std::vector<SurfacePoint> surface;
};

TEST_F(SaveWindows, DefaultsWriteMainStabilityAndSurfacePicturesAndTheData) {
  saver.SaveWindows("1");
  EXPECT_EQ(Entries(pictures()), (Names{"01_01_main_please enter name.jpg", "01_01_stabSurf3D_please enter name.jpg",
                                        "01_01_stability_please enter name.jpg"}));
  EXPECT_EQ(Entries(data()), Names{"01_01_stabSurf3D_please enter name.xls"});
  EXPECT_EQ(rendered, (Names{"cb_save_main", "cb_save_stability", "cb_save_3DSurf"}));
}

TEST_F(SaveWindows, EveryCheckedWindowIsSavedInTableOrder) {
  for (const SavedWindow& w : kSavedWindows) controls.SetChecked(simulation::SaveCheckBox(w.Id), true);
  saver.SaveWindows("3");
  EXPECT_EQ(rendered, (Names{"cb_save_main", "cb_save_basic", "cb_save_paraSp", "cb_save_growth", "cb_save_streets",
                             "cb_save_stability", "cb_save_3DSurf"}));
  EXPECT_EQ(Entries(pictures()),
            (Names{"01_03_basic_please enter name.jpg", "01_03_growth_please enter name.jpg",
                   "01_03_main_please enter name.jpg", "01_03_paraSpace_please enter name.jpg",
                   "01_03_stabSurf3D_please enter name.jpg", "01_03_stability_please enter name.jpg",
                   "01_03_streets_please enter name.jpg"}));
}

TEST_F(SaveWindows, PictureDecodesToTheWindowsSizeAndColours) {
  color = world::Rgb(30, 90, 200);
  saver.SaveWindows("1");
  const RgbImage main = DecodeJpeg(test_support::ReadBytes(picture("01_01_main_please enter name.jpg")));
  EXPECT_EQ(main.Width, 32);
  EXPECT_EQ(main.Height, 16);
  const RgbImage surf = DecodeJpeg(test_support::ReadBytes(picture("01_01_stabSurf3D_please enter name.jpg")));
  EXPECT_EQ(surf.Width, 128);
  EXPECT_EQ(surf.Height, 112);
  for (const RgbImage* image : {&main, &surf}) {
    for (int y = 0; y < image->Height; ++y) {
      for (int x = 0; x < image->Width; ++x) {
        const world::ColorRef c = image->At(x, y);
        ASSERT_NEAR(world::Red(c), 30, 2);
        ASSERT_NEAR(world::Green(c), 90, 2);
        ASSERT_NEAR(world::Blue(c), 200, 2);
      }
    }
  }
}

TEST_F(SaveWindows, DotInTheNameCutsThePictureNamesButNotTheDataName) {
  controls.SetByUser("E_sName", "run.final");
  saver.SaveWindows("1");
  EXPECT_EQ(Entries(pictures()),
            (Names{"01_01_main_run.jpg", "01_01_stabSurf3D_run.jpg", "01_01_stability_run.jpg"}));
  EXPECT_EQ(Entries(data()), Names{"01_01_stabSurf3D_run.final.xls"});
}

TEST_F(SaveWindows, BitmapCarriesTheFullName) {
  controls.SetByUser("E_sName", "run.final");
  fs::create_directory(pictures() / "01_01_main_run.final.bmp");
  EXPECT_EQ(SaveMessage("1"),
            "Datei \"" + picture("01_01_main_run.final.bmp") + "\" kann nicht erstellt werden. Is a directory");
}

TEST_F(SaveWindows, NumberFollowsAFixedUnderscoreZero) {
  saver.SaveWindows("12");
  EXPECT_EQ(Entries(pictures()), (Names{"01_012_main_please enter name.jpg", "01_012_stabSurf3D_please enter name.jpg",
                                        "01_012_stability_please enter name.jpg"}));
  EXPECT_EQ(Entries(data()), Names{"01_012_stabSurf3D_please enter name.xls"});
  EXPECT_EQ(saver.PictureBase("0", "_main_"), picture("01_00_main_please enter name"));
}

TEST_F(SaveWindows, SavingTwiceReplacesTheFirstSave) {
  saver.SaveWindows("1");
  color = world::kGreen;
  surface = {{1.0, 2.0, 3.0}};
  saver.SaveWindows("1");
  EXPECT_EQ(Entries(pictures()).size(), 3u);
  EXPECT_EQ(Entries(data()).size(), 1u);
  const RgbImage main = DecodeJpeg(test_support::ReadBytes(picture("01_01_main_please enter name.jpg")));
  EXPECT_NEAR(world::Green(main.At(5, 5)), 128, 2);
  EXPECT_NEAR(world::Red(main.At(5, 5)), 0, 2);
}

TEST_F(SaveWindows, NewRoundOrNameKeepsTheOldFiles) {
  saver.SaveWindows("1");
  controls.SetByUser("E_sRound", "02");
  saver.SaveWindows("1");
  controls.SetByUser("E_sName", "second");
  saver.SaveWindows("1");
  EXPECT_EQ(Entries(pictures()).size(), 9u);
  EXPECT_EQ(Entries(data()), (Names{"01_01_stabSurf3D_please enter name.xls", "02_01_stabSurf3D_please enter name.xls",
                                    "02_01_stabSurf3D_second.xls"}));
}

TEST_F(SaveWindows, SurfaceBoxDecidesAboutItsPictureAndTheData) {
  controls.SetChecked(simulation::MainControl::SaveSurface, false);
  saver.SaveWindows("1");
  EXPECT_EQ(Entries(pictures()),
            (Names{"01_01_main_please enter name.jpg", "01_01_stability_please enter name.jpg"}));
  EXPECT_TRUE(Entries(data()).empty());

  controls.SetChecked(simulation::MainControl::SaveSurface, true);
  saver.ExportSurfaceData("4");
  EXPECT_EQ(Entries(data()), Names{"01_04_stabSurf3D_please enter name.xls"});
  EXPECT_EQ(Entries(pictures()).size(), 2u);
}

TEST_F(SaveWindows, WindowWithoutAPictureSourceIsLeftOut) {
  WindowSaver bare(choice, temp.Folder());
  bare.SetWindow(SavedWindowId::Stability, [] { return RgbImage(8, 8); });
  bare.SaveWindows("1");
  EXPECT_EQ(Entries(pictures()), Names{"01_01_stability_please enter name.jpg"});
  EXPECT_EQ(Entries(data()), Names{"01_01_stabSurf3D_please enter name.xls"});
}

TEST_F(SaveWindows, SurfacePointsBecomeRowsInTheirOrder) {
  surface = {{30.0, 0.5, 2.0}, {25.0, 0.25, 3.0}, {31.0, 0.625, 2.0}};
  saver.ExportSurfaceData("1");
  EXPECT_EQ(test_support::ReadWithXlrd(temp, saver.DataFileName("1")),
            "sheets 1\nsheet Sheet1 4 3\n0 0 text X\n0 1 text Y\n0 2 text Z\n"
            "1 0 number 30.0\n1 1 number 0.5\n1 2 number 2.0\n"
            "2 0 number 25.0\n2 1 number 0.25\n2 2 number 3.0\n"
            "3 0 number 31.0\n3 1 number 0.625\n3 2 number 2.0\n");
}

TEST_F(SaveWindows, MissingPicturesFolderStopsAtTheFirstBitmap) {
  fs::remove(pictures());
  EXPECT_EQ(SaveMessage("1"), "Datei \"" + picture("01_01_main_please enter name.bmp") +
                                  "\" kann nicht erstellt werden. No such file or directory");
  EXPECT_FALSE(fs::exists(pictures()));
  EXPECT_TRUE(Entries(data()).empty());
  EXPECT_EQ(rendered, Names{"cb_save_main"});
}

TEST_F(SaveWindows, MissingDataFolderKeepsThePicturesWrittenBefore) {
  fs::remove(data());
  EXPECT_EQ(SaveMessage("1"), "Datei \"" + (data() / "01_01_stabSurf3D_please enter name.xls").string() +
                                  "\" kann nicht erstellt werden. No such file or directory");
  EXPECT_FALSE(fs::exists(data()));
  EXPECT_EQ(Entries(pictures()), (Names{"01_01_main_please enter name.jpg", "01_01_stabSurf3D_please enter name.jpg",
                                        "01_01_stability_please enter name.jpg"}));
}

TEST_F(SaveWindows, UnwritablePictureStopsTheSaveAndLeavesNoPartialFile) {
  const std::string blocked = picture("01_01_stability_please enter name.jpg");
  fs::create_directory(blocked);
  EXPECT_EQ(SaveMessage("1"), "Datei \"" + blocked + "\" kann nicht erstellt werden. Is a directory");
  // The main picture stays whole; no bitmap, temporary file or later file is left.
  EXPECT_EQ(Entries(pictures()),
            (Names{"01_01_main_please enter name.jpg", "01_01_stability_please enter name.jpg"}));
  EXPECT_TRUE(fs::is_directory(blocked));
  EXPECT_EQ(DecodeJpeg(test_support::ReadBytes(picture("01_01_main_please enter name.jpg"))).Width, 32);
  EXPECT_TRUE(Entries(data()).empty());
  EXPECT_EQ(rendered, (Names{"cb_save_main", "cb_save_stability"}));
}

TEST_F(SaveWindows, ProgramFolderMayLackItsSeparator) {
  const WindowSaver plain(choice, temp.Path().string());
  EXPECT_EQ(plain.PictureBase("1", "_main_"), picture("01_01_main_please enter name"));
  EXPECT_EQ(plain.DataFileName("1"), (data() / "01_01_stabSurf3D_please enter name.xls").string());
}

TEST(JpegFileName, ReplacesOnlyAnExtensionOfTheLastComponent) {
  EXPECT_EQ(JpegFileName("pictures/01_01_main_run.final"), "pictures/01_01_main_run.jpg");
  EXPECT_EQ(JpegFileName("pictures/01_01_main_x"), "pictures/01_01_main_x.jpg");
  EXPECT_EQ(JpegFileName("my.folder/01_01_main_x"), "my.folder/01_01_main_x.jpg");
  EXPECT_EQ(JpegFileName("a.b.c"), "a.b.jpg");
  EXPECT_EQ(JpegFileName("plain"), "plain.jpg");
}

TEST(ConvertToJpeg, TurnsTheBitmapIntoAJpegAndRemovesIt) {
  TempFolder temp;
  const std::string base = temp.File("shot.v2");
  WriteBitmapFile(RgbImage(20, 10, world::kSilver), base + ".bmp");
  ConvertToJpeg(base, 100);
  EXPECT_EQ(Entries(temp.Path()), Names{"shot.jpg"});
  const RgbImage back = DecodeJpeg(test_support::ReadBytes(temp.File("shot.jpg")));
  EXPECT_EQ(back.Width, 20);
  EXPECT_EQ(back.Height, 10);
}

TEST(ConvertToJpeg, UnreadableBitmapStaysAndNoJpegAppears) {
  TempFolder temp;
  const std::string base = temp.File("shot");
  std::ofstream(base + ".bmp") << "not a picture";
  EXPECT_EQ(UserErrorText([&] { ConvertToJpeg(base, 100); }), "Bitmap ist ungültig");
  EXPECT_EQ(Entries(temp.Path()), Names{"shot.bmp"});
}

TEST(ConvertToJpeg, MissingBitmapIsAnOpenError) {
  TempFolder temp;
  const std::string base = temp.File("none");
  EXPECT_EQ(UserErrorText([&] { ConvertToJpeg(base, 100); }),
            "Datei \"" + base + ".bmp\" kann nicht geöffnet werden. No such file or directory");
  EXPECT_TRUE(Entries(temp.Path()).empty());
}

}  // namespace
}  // namespace exporting

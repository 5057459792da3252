#include "pictures/png_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "pictures/band.h"

namespace pictures {
namespace {

namespace fs = std::filesystem;
using graphics::ColorRef;

// A picture whose every pixel differs from its neighbours in all three
// channels, so a swapped channel, row or column shows.
ColorRef PatternPixel(std::int32_t x, std::int32_t y) {
  return graphics::ComposeRgb((x * 7 + y) % 256, (y * 13 + 5) % 256, (x * y + 3 * x) % 256);
}

bool PatternRow(std::int32_t y, std::span<ColorRef> row) {
  for (std::size_t x = 0; x < row.size(); ++x) row[x] = PatternPixel(static_cast<std::int32_t>(x), y);
  return true;
}

std::vector<ColorRef> ReadAll(PngReader& reader) {
  std::vector<ColorRef> pixels(static_cast<std::size_t>(reader.Width()) * reader.Height());
  for (std::int32_t y = 0; y < reader.Height(); ++y) {
    EXPECT_TRUE(reader.ReadRow(std::span(pixels).subspan(static_cast<std::size_t>(y) * reader.Width(),
                                                         reader.Width())));
  }
  return pixels;
}

std::vector<ColorRef> Pattern(std::int32_t width, std::int32_t top, std::int32_t bottom) {
  std::vector<ColorRef> pixels;
  for (std::int32_t y = top; y < bottom; ++y) {
    for (std::int32_t x = 0; x < width; ++x) pixels.push_back(PatternPixel(x, y));
  }
  return pixels;
}

class PngFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("png_file_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The names in the folder, so a stray temporary file shows.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Writes rows top .. bottom-1 of the pattern picture (width x height) as a band of `job`.
  void WriteBand(const std::string& name, std::int32_t width, BandPlace place, const std::string& job) {
    const PngText texts[] = {{jobKey, job}, {bandKey, BandText(place)}};
    const auto problem = WritePngFile(folder_ / name, width, place.bottom - place.top,
                                      [&](std::int32_t y, std::span<ColorRef> row) { return PatternRow(place.top + y, row); },
                                      texts);
    ASSERT_FALSE(problem) << *problem;
  }

  fs::path folder_;
};

TEST_F(PngFileTest, WrittenPictureReadsBackPixelForPixelWithItsTexts) {
  const PngText texts[] = {{"Job", "map g 5"}, {"Band", "rows 0-3 of 3"}};
  ASSERT_FALSE(WritePngFile(folder_ / "a.png", 37, 3, PatternRow, texts));
  PngReader reader(folder_ / "a.png");
  ASSERT_FALSE(reader.Problem()) << *reader.Problem();
  EXPECT_EQ(reader.Width(), 37);
  EXPECT_EQ(reader.Height(), 3);
  EXPECT_EQ(reader.Text("Job"), "map g 5");
  EXPECT_EQ(reader.Text("Band"), "rows 0-3 of 3");
  EXPECT_EQ(reader.Text("Other"), std::nullopt);
  EXPECT_EQ(ReadAll(reader), Pattern(37, 0, 3));
  std::vector<ColorRef> row(37);
  EXPECT_FALSE(reader.ReadRow(row)) << "a row beyond the last";
  EXPECT_EQ(Listing(), std::vector<std::string>{"a.png"});
}

TEST_F(PngFileTest, FailedOrAbandonedWritesLeaveNoFileAndKeepTheOldOne) {
  ASSERT_FALSE(WritePngFile(folder_ / "kept.png", 4, 4, PatternRow));
  const auto giveUpAtRow2 = [](std::int32_t y, std::span<ColorRef> row) { return y < 2 && PatternRow(y, row); };
  const auto abandoned = WritePngFile(folder_ / "kept.png", 9, 9, giveUpAtRow2);
  ASSERT_TRUE(abandoned);
  EXPECT_NE(abandoned->find("kept.png"), std::string::npos) << *abandoned;
  const auto noFolder = WritePngFile(folder_ / "missing" / "x.png", 4, 4, PatternRow);
  ASSERT_TRUE(noFolder);
  EXPECT_NE(noFolder->find("No such file or directory"), std::string::npos) << *noFolder;
  EXPECT_FALSE(CheckWritable(folder_ / "kept.png"));
  EXPECT_FALSE(CheckWritable(folder_ / "new.png"));
  EXPECT_TRUE(CheckWritable(folder_ / "missing" / "x.png"));
  EXPECT_EQ(Listing(), std::vector<std::string>{"kept.png"});
  PngReader reader(folder_ / "kept.png");
  EXPECT_EQ(reader.Width(), 4) << "the old file is still whole";
  EXPECT_EQ(ReadAll(reader), Pattern(4, 0, 4));
}

// A picture's bytes with `bytes` written over them at `at`, or cut to `at`
// bytes when `bytes` is empty.
std::string Changed(std::string picture, std::size_t at, const std::string& bytes) {
  if (bytes.empty()) return picture.substr(0, at);
  return picture.replace(at, bytes.size(), bytes);
}

TEST_F(PngFileTest, FilesThatAreNoPicturesAreNamedInTheProblem) {
  ASSERT_FALSE(WritePngFile(folder_ / "good.png", 50, 50, PatternRow));
  std::string good;
  {
    std::ifstream in(folder_ / "good.png", std::ios::binary);
    good.assign(std::istreambuf_iterator<char>(in), {});
  }
  // The signature takes bytes 0-7, the header chunk's length 8-11, its type
  // 12-15, the width 16-19 and the height 20-23.
  const struct {
    const char* name;
    std::string bytes;
  } broken[] = {
      {"text.png", "not a picture at all"},
      {"empty.png", ""},
      {"signature-cut.png", Changed(good, 5, "")},
      {"signature-only.png", Changed(good, 8, "")},
      {"header-cut.png", Changed(good, 20, "")},
      {"no-header-first.png", Changed(good, 12, "tEXt")},
      {"length-beyond-range.png", Changed(good, 8, "\xFF\xFF\xFF\xFF")},
      {"zero-width.png", Changed(good, 16, std::string(4, '\0'))},
  };
  for (const auto& file : broken) {
    std::ofstream(folder_ / file.name, std::ios::binary) << file.bytes;
  }
  std::vector<std::string> names{"absent.png"};
  for (const auto& file : broken) names.push_back(file.name);
  for (const std::string& name : names) {
    PngReader reader(folder_ / name);
    ASSERT_TRUE(reader.Problem()) << name;
    EXPECT_NE(reader.Problem()->find(name), std::string::npos) << *reader.Problem();
  }
  ASSERT_FALSE(WritePngFile(folder_ / "whole.png", 50, 50, PatternRow));
  fs::resize_file(folder_ / "whole.png", 100);  // cut inside the image data
  PngReader cut(folder_ / "whole.png");
  ASSERT_FALSE(cut.Problem());
  std::vector<ColorRef> row(50);
  int rows = 0;
  while (cut.ReadRow(row)) ++rows;
  EXPECT_LT(rows, 50);
  ASSERT_TRUE(cut.Problem());
}

TEST(BandTextTest, ReadsOnlyWhatItWrites) {
  EXPECT_EQ(BandText({3, 10, 12}), "rows 3-10 of 12");
  EXPECT_EQ(ReadBandText("rows 3-10 of 12"), (BandPlace{3, 10, 12}));
  for (const char* text : {"rows 3-10 of 9", "rows 5-5 of 9", "rows -1-4 of 9", "rows 1-4 of 9 and more", "lines 1-4 of 9", ""}) {
    EXPECT_EQ(ReadBandText(text), std::nullopt) << text;
  }
}

TEST_F(PngFileTest, BandsInAnyOrderJoinIntoTheWholePicture) {
  WriteBand("c.png", 21, {10, 17, 17}, "job");
  WriteBand("a.png", 21, {0, 4, 17}, "job");
  WriteBand("b.png", 21, {4, 10, 17}, "job");
  const std::vector<fs::path> bands = {folder_ / "c.png", folder_ / "a.png", folder_ / "b.png"};
  const auto problem = MergeBands(bands, folder_ / "whole.png");
  ASSERT_FALSE(problem) << *problem;
  PngReader whole(folder_ / "whole.png");
  EXPECT_EQ(whole.Text(jobKey), "job");
  EXPECT_EQ(whole.Text(bandKey), "rows 0-17 of 17");
  EXPECT_EQ(ReadAll(whole), Pattern(21, 0, 17));
}

TEST_F(PngFileTest, BandsThatDoNotFitAreRefusedWithoutOutput) {
  WriteBand("top.png", 8, {0, 4, 10}, "job");
  WriteBand("rest.png", 8, {4, 10, 10}, "job");
  WriteBand("middle.png", 8, {3, 7, 10}, "job");
  WriteBand("bottom.png", 8, {7, 10, 10}, "job");
  WriteBand("other.png", 8, {4, 10, 10}, "other job");
  WriteBand("narrow.png", 7, {4, 10, 10}, "job");
  ASSERT_FALSE(WritePngFile(folder_ / "plain.png", 8, 6, PatternRow));
  const struct {
    std::vector<std::string> bands;
    std::string problem;
  } cases[] = {
      {{"top.png", "bottom.png"}, "picture rows 4-7 (from the top) are in no band"},
      {{"top.png"}, "picture rows 4-10 (from the top) are in no band"},
      {{"top.png", "middle.png", "bottom.png"}, "picture rows 3-4 (from the top) are in more than one band"},
      {{"top.png", "other.png"}, "bands of different maps"},
      {{"top.png", "narrow.png"}, "bands of different maps"},
      {{"top.png", "plain.png"}, "plain.png is not a band of a map"},
      {{"top.png", "absent.png"}, "absent.png"},
      {{}, "no band files"},
  };
  for (const auto& c : cases) {
    std::vector<fs::path> paths;
    for (const auto& name : c.bands) paths.push_back(folder_ / name);
    const auto problem = MergeBands(paths, folder_ / "whole.png");
    ASSERT_TRUE(problem) << c.problem;
    EXPECT_NE(problem->find(c.problem), std::string::npos) << *problem;
    EXPECT_FALSE(fs::exists(folder_ / "whole.png")) << c.problem;
  }
}

}  // namespace
}  // namespace pictures

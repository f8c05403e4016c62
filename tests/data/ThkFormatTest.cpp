// The THK readers: both syntaxes, every refusal with its exact message and line number, the
// counting rules, the end byte, CR LF handling and locale independence.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/GridDataSet.h"
#include "data/ThkFormat.h"
#include "data/ThkWriter.h"
#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::MessageRecorder;

class ThkFileTest : public testing::Test {
 protected:
  void SetUp() override { ResetDataSets(sets_.get(), kMaxDataSets); }
  int Load(const std::string& text) { return ParseThkFileText(text, sets_.get()); }
  int LoadFromDisk(const std::string& text) {
    return LoadThkFile(dir_.Write("data.thk", text), sets_.get());
  }
  bool AnyActive() const {
    for (int i = 0; i < kMaxDataSets; ++i)
      if (sets_[i].active) return true;
    return false;
  }
  // The header of a two-type file with pitch 10 and extent 500.
  static std::string Header() { return "500,\r\n10,10,\r\n2,A,B,\r\n"; }

  std::unique_ptr<GridDataSet[]> sets_ = MakeDataSets();
  MessageRecorder messages_;
  test::TempDir dir_;
};

TEST_F(ThkFileTest, FourLineFileLoadsTwoTypes) {
  ASSERT_EQ(LoadFromDisk("500,\n10,10,\n2,A,,\n0,0,1.5,2.5,\n"), 2);
  EXPECT_TRUE(messages_.Messages().empty());
  EXPECT_EQ(sets_[0].name, "A");
  EXPECT_EQ(sets_[1].name, "Data2");
  EXPECT_EQ(sets_[0].values[0][0], 1.5);
  EXPECT_EQ(sets_[1].values[0][0], 2.5);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(sets_[i].active, 1);
    EXPECT_EQ(sets_[i].size, 500);
    EXPECT_EQ(sets_[i].pitchX, 10);
    EXPECT_EQ(sets_[i].pitchY, 10);
    EXPECT_EQ(sets_[i].pointCount, 2);  // the total of values read, in every slot
    EXPECT_EQ(sets_[i].values[10][0], kNoData);
    EXPECT_EQ(sets_[i].values[500][500], kNoData);
  }
  EXPECT_EQ(sets_[2].active, 0);
}

TEST_F(ThkFileTest, CoordinatesAreStoredUndividedAndMaximaTracked) {
  ASSERT_EQ(Load(Header() + "20,30,1,2,\r\n40,10,3,4,\r\n"), 2);
  EXPECT_EQ(sets_[0].values[20][30], 1.0);
  EXPECT_EQ(sets_[1].values[40][10], 4.0);
  EXPECT_EQ(sets_[0].maxX, 40);
  EXPECT_EQ(sets_[1].maxY, 30);
}

TEST_F(ThkFileTest, MissingTrailingCommasShiftTheHeader) {
  // The size line has no comma and is skipped; "10,10" becomes the size line and "2,A" a pitch
  // line without its Y pitch, which is refused before any coordinate is tested.
  EXPECT_EQ(Load("500\n10,10\n2,A\n0,0,1.5,2.5\n"), -1);
  EXPECT_EQ(messages_.Only(), "X/Y Pitch data error. X:2 Y:0");
  EXPECT_FALSE(AnyActive());
}

TEST_F(ThkFileTest, LinesWithoutCommasChangeNothing) {
  ASSERT_EQ(Load("\r\nremark\r\n" + Header() + "0,0,1,2,\r\n\r\nno comma here\r\n10,0,3,4,\r\n"),
            2);
  EXPECT_EQ(sets_[0].values[10][0], 3.0);
  EXPECT_EQ(sets_[0].pointCount, 4);
  // Line numbers still count only the counted lines: the fifth counted line is line 4.
  EXPECT_EQ(Load(Header() + "0,0,1,2,\r\n\r\n15,0,3,4,\r\n"), -1);
  EXPECT_EQ(messages_.Messages().back(), "X coord is not multiple of X-Pitch. -> 15 X-Pitch= 10");
}

TEST_F(ThkFileTest, HeaderRefusals) {
  struct Case {
    std::string text, message;
  } cases[] = {
      {"0,\n10,10,\n1,A,\n", "Size data error.(<=0 or >500) -> 0"},
      {"501,\n10,10,\n1,A,\n", "Size data error.(<=0 or >500) -> 501"},
      {"100,\n0,10,\n1,A,\n", "X/Y Pitch data error. X:0 Y:10"},
      {"100,\n10,101,\n1,A,\n", "X/Y Pitch data error. X:10 Y:101"},
      {"100,\n10,10,\n10,A,\n", "<LoadThkData> Data name count error. count= 10"},
      {"100,\n10,10,\n0,A,\n", "<LoadThkData> Data name count error. count= 0"},
      {"100,\n10,10,\n1,a,b,c,d,e,f,g,h,i,j,k,\n", "<LoadThkData> Data name count over. (Line=3)"},
      {"100,\n10,\n1,A,\n0,0,1,\n", "X/Y Pitch data error. X:10 Y:0"},
      {"1 00,\n", "Incorrect data. -> ' (20)' Line: 0"},
      {"100,\n10,1x,\n", "Incorrect data. -> 'x(78)' Line: 1"},
      {"100,\n10,10,\n1,A,\n", "Data count is zero."},
      {"100,\n10,10,\n1,A,\n0,0,\n10,0,\n", "Data count is zero."},
  };
  for (const Case& c : cases) {
    messages_.Clear();
    EXPECT_EQ(Load(c.text), -1) << c.text;
    EXPECT_EQ(messages_.Only(), c.message) << c.text;
    EXPECT_FALSE(AnyActive()) << c.text;
  }
}

TEST_F(ThkFileTest, DataLineRefusalsNameTheLine) {
  struct Case {
    std::string data, message;
  } cases[] = {
      {"5,0,1,\r\n", "X coord is not multiple of X-Pitch. -> 5 X-Pitch= 10"},
      {"0,25,1,\r\n", "Y coord is not multiple of Y-Pitch. -> 25 Y-Pitch= 10"},
      {"510,0,1,\r\n", "Incorrect X data.(X<0 or X>510) Line: 3"},
      {"0,0,1,\r\n0,600,1,\r\n", "Incorrect Y data.(Y<0 or Y>600) Line: 4"},
      {"-10,0,1,\r\n", "Incorrect data. -> '-(2D)' Line: 3"},
      {"0,0,1.5x,\r\n", "Incorrect data. -> 'x(78)' Line: 3"},
      {"0,0,1,\r\n0,10,\t2,\r\n", "Incorrect data. -> '\t(09)' Line: 4"},
      {"0,0,1e999,\r\n", "Incorrect data. -> '1e999' Line: 3"},
      {"0,0,-1E400000,\r\n", "Incorrect data. -> '-1E400000' Line: 3"},
      {"99999999999999999999999999999999999999999999,0,1,\r\n",
       "Incorrect X data.(X<0 or X>340282346638528859811704183484516925440) Line: 3"},
      {"0,0,1\r2,\r\n", "Incorrect data. -> '\r(0D)' Line: 3"},
      // A byte that is no character on its own shows as U+FFFD; NUL too, with its value kept.
      {"0,0,1\x96,\r\n", "Incorrect data. -> '\xEF\xBF\xBD(96)' Line: 3"},
      {std::string("0,0,1\0,\r\n", 9), "Incorrect data. -> '\xEF\xBF\xBD(00)' Line: 3"},
  };
  for (const Case& c : cases) {
    messages_.Clear();
    EXPECT_EQ(Load(Header() + c.data), -1) << c.data;
    EXPECT_EQ(messages_.Only(), c.message) << c.data;
    EXPECT_FALSE(AnyActive());
  }
}

TEST_F(ThkFileTest, NamesTakeAnyCharacterAndFieldsAreLimitedTo63) {
  const std::string name63(63, 'n');
  ASSERT_EQ(Load("100,\n10,10,\n1,A b\t-" + std::string(1, '\xE9') + ",\n0,0,1,\n"), 1);
  EXPECT_EQ(sets_[0].name, "A b\t-\xE9");
  ASSERT_EQ(Load("100,\n10,10,\n1," + name63 + ",\n0,0,1,\n"), 1);
  EXPECT_EQ(sets_[0].name, name63);
  EXPECT_EQ(Load("100,\n10,10,\n1," + name63 + "n,\n0,0,1,\n"), -1);
  EXPECT_EQ(messages_.Only(), "Data field too long.(max 63 characters) Line: 2");
  // A long remark after the last comma is discarded, not refused.
  EXPECT_EQ(Load("100,\n10,10,\n1,A," + std::string(200, 'r') + "\n0,0,1,\n"), 1);
}

TEST_F(ThkFileTest, ValuesFollowTheLeadingNumericTextRule) {
  ASSERT_EQ(Load(Header() + "0,0,1.5e2,+2,\r\n10,0,1-2,.5,\r\n20,0,-,1e,\r\n30,0,E5,00012.50,\r\n"),
            2);
  EXPECT_EQ(sets_[0].values[0][0], 150.0);
  EXPECT_EQ(sets_[1].values[0][0], 2.0);
  EXPECT_EQ(sets_[0].values[10][0], 1.0);
  EXPECT_EQ(sets_[1].values[10][0], 0.5);
  EXPECT_EQ(sets_[0].values[20][0], 0.0);
  EXPECT_EQ(sets_[1].values[20][0], 1.0);
  EXPECT_EQ(sets_[0].values[30][0], 0.0);
  EXPECT_EQ(sets_[1].values[30][0], 12.5);
  // Decimal values convert exactly as the C library does.
  ASSERT_EQ(Load(Header() + "0,0,-1234.5678,0.1,\r\n10,0,123456789012345678901234,1e-5,\r\n"), 2);
  EXPECT_EQ(sets_[0].values[0][0], std::strtod("-1234.5678", nullptr));
  EXPECT_EQ(sets_[1].values[0][0], 0.1);
  EXPECT_EQ(sets_[0].values[10][0], 123456789012345678901234.0);
  EXPECT_EQ(sets_[1].values[10][0], 1e-5);
}

TEST_F(ThkFileTest, SlotsBeyondNAndValuesBeyondTheTenth) {
  // N = 1 but three names and eleven values: extra names and values land in inactive slots,
  // the eleventh value is ignored, and every value read counts.
  ASSERT_EQ(Load("100,\n10,10,\n1,A,B,C,\n0,0,1,2,3,4,5,6,7,8,9,10,11,\n"), 1);
  EXPECT_EQ(sets_[0].active, 1);
  EXPECT_EQ(sets_[1].active, 0);
  EXPECT_EQ(sets_[1].name, "B");
  EXPECT_EQ(sets_[9].values[0][0], 10.0);
  EXPECT_EQ(sets_[0].pointCount, 10);
}

TEST_F(ThkFileTest, RepeatedPointOverwritesAndCountsTwice) {
  ASSERT_EQ(Load(Header() + "0,0,1,2,\n0,0,3,4,\n"), 2);
  EXPECT_EQ(sets_[0].values[0][0], 3.0);
  EXPECT_EQ(sets_[0].pointCount, 4);
}

TEST_F(ThkFileTest, EndByteEndsTheFile) {
  ASSERT_EQ(Load(Header() + "0,0,1,2,\n\xFF" + "10,0,3,4,\n"), 2);
  EXPECT_EQ(sets_[0].values[10][0], kNoData);
  EXPECT_EQ(sets_[0].pointCount, 2);
  EXPECT_EQ(Load(Header() + "\xFF" + "0,0,1,2,\n"), -1);
  EXPECT_EQ(messages_.Only(), "Data count is zero.");
}

TEST_F(ThkFileTest, CrLfAndLfReadAlike) {
  ASSERT_EQ(Load("500,\r\n10,10,\r\n1,A,\r\n0,0,7,\r\n"), 1);
  EXPECT_EQ(sets_[0].values[0][0], 7.0);
  ASSERT_EQ(Load("500,\n10,10,\n1,A,\n0,0,7,\n"), 1);
  EXPECT_EQ(sets_[0].values[0][0], 7.0);
}

// The disk reader feeds the parser in pieces; any split must read the same data.
TEST_F(ThkFileTest, PieceBoundariesDoNotMatter) {
  const std::string text = test::ReadFile(test::ExamplePath("coads_atlantic_sparse.thk")) +
                           "0,0,1\r";  // ends with a lone CR after the last comma
  auto whole = MakeDataSets();
  ASSERT_EQ(ParseThkFileText(text, whole.get()), 3);
  for (size_t piece : {1u, 2u, 3u, 7u, 64u}) {
    ResetDataSets(sets_.get(), kMaxDataSets);
    ThkFileParser parser(sets_.get());
    for (size_t at = 0; at < text.size(); at += piece)
      parser.Feed(text.data() + at, std::min(piece, text.size() - at));
    ASSERT_EQ(parser.Finish(), 3) << piece;
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(sets_[k].name, whole[k].name);
      EXPECT_EQ(sets_[k].pointCount, whole[k].pointCount);
      EXPECT_EQ(0, std::memcmp(sets_[k].values, whole[k].values, sizeof whole[k].values)) << piece;
    }
  }
}

// Inside a long file, data lines are read by a faster route that hands any field it does not
// take back to the field-by-field reading, also in the middle of a line. Every field shape must
// read as the C library reads it, wherever the line stands and however the text is cut.
TEST_F(ThkFileTest, EveryValueShapeReadsAlikeInsideALongFile) {
  // Plain decimals first; every seventh line holds ten of them and an eleventh that is ignored.
  const std::vector<std::string> values = {
      "1059.7605",
      "-0.5",
      "+1",
      ".5",
      "5.",
      "-0",
      "-.0",
      "0.000",
      "00012.50",
      "1234567.12345678",  // eight fraction digits, fifteen digits in all: still exact
      "999999999999999",
      "-99999999.999999",
      "12345678.1234567",
      "-9999999.12345678",
      "9007199254740993",  // sixteen digits: above 2^53, rounded as strtod rounds
      "900719925474099.3",
      "0.9007199254740993",
      "12345678901234567890.5",
      "1e5",
      "-1.5E-3",
      "",
      "-",
      ".",
      "1e",
      "1-2",
      "4.9e-324",
      "0.1",
      "+000000000000000000000000000000001.25"};
  const auto valueAt = [&](int line, int k) -> const std::string& {
    return values[line % 7 == 0 ? k : (line * 3 + k) % values.size()];
  };
  const auto countAt = [](int line) { return line % 7 == 0 ? 11 : 2 + line % 9; };
  std::string text = Header();
  const int lines = 60;
  for (int i = 0; i < lines; ++i) {
    text += std::to_string(10 * (i % 50)) + "," + std::to_string(10 * (i / 50)) + ",";
    for (int k = 0; k < countAt(i); ++k) text += valueAt(i, k) + ",";
    text += i % 2 ? "\r\n" : "\n";
  }
  for (int i = 0; i < 400; ++i) text += "490,490,1.5,-2.25,\r\n";

  auto whole = MakeDataSets();
  ASSERT_EQ(ParseThkFileText(text, whole.get()), 2) << messages_.Only();
  long long expectedCount = 800;
  for (int i = 0; i < lines; ++i) {
    for (int k = 0; k < std::min(countAt(i), kMaxDataSets); ++k) {
      const std::string& v = valueAt(i, k);
      const double expected = std::strtod(v.c_str(), nullptr);
      const double got = whole[k].values[10 * (i % 50)][10 * (i / 50)];
      EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << "'" << v << "' gave " << got;
      ++expectedCount;
    }
  }
  EXPECT_EQ(whole[0].pointCount, expectedCount);
  for (size_t piece : {97u, 4099u}) {
    ResetDataSets(sets_.get(), kMaxDataSets);
    ThkFileParser parser(sets_.get());
    for (size_t at = 0; at < text.size(); at += piece)
      parser.Feed(text.data() + at, std::min(piece, text.size() - at));
    ASSERT_EQ(parser.Finish(), 2) << piece;
    for (int k = 0; k < kMaxDataSets; ++k)
      EXPECT_EQ(0, std::memcmp(sets_[k].values, whole[k].values, sizeof whole[k].values)) << piece;
  }
}

// A refusal met by the faster route names the same field and line as on its own.
TEST_F(ThkFileTest, RefusalsInsideALongFileNameTheirLine) {
  struct Case {
    std::string data, message;
  } cases[] = {
      {"0,0,1.5,2.5x,\r\n", "Incorrect data. -> 'x(78)' Line: 5"},
      {"0,0,1.5,1e999,\r\n", "Incorrect data. -> '1e999' Line: 5"},
      {"0,0,1.5,-1.5\r2,\r\n", "Incorrect data. -> '\r(0D)' Line: 5"},
      {"0,0,1.5," + std::string(64, '1') + ",\r\n",
       "Data field too long.(max 63 characters) Line: 5"},
      {"5,0,1.5,\r\n", "X coord is not multiple of X-Pitch. -> 5 X-Pitch= 10"},
      {"0,25,1.5,\r\n", "Y coord is not multiple of Y-Pitch. -> 25 Y-Pitch= 10"},
      {"510,0,1.5,\r\n", "Incorrect X data.(X<0 or X>510) Line: 5"},
      {"00000010,-10,1.5,\r\n", "Incorrect data. -> '-(2D)' Line: 5"},
  };
  const std::string plain = "10,10,1.5,-2.25,\r\n";
  std::string after;
  for (int i = 0; i < 100; ++i) after += plain;
  for (const Case& c : cases) {
    messages_.Clear();
    EXPECT_EQ(Load(Header() + plain + plain + c.data + after), -1) << c.data;
    EXPECT_EQ(messages_.Only(), c.message) << c.data;
  }
}

TEST_F(ThkFileTest, ExamplesLoad) {
  ASSERT_EQ(LoadThkFile(test::ExamplePath("volcano_pitch5.thk"), sets_.get()), 2);
  EXPECT_EQ(sets_[0].name, "Elevation_m");
  EXPECT_EQ(sets_[1].name, "Slope");
  EXPECT_EQ(sets_[0].size, 430);
  EXPECT_EQ(sets_[0].maxX, 430);
  EXPECT_EQ(sets_[0].maxY, 300);
  EXPECT_EQ(sets_[0].pointCount, 2 * 87 * 61);
  ResetDataSets(sets_.get(), kMaxDataSets);
  ASSERT_EQ(LoadThkFile(test::ExamplePath("coads_atlantic_sparse.thk"), sets_.get()), 3);
  EXPECT_EQ(sets_[2].name, "SLP_Jan_mb");
}

// What the writer writes reads back into the same data sets: names byte for byte (UTF-8 and
// CP932), every value to the last bit, a point missing in one type only.
TEST_F(ThkFileTest, WrittenFileReadsBackIdentical) {
  ASSERT_EQ(LoadThkFile(test::ExamplePath("coads_atlantic_sparse.thk"), sets_.get()), 3);
  sets_[0].name = "\xE8\x86\x9C\xE5\x8E\x9A nm";
  sets_[1].name = "\x96\x8C\x8C\xFA";
  sets_[0].values[0][0] = 0.1 + 0.2;
  sets_[1].values[0][0] = 1e-300;
  sets_[2].values[0][0] = -99998.9;
  sets_[2].values[sets_[0].maxX][sets_[0].maxY] = kNoData;
  sets_[0].values[sets_[0].maxX][sets_[0].maxY] = -1.0 / 3.0;
  const std::string text = ThkFileText(sets_.get(), 3);
  auto back = MakeDataSets();
  ASSERT_EQ(ParseThkFileText(text, back.get()), 3) << messages_.Only();
  for (int i = 0; i < 3; ++i) {
    const GridDataSet &a = sets_[i], &b = back[i];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.size, a.size);
    EXPECT_EQ(b.pitchX, a.pitchX);
    EXPECT_EQ(b.pitchY, a.pitchY);
    EXPECT_EQ(b.maxX, a.maxX);
    EXPECT_EQ(b.maxY, a.maxY);
    for (int x = 0; x < kGridDim; ++x)
      for (int y = 0; y < kGridDim; ++y)
        ASSERT_EQ(std::memcmp(&a.values[x][y], &b.values[x][y], sizeof(double)), 0)
            << i << " " << x << "," << y;
  }
  // The bytes the syntax reserves cannot stay in a name.
  sets_[0].name = "a,b\nc";
  ResetDataSets(back.get(), kMaxDataSets);
  ASSERT_EQ(ParseThkFileText(ThkFileText(sets_.get(), 1), back.get()), 1);
  EXPECT_EQ(back[0].name, "a_b_c");
}

TEST_F(ThkFileTest, MissingFileIsReported) {
  EXPECT_EQ(LoadThkFile(dir_.File("absent.thk"), sets_.get()), -1);
  EXPECT_EQ(messages_.Only(), "File open error. -> " + dir_.File("absent.thk"));
}

class ThkTextTest : public ThkFileTest {
 protected:
  int Parse(const std::string& text) { return ParseThkText(text, sets_.get()); }
  static std::string Head(const std::string& size = "100") {
    return "THK_DATA\t\r\n" + size + "\t\r\n10\t10\t\r\n2\tA\tB\t\r\n";
  }
};

TEST_F(ThkTextTest, ParsesWithPerSlotCounts) {
  ASSERT_EQ(Parse(Head() + "0\t0\t1.5\t2.5\t\r\n10\t20\t3\t\r\n"), 2);
  EXPECT_TRUE(messages_.Messages().empty());
  EXPECT_EQ(sets_[0].values[0][0], 1.5);
  EXPECT_EQ(sets_[1].values[0][0], 2.5);
  EXPECT_EQ(sets_[0].values[10][20], 3.0);
  EXPECT_EQ(sets_[0].pointCount, 2);
  EXPECT_EQ(sets_[1].pointCount, 1);
  EXPECT_EQ(sets_[0].maxX, 10);
  EXPECT_EQ(sets_[0].maxY, 20);
  EXPECT_EQ(sets_[1].size, 100);
}

TEST_F(ThkTextTest, ResetsTheSlotsItself) {
  sets_[3].values[5][5] = 42.0;
  sets_[3].active = 1;
  ASSERT_EQ(Parse(Head() + "0\t0\t1\t2\t\r\n"), 2);
  EXPECT_EQ(sets_[3].values[5][5], kNoData);
  EXPECT_EQ(sets_[3].active, 0);
}

TEST_F(ThkTextTest, LastFieldMayEndWithTheLine) {
  ASSERT_EQ(Parse("THK_DATA\r\n100\t\r\n10\t10\t\r\n2\tA\tB\r\n0\t0\t1.5\t2.5\r\n"), 2);
  EXPECT_EQ(sets_[1].name, "B");
  EXPECT_EQ(sets_[1].values[0][0], 2.5);
  // An empty last field is not a value.
  ASSERT_EQ(Parse(Head() + "0\t0\t1\t\r\n"), 2);
  EXPECT_EQ(sets_[1].pointCount, 0);
}

TEST_F(ThkTextTest, ShortDataLineIsReportedAndParsingGoesOn) {
  ASSERT_EQ(Parse(Head() + "0\r\n10\t0\t5\t6\t\r\n0\t0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t\r\n"), 2);
  ASSERT_EQ(messages_.Messages().size(), 2u);
  EXPECT_EQ(messages_.Messages()[0], "Data count error. Line: 5");
  EXPECT_EQ(messages_.Messages()[1], "Data count error. Line: 7");
  EXPECT_EQ(sets_[0].values[10][0], 5.0);
  EXPECT_EQ(sets_[9].values[0][0], 10.0);  // the tenth value of line 7 was still stored
}

TEST_F(ThkTextTest, Refusals) {
  struct Case {
    std::string text, message;
  } cases[] = {
      {"THK\t\r\n", "Header data error. -> THK(Must be 'THK_DATA')"},
      {"thk_data\t\r\n", "Header data error. -> thk_data(Must be 'THK_DATA')"},
      {"\x96\x8C\x8C\xFA\t\r\n",
       "Header data error. -> \xE8\x86\x9C\xE5\x8E\x9A(Must be 'THK_DATA')"},
      {Head("501"), "Size data error.(with in 1<->500) -> 501"},
      {Head("0"), "Size data error.(with in 1<->500) -> 0"},
      {"THK_DATA\t\r\n500\r\n10\t10\t\r\n", "Size data error.(with in 1<->500) -> 500"},
      {"THK_DATA\t\r\n100\t\r\n0\t10\t\r\n", "X/Y Pitch data error. -> 0"},
      {"THK_DATA\t\r\n100\t\r\n10\t-1\t\r\n", "X/Y Pitch data error. -> -1"},
      {"THK_DATA\t\r\n100\t\r\n10\t10\r\n1\tA\r\n0\t0\t1\r\n", "X/Y Pitch data error. -> 10"},
      {"THK_DATA\t\r\n100\t\r\n10\t10\t\r\n10\tA\t\r\n",
       "Incorrect data type count.(N<=0 or N>=10) Line: 4"},
      {"THK_DATA\t\r\n100\t\r\n10\t10\t\r\n2\r\n0\t0\t1\r\n",
       "Incorrect data type count.(N<=0 or N>=10) Line: 4"},
      {Head() + "110\t0\t1\t\r\n", "Incorrect X data.(X<0 or X>100) Line: 5"},
      {Head() + "-10\t0\t1\t\r\n", "Incorrect X data.(X<0 or X>100) Line: 5"},
      {Head() + "0\t0\t1\t\r\n0\t200\t1\t\r\n", "Incorrect Y data.(Y<0 or Y>100) Line: 6"},
      {Head() + "5\t0\t1\t\r\n", "X coord is not multiple of X-Pitch. -> X: 5 X-Pitch= 10"},
      {Head() + "0\t15\t1\t\r\n", "Y coord is not multiple of Y-Pitch. -> Y: 15 Y-Pitch= 10"},
      {Head() + "nan\t0\t1\t\r\n", "Incorrect data. -> 'nan' Line: 5"},
      {Head() + "0\t0\tinf\t\r\n", "Incorrect data. -> 'inf' Line: 5"},
      {Head() + "0\t0\t1\t-1e400\r\n", "Incorrect data. -> '-1e400' Line: 5"},
      {Head() + "0\t0\t" + std::string(64, '1') + "\t\r\n",
       "Data field too long.(max 63 characters) Line: 5"},
      {"THK_DATA\t\r\n100\t\r\n10\t10\t\r\n2\tA\tB\t", "Data error.( Too few data count. )"},
      {"", "Data error.( Too few data count. )"},
  };
  for (const Case& c : cases) {
    messages_.Clear();
    EXPECT_EQ(Parse(c.text), -1) << c.text;
    EXPECT_EQ(messages_.Only(), c.message) << c.text;
    EXPECT_FALSE(AnyActive()) << c.text;
  }
}

TEST_F(ThkTextTest, HeaderWithoutDataLinesIsAccepted) {
  ASSERT_EQ(Parse(Head()), 2);
  EXPECT_EQ(sets_[0].active, 1);
  EXPECT_EQ(sets_[0].pointCount, 0);
}

TEST_F(ThkTextTest, SizeBoundsTheCoordinates) {
  ASSERT_EQ(Parse(Head("500") + "500\t500\t1\t2\t\r\n"), 2);
  EXPECT_EQ(sets_[0].values[500][500], 1.0);
  ASSERT_EQ(Parse(Head("100") + "100\t100\t1\t\r\n"), 2);
}

TEST_F(ThkTextTest, EndByteAndLineEndings) {
  ASSERT_EQ(Parse(Head() + "0\t0\t1\t\r\n\xFF" + "10\t0\t2\t\r\n"), 2);
  EXPECT_EQ(sets_[0].values[10][0], kNoData);
  // CR alone ends lines; LF after a CR is ignored; LF alone ends lines as well.
  ASSERT_EQ(Parse("THK_DATA\t\r100\t\r10\t10\t\r1\tA\t\r0\t0\t4\t\r"), 1);
  EXPECT_EQ(sets_[0].values[0][0], 4.0);
  ASSERT_EQ(Parse("THK_DATA\t\n100\t\n10\t10\t\n1\tA\t\n0\t0\t4\t\n10\t0\t5\n"), 1);
  EXPECT_EQ(sets_[0].values[10][0], 5.0);
  EXPECT_EQ(sets_[0].pointCount, 2);
}

TEST_F(ThkTextTest, LastLineWithoutLineEndKeepsItsValue) {
  ASSERT_EQ(Parse(Head() + "0\t0\t1\t2"), 2);
  EXPECT_EQ(sets_[1].values[0][0], 2.0);
  EXPECT_TRUE(messages_.Messages().empty());
}

TEST_F(ThkTextTest, ExampleClipboardText) {
  ASSERT_EQ(Parse(test::ReadFile(test::ExamplePath("volcano_spline_clipboard.txt"))), 1);
  EXPECT_EQ(sets_[0].name, "Elevation_m");
  EXPECT_EQ(sets_[0].pointCount, 22 * 16);
  EXPECT_EQ(sets_[0].maxX, 210);
  EXPECT_EQ(sets_[0].maxY, 150);
  EXPECT_EQ(sets_[0].values[0][0], 103.0);
}

// A comma-decimal process locale must not change how numbers read.
TEST_F(ThkTextTest, NumbersReadTheSameInACommaDecimalLocale) {
  setenv("LOCPATH", ORVELLE_TEST_LOCALE_DIR, 1);
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "test locale not generated";
  ASSERT_EQ(std::atof("1.5"), 1.0);  // the locale is really in force
  const int fromText = Parse(Head() + "0\t0\t1.5\t2.25e1\t\r\n");
  const double a = sets_[0].values[0][0], b = sets_[1].values[0][0];
  const int fromFile = Load(Header() + "0,0,1.5,-0.125,\r\n");
  const double c = sets_[0].values[0][0], d = sets_[1].values[0][0];
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(fromText, 2);
  EXPECT_EQ(a, 1.5);
  EXPECT_EQ(b, 22.5);
  EXPECT_EQ(fromFile, 2);
  EXPECT_EQ(c, 1.5);
  EXPECT_EQ(d, -0.125);
}

}  // namespace
}  // namespace orvelle

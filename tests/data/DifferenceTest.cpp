// The difference and ratio of two measurements on the first one's lattice: where the second has
// no value, a zero divisor, results that would read back as no data, and the names.
#include "data/Difference.h"

#include <gtest/gtest.h>

#include <string>

namespace orvelle {
namespace {

TEST(Difference, TakesTheFirstLatticeAndDropsWhatCannotBeComputed) {
  auto a = MakeDataSets();
  auto b = MakeDataSets();
  for (GridDataSet* s : {&a[0], &b[0]}) {
    s->active = 1;
    s->maxX = s->maxY = 2;
  }
  a[0].name = "Before";
  b[0].name = "After";
  a[0].values[0][0] = 10.0;
  a[0].values[0][1] = 10.0;  // b has no value there
  a[0].values[0][2] = 10.0;  // b is 0 there
  a[0].values[1][0] = -60000.0;
  a[0].values[1][1] = 1.0e308;
  b[0].values[0][0] = 4.0;
  b[0].values[0][2] = 0.0;
  b[0].values[1][0] = 50000.0;  // the difference is below -99999
  b[0].values[1][1] = 1.0e-10;  // the ratio overflows
  b[0].values[2][2] = 1.0;      // a has no value there

  GridDataSet& d = a[0];
  EXPECT_EQ(DifferenceDataSet(d, b[0], false), 4);
  EXPECT_EQ(d.values[0][0], 6.0);
  EXPECT_EQ(d.values[0][1], kNoData);
  EXPECT_EQ(d.values[0][2], 10.0);
  EXPECT_EQ(d.values[1][0], kNoData);
  EXPECT_EQ(d.values[1][1], 1.0e308);
  EXPECT_EQ(d.values[2][2], kNoData);
  EXPECT_EQ(d.name, "Before - After");

  d.values[0][0] = 10.0;
  d.name = "Before";
  EXPECT_EQ(DifferenceDataSet(d, b[0], true), 3);
  EXPECT_EQ(d.values[0][0], 2.5);
  EXPECT_EQ(d.values[0][2], kNoData);
  EXPECT_EQ(d.values[1][1], kNoData);
  EXPECT_EQ(d.name, "Before / After");
}

TEST(Difference, NamesAreCutAtACharacterBoundary) {
  // 30 bytes " - " 30 bytes fits in 63; one byte more in the second name and a three-byte
  // character would straddle the limit.
  const std::string a(30, 'a');
  EXPECT_EQ(DifferenceName(a, std::string(30, 'b'), false).size(), 63u);
  const std::string kanji = "\xE8\x86\x9C";  // U+819C in UTF-8
  std::string b = std::string(28, 'b') + kanji;
  EXPECT_EQ(DifferenceName(a, b, false), a + " - " + std::string(28, 'b'));
  const std::string sjis = "\x96\x8C";  // the same character in CP932
  b = std::string(29, 'b') + sjis;
  EXPECT_EQ(DifferenceName(a, b, true), a + " / " + std::string(29, 'b'));
  b = std::string(28, 'b') + sjis;
  EXPECT_EQ(DifferenceName(a, b, true), a + " / " + b);
}

}  // namespace
}  // namespace orvelle

// The text of a data-type name: UTF-8 stays as it is, other bytes are read as CP932, and bytes
// that are no character show as U+FFFD, so the result is always valid UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "data/NameText.h"

namespace orvelle {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(NameText, Utf8AndCp932SpellingsGiveTheSameText) {
  const std::string utf8 = "\xE8\x86\x9C\xE5\x8E\x9A(um)";  // 膜厚(um)
  EXPECT_EQ(NameText(utf8), utf8);
  EXPECT_EQ(NameText("\x96\x8C\x8C\xFA(um)"), utf8);
  // Half-width katakana are characters of one byte.
  EXPECT_EQ(NameText("\xB1"), "\xEF\xBD\xB1");
  // Valid UTF-8 wins even where the bytes would also be valid CP932 (C3 A9 is ﾃｩ there).
  EXPECT_EQ(NameText("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(NameText, BytesThatAreNoCharacterShowAsReplacementAndNothingVanishes) {
  EXPECT_EQ(NameText("A\x81"), "A" + kReplacement);  // lead byte at the end
  EXPECT_EQ(NameText("A\x81\x7F"
                     "B"),
            "A" + kReplacement +
                "\x7F"
                "B");                                            // wrong trail byte
  EXPECT_EQ(NameText("\x80\xFD"), kReplacement + kReplacement);  // no CP932 character
  // Forms that look like UTF-8 but are not well-formed go the CP932 way, never through unchanged.
  EXPECT_EQ(NameText("\xC0\xAF"), "\xEF\xBE\x80\xEF\xBD\xAF");         // overlong '/'
  EXPECT_EQ(NameText("\xED\xA0\x80"), "\xE6\x81\x9D" + kReplacement);  // a surrogate
  EXPECT_TRUE(IsValidUtf8(NameText("\xFF\xFE\x81\x81\x81")));
}

}  // namespace
}  // namespace orvelle

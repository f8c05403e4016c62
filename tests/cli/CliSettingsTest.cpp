// orvelle-cli --settings: the window's settings file drives the command line, in any locale, and
// a bad file is refused with the reader's message.
#include <gtest/gtest.h>

#include "data/SettingsFile.h"
#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::ExamplePath;
using test::RunCliProcess;
using test::TempDir;

std::string SettingsWithDivisor(const char* divisor) {
  ViewerParams p = DesignedParams();
  p.normEnable = 1;
  std::string text = FormatSettings(p);
  const std::string line = "NormalizeVal_1: 1.000";
  text.replace(text.find(line), line.size(), std::string("NormalizeVal_1: ") + divisor);
  return text;
}

TEST(CliSettings, TheFileSetsTheNormalisationEvenInACommaLocale) {
  TempDir dir;
  const std::string path = dir.Write("setting.dat", SettingsWithDivisor("2.500"));
  const std::vector<std::string> locale = {"LOCPATH=" ORVELLE_TEST_LOCALE_DIR,
                                           "LC_ALL=de_DE.UTF-8"};
  for (const auto& env : {std::vector<std::string>{}, locale}) {
    const test::CliResult r =
        RunCliProcess({"info", ExamplePath("volcano_pitch5.thk"), "--settings", path}, "", env);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"slot\":0,"), std::string::npos);
    EXPECT_NE(r.out.find("\"normDivisor\":2.5}"), std::string::npos) << r.out;
  }
}

TEST(CliSettings, ABadOrMissingFileIsRefusedWithTheReadersMessage) {
  TempDir dir;
  const std::string bad = dir.Write("setting.dat", SettingsWithDivisor("x"));
  test::CliResult r = RunCliProcess({"info", ExamplePath("volcano_pitch5.thk"), "--settings", bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Parameter read error.(Normalize Divisor No.1)\n");
  r = RunCliProcess({"info", ExamplePath("volcano_pitch5.thk"), "--settings", dir.File("none")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "<LoadParameter> File open error.\n");
}

}  // namespace
}  // namespace orvelle

// The Windows side of the shared fixtures: paths are UTF-8 as everywhere in the program. The
// helpers that run orvelle-cli or the code under test in a child process are POSIX only.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "support/TestSupport.h"

namespace orvelle::test {
namespace {

std::filesystem::path NativePath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

MessageRecorder::MessageRecorder() {
  previous_ = SetMessageHandler([this](const std::string& text) { messages_.push_back(text); });
}
MessageRecorder::~MessageRecorder() { SetMessageHandler(std::move(previous_)); }

std::string MessageRecorder::Only() const {
  if (messages_.size() == 1) return messages_[0];
  // Built in steps: GCC 12 warns falsely about the chained form for this target.
  std::string text = "<";
  text += std::to_string(messages_.size());
  text += " messages>";
  return text;
}

std::string FixturePath(const std::string& name) {
  return std::string(ORVELLE_TEST_DATA_DIR) + "/" + name;
}
std::string ExamplePath(const std::string& name) {
  return std::string(ORVELLE_EXAMPLES_DIR) + "/" + name;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TempDir::TempDir() {
  std::random_device seed;
  std::error_code ec;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const auto dir = std::filesystem::temp_directory_path(ec) /
                     ("orvelle-test-" + std::to_string(seed() % 1000000));
    if (std::filesystem::create_directory(dir, ec)) path_ = Utf8Path(dir);
  }
}
TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(NativePath(path_), ec);
}
std::string TempDir::Write(const std::string& name, const std::string& content) const {
  const std::string p = File(name);
  std::ofstream(NativePath(p), std::ios::binary) << content;
  return p;
}

}  // namespace orvelle::test

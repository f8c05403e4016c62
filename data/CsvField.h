// One field of a comma-separated file, as the ROI file and the report's summary write them.
#pragma once

#include <string>

namespace orvelle {

// The text as it is, or quoted with its quotes doubled when it holds a comma, a double quote or a
// line break, so the columns never shift. The bytes are kept otherwise.
inline std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace orvelle

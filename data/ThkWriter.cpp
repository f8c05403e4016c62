#include "data/ThkWriter.h"

#include <algorithm>
#include <charconv>

#include "data/NameText.h"
#include "data/ThkFormat.h"

namespace orvelle {
namespace {

std::string NameField(const std::string& name) {
  std::string field = CutName(name, kMaxFieldLength);
  for (char& c : field) {
    if (c == ',' || c == '\n' || c == '\xFF') c = '_';
  }
  return field;
}

void AppendInt(std::string& out, int v) {
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

}  // namespace

std::string ThkFileText(const GridDataSet* sets, int count) {
  count = std::clamp(count, 0, kMaxDataSets - 1);
  std::string out;
  if (count == 0) return out;
  const GridDataSet& first = sets[0];
  AppendInt(out, first.size);
  out += ",\r\n";
  AppendInt(out, first.pitchX);
  out += ',';
  AppendInt(out, first.pitchY);
  out += ",\r\n";
  AppendInt(out, count);
  out += ',';
  int lastX = 0, lastY = 0;
  for (int i = 0; i < count; ++i) {
    out += NameField(sets[i].name) + ',';
    lastX = std::max(lastX, std::clamp(sets[i].maxX, 0, kGridDim - 1));
    lastY = std::max(lastY, std::clamp(sets[i].maxY, 0, kGridDim - 1));
  }
  out += "\r\n";
  char buf[64];
  for (int x = 0; x <= lastX; ++x) {
    for (int y = 0; y <= lastY; ++y) {
      bool any = false;
      for (int i = 0; i < count && !any; ++i) any = IsValid(sets[i].values[x][y]);
      if (!any) continue;
      AppendInt(out, x);
      out += ',';
      AppendInt(out, y);
      out += ',';
      for (int i = 0; i < count; ++i) {
        const double v = sets[i].values[x][y];
        if (IsValid(v)) {
          out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
        } else {
          out += "-99999";
        }
        out += ',';
      }
      out += "\r\n";
    }
  }
  return out;
}

}  // namespace orvelle

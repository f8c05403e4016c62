#include "data/SettingsFile.h"

#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "data/AtomicFile.h"
#include "data/InputFile.h"
#include "data/Message.h"
#include "data/Platform.h"

namespace orvelle {
namespace {

enum class Kind { Flag, Int, Color, Real2, Real3 };

// One line: the key as written, how the value is written and read, and where it lives.
struct Line {
  const char* key;
  Kind kind;
  void* (*ref)(ViewerParams&);
};

enum class Numbering { None, Index, IndexPlusOne, RoiIndex };

// Lines read as one piece: a failing line leaves every field of its group as it was.
struct Group {
  const char* message;
  Numbering numbering;
  std::vector<Line> lines;
};

#define ORVELLE_LINE(key, kind, member)                                 \
  Line {                                                                \
    key, Kind::kind, [](ViewerParams& p) -> void* { return &p.member; } \
  }

const std::vector<Group>& Groups() {
  static const std::vector<Group> groups = {
      {"Parameter read error.(Auto Fill)",
       Numbering::None,
       {ORVELLE_LINE("AutoFill", Flag, autoFill)}},
      {"Parameter read error.(Filter)",
       Numbering::None,
       {ORVELLE_LINE("Filter", Flag, filterEnable)}},
      {"Parameter read error.(Filter Size)",
       Numbering::None,
       {ORVELLE_LINE("FilterSize", Int, filterSize)}},
      {"Parameter read error.(Spline Enable)",
       Numbering::None,
       {ORVELLE_LINE("Spline_Enable", Flag, splineEnable)}},
      {"Parameter read error.(Spline Order)",
       Numbering::None,
       {ORVELLE_LINE("Spline_Order", Int, splineOrder)}},
      {"Parameter read error.(Colormap)",
       Numbering::None,
       {ORVELLE_LINE("Colormap", Flag, colormapMode)}},
      {"Parameter read error.(Color No.",
       Numbering::Index,
       {ORVELLE_LINE("Min_Color", Color, minColor), ORVELLE_LINE("Max_Color", Color, maxColor),
        ORVELLE_LINE("Back_Color", Color, backColor)}},
      {"Parameter read error.(ROI Setting No.",
       Numbering::RoiIndex,
       {ORVELLE_LINE("ROI1_Type", Int, roiType[0]), ORVELLE_LINE("ROI1_Size", Int, roiSize[0]),
        ORVELLE_LINE("ROI1_FDigit", Int, roiDigits[0]),
        ORVELLE_LINE("ROI1_Color", Color, roiColour[0]), ORVELLE_LINE("ROI2_Type", Int, roiType[1]),
        ORVELLE_LINE("ROI2_Size", Int, roiSize[1]), ORVELLE_LINE("ROI2_FDigit", Int, roiDigits[1]),
        ORVELLE_LINE("ROI2_Color", Color, roiColour[1])}},
      {"Parameter read error.(Grid No.",
       Numbering::Index,
       {ORVELLE_LINE("Grid_Show", Flag, gridShow), ORVELLE_LINE("Grid_Size", Int, gridSize),
        ORVELLE_LINE("Grid_XPitch", Int, gridPitchX), ORVELLE_LINE("Grid_YPitch", Int, gridPitchY),
        ORVELLE_LINE("Grid_XOffset", Int, gridOffsetX),
        ORVELLE_LINE("Grid_YOffset", Int, gridOffsetY),
        ORVELLE_LINE("Grid_InnerColor", Color, gridInnerColor),
        ORVELLE_LINE("Grid_OuterColor", Color, gridOuterColor)}},
      {"Parameter read error.(Tick Setting No.",
       Numbering::Index,
       {ORVELLE_LINE("Tick_Show", Flag, tickShow), ORVELLE_LINE("Tick_Length", Int, tickLength),
        ORVELLE_LINE("Tick_Width", Int, tickWidth), ORVELLE_LINE("Tick_XPitch", Int, tickPitchX),
        ORVELLE_LINE("Tick_YPitch", Int, tickPitchY),
        ORVELLE_LINE("Tick_Color", Color, tickColor)}},
      {"Parameter read error.(Range Area Type)",
       Numbering::None,
       {ORVELLE_LINE("RangeArea_Type", Int, rangeAreaType)}},
      {"Parameter read error.(Range Area V",
       Numbering::IndexPlusOne,
       {ORVELLE_LINE("RangeArea_V1", Real2, rangeAreaV1),
        ORVELLE_LINE("RangeArea_V2", Real2, rangeAreaV2)}},
      {"Parameter read error.(Range_Filter)",
       Numbering::None,
       {ORVELLE_LINE("Range_Filter", Flag, rangeFilter)}},
      {"Parameter read error.(Normalize Enable No.1)",
       Numbering::None,
       {ORVELLE_LINE("NormalizeEnbl_1", Flag, normEnable)}},
      {"Parameter read error.(Normalize Divisor No.1)",
       Numbering::None,
       {ORVELLE_LINE("NormalizeVal_1", Real3, normValue)}},
      {"Parameter read error.(ContourMode)",
       Numbering::None,
       {ORVELLE_LINE("ContourMode", Flag, drawContourOnMap)}},
      {"Parameter read error.(Border Count)",
       Numbering::None,
       {ORVELLE_LINE("BorderCount", Int, contourLevels)}},
      {"Parameter read error.(Copy Colormap Flag)",
       Numbering::None,
       {ORVELLE_LINE("CopyColormap", Flag, copyColormap)}},
      {"Parameter read error.(X/Y Line Color No.",
       Numbering::Index,
       {ORVELLE_LINE("LG_X_Color", Color, lgXColor[0]),
        ORVELLE_LINE("LG_Y_Color", Color, lgYColor[0])}},
      {"Parameter read error.(LG Color(Back/Axis/Sub/Label) No.",
       Numbering::Index,
       {ORVELLE_LINE("LG_Back", Color, lgBackColor), ORVELLE_LINE("LG_Axis", Color, lgAxisColor),
        ORVELLE_LINE("LG_Sub", Color, lgSubColor), ORVELLE_LINE("LG_Label", Color, lgLabelColor)}},
      {"Parameter read error.(Bold/DrawLegend Flag No.",
       Numbering::Index,
       {ORVELLE_LINE("LG_BoldLine", Flag, lgBoldLine),
        ORVELLE_LINE("LG_DrawLegend", Flag, lgDrawLegend)}},
      {"Parameter read error.(3D Draw Type)",
       Numbering::None,
       {ORVELLE_LINE("3D_DrawType", Int, d3DrawType)}},
      {"Parameter read error.(3D Draw Pitch)",
       Numbering::None,
       {ORVELLE_LINE("3D_DrawPitch", Int, d3DrawPitch)}},
      {"Parameter read error.(3D Label Size)",
       Numbering::None,
       {ORVELLE_LINE("3D_LabelSize", Int, d3LabelSize)}},
      {"Parameter read error.(3D Draw Frame Flag)",
       Numbering::None,
       {ORVELLE_LINE("3D_DrawFrame", Flag, d3DrawFrame)}},
      {"Parameter read error.(3D Draw Label Flag)",
       Numbering::None,
       {ORVELLE_LINE("3D_DrawLabel", Flag, d3DrawLabel)}},
      {"Parameter read error.(3D Draw Sub Flag)",
       Numbering::None,
       {ORVELLE_LINE("3D_DrawSub", Flag, d3DrawSub)}},
      {"Parameter read error.(3D Draw Side Flag)",
       Numbering::None,
       {ORVELLE_LINE("3D_DrawSide", Flag, d3DrawSide)}},
      {"Parameter read error.(3D Color(Back/Axis/Frame/Label) No.",
       Numbering::Index,
       {ORVELLE_LINE("3D_Back_Color", Color, d3BackColor),
        ORVELLE_LINE("3D_Axis_Color", Color, d3AxisColor),
        ORVELLE_LINE("3D_Frame_Color", Color, d3FrameColor),
        ORVELLE_LINE("3D_Label_Color", Color, d3LabelColor),
        ORVELLE_LINE("3D_Sub_Color", Color, d3SubColor),
        ORVELLE_LINE("3D_Side_Color", Color, d3SideColor)}},
  };
  return groups;
}

#undef ORVELLE_LINE

std::string ReadErrorMessage(const Group& group, int index) {
  switch (group.numbering) {
    case Numbering::None:
      return group.message;
    case Numbering::Index:
      return group.message + std::to_string(index) + ")";
    case Numbering::IndexPlusOne:
      return group.message + std::to_string(index + 1) + ")";
    case Numbering::RoiIndex:
      return group.message + std::to_string(index / 4) + "-" + std::to_string(index % 4) + ")";
  }
  return group.message;
}

std::string FixedText(double value, int decimals) {
  char buffer[400];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::string(buffer, r.ec == std::errc() ? r.ptr : buffer);
}

std::string ValueText(const Line& line, ViewerParams& p) {
  void* at = line.ref(p);
  switch (line.kind) {
    case Kind::Flag:
      return std::to_string(*static_cast<uint8_t*>(at));
    case Kind::Int:
      return std::to_string(*static_cast<int32_t*>(at));
    case Kind::Color:
      // The colour word as a signed decimal, as "%d" prints it.
      return std::to_string(static_cast<int32_t>(*static_cast<ColorRef*>(at)));
    case Kind::Real2:
      return FixedText(*static_cast<double*>(at), 2);
    case Kind::Real3:
      return FixedText(*static_cast<float*>(at), 3);
  }
  return {};
}

// Whitespace-delimited reading in the manner of fscanf's "%s %d" and "%s %f", on any locale.
class Scanner {
 public:
  explicit Scanner(std::FILE* f) : f_(f) {}

  bool ReadWord() {
    SkipSpace();
    int length = 0;
    int c;
    while ((c = std::getc(f_)) != EOF && !IsSpace(c)) ++length;
    if (c != EOF) std::ungetc(c, f_);
    return length > 0 && length <= kSettingsMaxKeyLength;
  }

  bool ReadInt(int32_t& out) {
    SkipSpace();
    std::string text;
    int c = std::getc(f_);
    if (c == '+' || c == '-') {
      text.push_back(static_cast<char>(c));
      c = std::getc(f_);
    }
    while (c != EOF && std::isdigit(c) && text.size() < 32) {
      text.push_back(static_cast<char>(c));
      c = std::getc(f_);
    }
    if (c != EOF) std::ungetc(c, f_);
    const char* begin = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
    const char* end = text.data() + text.size();
    auto r = std::from_chars(begin, end, out);
    return r.ec == std::errc() && r.ptr == end;
  }

  // A decimal real in single precision; a value that is not finite counts as a failed read.
  bool ReadFloat(float& out) {
    SkipSpace();
    std::string text;
    int c = std::getc(f_);
    auto take = [&] {
      text.push_back(static_cast<char>(c));
      c = std::getc(f_);
    };
    if (c == '+' || c == '-') take();
    while (c != EOF && std::isdigit(c) && text.size() < 400) take();
    if (c == '.') take();
    while (c != EOF && std::isdigit(c) && text.size() < 400) take();
    if (c == 'e' || c == 'E') {
      take();
      if (c == '+' || c == '-') take();
      while (c != EOF && std::isdigit(c) && text.size() < 400) take();
    }
    if (c != EOF) std::ungetc(c, f_);
    const char* begin = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
    const char* end = text.data() + text.size();
    auto r = std::from_chars(begin, end, out, std::chars_format::general);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(out);
  }

 private:
  static bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
  }
  void SkipSpace() {
    int c;
    while ((c = std::getc(f_)) != EOF && IsSpace(c)) {
    }
    if (c != EOF) std::ungetc(c, f_);
  }

  std::FILE* f_;
};

struct ReadValue {
  int32_t integer = 0;
  float real = 0.0f;
};

bool ReadLine(Scanner& in, const Line& line, ReadValue& value) {
  if (!in.ReadWord()) return false;
  if (line.kind == Kind::Real2 || line.kind == Kind::Real3) return in.ReadFloat(value.real);
  return in.ReadInt(value.integer);
}

void Assign(const Line& line, const ReadValue& value, ViewerParams& p) {
  void* at = line.ref(p);
  switch (line.kind) {
    case Kind::Flag:
      *static_cast<uint8_t*>(at) = value.integer == 1 ? 1 : 0;
      break;
    case Kind::Int:
      *static_cast<int32_t*>(at) = value.integer;
      break;
    case Kind::Color:
      *static_cast<ColorRef*>(at) = static_cast<ColorRef>(value.integer);
      break;
    case Kind::Real2:
      *static_cast<double*>(at) = static_cast<double>(value.real);
      break;
    case Kind::Real3:
      *static_cast<float*>(at) = value.real;
      break;
  }
}

}  // namespace

std::string FormatSettings(const ViewerParams& params) {
  ViewerParams copy = params;
  std::string text;
  for (const Group& group : Groups()) {
    for (const Line& line : group.lines) {
      text += line.key;
      text += ": ";
      text += ValueText(line, copy);
      text += '\n';
    }
  }
  return text;
}

int SaveParameter(const std::string& path, const ViewerParams& params) {
  if (!WriteFileAtomically(path, NativeLineEnds(FormatSettings(params)))) {
    ShowMessage("<SaveParameter> File open error.");
    return -1;
  }
  return 1;
}

int LoadParameter(const std::string& path, ViewerParams& params) {
  const int fd = OpenInputFile(path);
  std::FILE* f = fd < 0 ? nullptr : ::fdopen(fd, "rb");
  if (f == nullptr) {
    if (fd >= 0) ::close(fd);
    ShowMessage("<LoadParameter> File open error.");
    return -1;
  }
  Scanner in(f);
  for (const Group& group : Groups()) {
    std::vector<ReadValue> values(group.lines.size());
    for (size_t i = 0; i < group.lines.size(); ++i) {
      if (!ReadLine(in, group.lines[i], values[i])) {
        std::fclose(f);
        ShowMessage(ReadErrorMessage(group, static_cast<int>(i)));
        return -1;
      }
    }
    for (size_t i = 0; i < group.lines.size(); ++i) Assign(group.lines[i], values[i], params);
  }
  std::fclose(f);
  return 1;
}

}  // namespace orvelle

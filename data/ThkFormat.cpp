#include "data/ThkFormat.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "data/InputFile.h"
#include "data/Message.h"
#include "data/NameText.h"
#include "data/NumberText.h"

namespace orvelle {
namespace {

constexpr float kFloatMax = 3.402823466e38f;

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsValueChar(unsigned char c) {
  return IsDigit(c) || c == '.' || c == '+' || c == '-' || c == 'E' || c == 'e';
}

struct DelimiterTable {
  bool table[256] = {};
  constexpr DelimiterTable(std::initializer_list<unsigned char> delimiters) {
    for (unsigned char c : delimiters) table[c] = true;
  }
};
constexpr DelimiterTable kFileDelimiters{',', '\n', '\r', 0xFF};

std::string DefaultName(int oneBasedSlot) { return "Data" + std::to_string(oneBasedSlot); }

std::string FieldTooLong(int line) {
  return "Data field too long.(max " + std::to_string(kMaxFieldLength) +
         " characters) Line: " + std::to_string(line);
}

std::string NotANumber(std::string_view field, int line) {
  return "Incorrect data. -> '" + NameText(field) + "' Line: " + std::to_string(line);
}

// Reads a coordinate as the format does (double, narrowed to float); false when it is not finite.
bool CoordinateValue(std::string_view field, float& out, bool& outOfFloatRange) {
  const double d = LeadingDouble(field);
  if (!std::isfinite(d)) return false;
  outOfFloatRange = std::fabs(d) > kFloatMax;
  out = outOfFloatRange ? (d < 0 ? -kFloatMax : kFloatMax) : static_cast<float>(d);
  return true;
}

void Finalise(GridDataSet* sets, int count, int size, int pitchX, int pitchY, int maxX, int maxY) {
  for (int i = 0; i < count; ++i) {
    GridDataSet& s = sets[i];
    s.active = 1;
    s.size = size;
    if (s.name.empty()) s.name = DefaultName(i + 1);
    s.pitchX = pitchX;
    s.pitchY = pitchY;
    s.maxX = maxX;
    s.maxY = maxY;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// File syntax

ThkFileParser::ThkFileParser(GridDataSet* sets) : sets_(sets) {}

bool ThkFileParser::Fail(const std::string& message) {
  ShowMessage(message);
  state_ = State::Failed;
  return false;
}

void ThkFileParser::Append(const char* from, const char* to) {
  const size_t n = static_cast<size_t>(to - from);
  if (carryLength_ < sizeof carry_) {
    std::memcpy(carry_ + carryLength_, from, std::min(n, sizeof carry_ - carryLength_));
  }
  carryLength_ += n;
}

bool ThkFileParser::Feed(const char* data, size_t length) {
  if (state_ != State::Reading) return false;
  const char* p = data;
  const char* end = data + length;
  if (pendingCr_ && p < end) {
    pendingCr_ = false;
    if (*p == '\n') {
      ++p;
      if (!EndLine()) return false;
    } else {
      static const char cr = '\r';
      Append(&cr, &cr + 1);  // a lone CR is an ordinary character
    }
  }
  while (p < end) {
    const char* q = p;
    while (q < end && !kFileDelimiters.table[static_cast<unsigned char>(*q)]) ++q;
    if (q == end) {
      Append(p, q);
      break;
    }
    switch (*q) {
      case ',': {
        std::string_view field;
        if (carryLength_ == 0) {
          field = std::string_view(p, static_cast<size_t>(q - p));
        } else {
          Append(p, q);
          field = std::string_view(carry_, carryLength_);
        }
        if (!ProcessField(field)) return false;
        carryLength_ = 0;
        ++field_;
        lineHasComma_ = true;
        p = q + 1;
        break;
      }
      case '\n':
        if (!EndLine()) return false;
        p = q + 1;
        break;
      case '\r':
        if (q + 1 == end) {
          Append(p, q);
          pendingCr_ = true;
          p = end;
        } else if (q[1] == '\n') {
          if (!EndLine()) return false;
          p = q + 2;
        } else {
          Append(p, q + 1);
          p = q + 1;
        }
        break;
      default:  // byte 0xFF: the end of the file
        state_ = State::Ended;
        return false;
    }
  }
  return true;
}

bool ThkFileParser::EndLine() {
  carryLength_ = 0;  // text after the last comma is discarded
  if (lineHasComma_) {
    if (line_ == 1 && !pitchYRead_) {
      // A pitch line without its Y pitch: refuse it before any coordinate meets the missing pitch.
      return Fail("X/Y Pitch data error. X:" + std::to_string(pitchX_) +
                  " Y:" + std::to_string(pitchY_));
    }
    ++line_;
  }
  field_ = 1;
  lineHasComma_ = false;
  return true;
}

bool ThkFileParser::ReadCoordinate(std::string_view field, char axis, int pitch, int& coord,
                                   int& maxCoord) {
  // Coordinates hold digits only: short ones convert straight to the integer that the float
  // narrowing and truncation would give.
  int value = 0;
  bool small = field.size() <= 7;
  for (size_t i = 0; small && i < field.size(); ++i) value = value * 10 + (field[i] - '0');
  float v = static_cast<float>(value);
  bool huge = false;
  if (!small && !CoordinateValue(field, v, huge)) return Fail(NotANumber(field, line_));
  if (huge || v > kMaxThkSize) {
    const std::string a(1, axis);
    return Fail("Incorrect " + a + " data.(" + a + "<0 or " + a + ">" + FormatTruncated(v) +
                ") Line: " + std::to_string(line_));
  }
  coord = static_cast<int>(v);
  if (coord % pitch != 0) {
    const std::string a(1, axis);
    return Fail(a + " coord is not multiple of " + a + "-Pitch. -> " + std::to_string(coord) + " " +
                a + "-Pitch= " + std::to_string(pitch));
  }
  maxCoord = std::max(maxCoord, coord);
  return true;
}

bool ThkFileParser::CheckCharacters(std::string_view field, bool valueField) {
  for (unsigned char c : field) {
    if (valueField ? IsValueChar(c) : IsDigit(c)) continue;
    char hex[8];
    std::snprintf(hex, sizeof hex, "(%02X)", static_cast<unsigned>(c));
    return Fail("Incorrect data. -> '" + ByteText(c) + hex + "' Line: " + std::to_string(line_));
  }
  return true;
}

bool ThkFileParser::ProcessField(std::string_view field) {
  if (field.size() > static_cast<size_t>(kMaxFieldLength)) return Fail(FieldTooLong(line_));

  if (line_ >= 3 && field_ >= 3) {
    // A value field: the exact decimal path accepts only allowed characters, so the character
    // check is needed only when it declines.
    double v;
    if (!WholeDecimal(field, v)) {
      if (!CheckCharacters(field, true)) return false;
      v = LeadingDouble(field);
      if (!std::isfinite(v)) return Fail(NotANumber(field, line_));
    }
    if (field_ <= kMaxDataSets + 2) {  // values beyond the tenth are ignored
      sets_[field_ - 3].values[x_][y_] = v;
      ++valueCount_;
    }
    return true;
  }
  if (!(line_ == 2 && field_ >= 2) && !CheckCharacters(field, false)) return false;

  switch (line_) {
    case 0:
      if (field_ == 1) {
        size_ = LeadingInt(field);
        if (size_ <= 0 || size_ > kMaxThkSize) {
          return Fail("Size data error.(<=0 or >" + std::to_string(kMaxThkSize) + ") -> " +
                      std::to_string(size_));
        }
      }
      return true;
    case 1:
      if (field_ == 1) {
        pitchX_ = LeadingInt(field);
      } else if (field_ == 2) {
        pitchY_ = LeadingInt(field);
        pitchYRead_ = true;
        sets_[0].pitchX = pitchX_;
        sets_[0].pitchY = pitchY_;
        if (pitchX_ <= 0 || pitchY_ <= 0 || pitchX_ > size_ || pitchY_ > size_) {
          return Fail("X/Y Pitch data error. X:" + std::to_string(pitchX_) +
                      " Y:" + std::to_string(pitchY_));
        }
      }
      return true;
    case 2:
      if (field_ == 1) {
        typeCount_ = LeadingInt(field);
        if (typeCount_ < 1 || typeCount_ > kMaxDataSets - 1) {
          return Fail("<LoadThkData> Data name count error. count= " + std::to_string(typeCount_));
        }
      } else if (field_ <= kMaxDataSets + 1) {
        sets_[field_ - 2].name = field.empty() ? DefaultName(field_ - 1) : std::string(field);
      } else {
        return Fail("<LoadThkData> Data name count over. (Line=3)");
      }
      return true;
    default:
      if (field_ == 1) return ReadCoordinate(field, 'X', pitchX_, x_, maxX_);
      return ReadCoordinate(field, 'Y', pitchY_, y_, maxY_);
  }
}

int ThkFileParser::Finish() {
  if (state_ == State::Failed) return -1;
  if (valueCount_ == 0) {
    ShowMessage("Data count is zero.");
    return -1;
  }
  Finalise(sets_, typeCount_, size_, pitchX_, pitchY_, maxX_, maxY_);
  const int count = static_cast<int>(std::min<long long>(valueCount_, INT32_MAX));
  for (int i = 0; i < typeCount_; ++i) sets_[i].pointCount = count;
  return typeCount_;
}

int ParseThkFileText(std::string_view bytes, GridDataSet* sets) {
  ThkFileParser parser(sets);
  parser.Feed(bytes.data(), bytes.size());
  return parser.Finish();
}

int LoadThkFile(const std::string& path, GridDataSet* sets) {
  const int fd = OpenInputFile(path);
  if (fd < 0) {
    ShowMessage("File open error. -> " + path);
    return -1;
  }
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  const long long expected = regular ? static_cast<long long>(st.st_size) : 0;
  constexpr size_t kChunk = size_t{1} << 20;
  std::unique_ptr<char[]> buffer(new char[kChunk]);
  ThkFileParser parser(sets);
  long long total = 0;
  bool readFailed = false;
  bool parserStopped = false;
  for (;;) {
    const ssize_t n = ::read(fd, buffer.get(), kChunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) readFailed = true;
    if (n <= 0) break;
    total += n;
    if (!parser.Feed(buffer.get(), static_cast<size_t>(n))) {
      parserStopped = true;
      break;
    }
  }
  // A file cut short while it was read (another program truncating or rewriting it) would
  // otherwise load as a smaller, valid-looking measurement.
  if (!parserStopped && regular && !readFailed) {
    struct stat now {};
    readFailed = total < expected || ::fstat(fd, &now) != 0 || now.st_size < expected;
  }
  ::close(fd);
  if (readFailed && !parserStopped) {
    ShowMessage("File read error. -> " + path);
    return -1;
  }
  return parser.Finish();
}

// ---------------------------------------------------------------------------------------------
// Clipboard syntax

namespace {

class ClipboardParser {
 public:
  explicit ClipboardParser(GridDataSet* sets) : sets_(sets) {}

  int Run(std::string_view text) {
    size_t start = 0;
    bool lastWasCr = false;
    size_t i = 0;
    for (; i < text.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (c == 0xFF) break;
      if (c == '\t') {
        if (!Field(text.substr(start, i - start))) return -1;
        ++field_;
        start = i + 1;
      } else if (c == '\r' || (c == '\n' && !lastWasCr)) {
        // A LF that follows no CR ends a line too, so LF-only text reads like CR LF text.
        if (!EndLine(text.substr(start, i - start))) return -1;
        start = i + 1;
      } else if (c == '\n') {
        start = i + 1;
      }
      lastWasCr = c == '\r';
    }
    // The last data line may end with the text instead of a CR: its last value still counts.
    const std::string_view rest = text.substr(start, i - start);
    if (line_ >= kFirstDataLine && (field_ > 1 || !rest.empty())) {
      if (!EndLine(rest)) return -1;
    }
    if (line_ < kFirstDataLine) {
      ShowMessage("Data error.( Too few data count. )");
      return -1;
    }
    Finalise(sets_, typeCount_, size_, pitchX_, pitchY_, maxX_, maxY_);
    return typeCount_;
  }

 private:
  static constexpr int kKeywordLine = 1, kSizeLine = 2, kPitchLine = 3, kNamesLine = 4,
                       kFirstDataLine = 5;

  bool Fail(const std::string& message) {
    ShowMessage(message);
    return false;
  }
  std::string LineText() const { return std::to_string(line_); }

  bool Field(std::string_view f) {
    if (f.size() > static_cast<size_t>(kMaxFieldLength)) return Fail(FieldTooLong(line_));
    switch (line_) {
      case kKeywordLine:
        if (field_ == 1 && f != "THK_DATA") {
          return Fail("Header data error. -> " + NameText(f) + "(Must be 'THK_DATA')");
        }
        return true;
      case kSizeLine:
        if (field_ == 1) {
          size_ = LeadingInt(f);
          sizeRead_ = true;
          if (size_ < 1 || size_ > kMaxThkSize) return SizeError(f);
        }
        return true;
      case kPitchLine:
        if (field_ == 1 || field_ == 2) {
          int& pitch = field_ == 1 ? pitchX_ : pitchY_;
          pitch = LeadingInt(f);
          ++pitchesRead_;
          if (pitch < 1) return Fail("X/Y Pitch data error. -> " + NameText(f));
        }
        return true;
      case kNamesLine:
        if (field_ == 1) {
          typeCount_ = LeadingInt(f);
          if (typeCount_ <= 0 || typeCount_ >= kMaxDataSets) return TypeCountError();
        } else {
          Name(f);
        }
        return true;
      default:
        return DataField(f);
    }
  }

  bool SizeError(std::string_view f) {
    return Fail("Size data error.(with in 1<->" + std::to_string(kMaxThkSize) + ") -> " +
                NameText(f));
  }
  bool TypeCountError() {
    return Fail("Incorrect data type count.(N<=0 or N>=" + std::to_string(kMaxDataSets) +
                ") Line: " + LineText());
  }

  void Name(std::string_view f) {
    if (field_ <= kMaxDataSets + 1) {
      sets_[field_ - 2].name = f.empty() ? DefaultName(field_ - 1) : std::string(f);
    }
  }

  bool Coordinate(std::string_view f, char axis, int pitch, int& coord, int& maxCoord) {
    float v;
    bool huge;
    if (!CoordinateValue(f, v, huge)) return Fail(NotANumber(f, line_));
    const std::string a(1, axis);
    if (huge || v < 0 || v > static_cast<float>(size_)) {
      return Fail("Incorrect " + a + " data.(" + a + "<0 or " + a + ">" + std::to_string(size_) +
                  ") Line: " + LineText());
    }
    coord = static_cast<int>(v);
    if (coord % pitch != 0) {
      return Fail(a + " coord is not multiple of " + a + "-Pitch. -> " + a + ": " +
                  std::to_string(coord) + " " + a + "-Pitch= " + std::to_string(pitch));
    }
    maxCoord = std::max(maxCoord, coord);
    return true;
  }

  bool DataField(std::string_view f) {
    if (field_ == 1) return Coordinate(f, 'X', pitchX_, x_, maxX_);
    if (field_ == 2) return Coordinate(f, 'Y', pitchY_, y_, maxY_);
    if (field_ <= kMaxDataSets + 2) {
      const double v = LeadingDouble(f);
      if (!std::isfinite(v)) return Fail(NotANumber(f, line_));
      GridDataSet& s = sets_[field_ - 3];
      s.values[x_][y_] = v;
      ++s.pointCount;
    }
    return true;
  }

  // A CR (or the end of the text) ends the line; `pending` is the field it interrupted.
  bool EndLine(std::string_view pending) {
    bool ok = true;
    switch (line_) {
      case kSizeLine:
        if (!sizeRead_) ok = SizeError(pending);
        break;
      case kPitchLine:
        if (pitchesRead_ < 2) ok = Fail("X/Y Pitch data error. -> " + NameText(pending));
        break;
      case kNamesLine:
        if (field_ == 1) {
          ok = TypeCountError();
        } else if (!pending.empty()) {
          ok = Field(pending);
        }
        break;
      default:
        if (line_ >= kFirstDataLine) {
          if (field_ <= 2 || field_ > kMaxDataSets + 2) {
            ShowMessage("Data count error. Line: " + LineText());  // the parse goes on
          } else if (!pending.empty()) {
            ok = Field(pending);
          }
        }
        break;
    }
    ++line_;
    field_ = 1;
    return ok;
  }

  GridDataSet* sets_;
  int line_ = 1;
  int field_ = 1;
  int size_ = 0;
  bool sizeRead_ = false;
  int pitchX_ = 0;
  int pitchY_ = 0;
  int pitchesRead_ = 0;
  int typeCount_ = 0;
  int x_ = 0;
  int y_ = 0;
  int maxX_ = 0;
  int maxY_ = 0;
};

}  // namespace

int ParseThkText(std::string_view text, GridDataSet* sets) {
  ResetDataSets(sets, kMaxDataSets);
  return ParseThkTextIntoResetSets(text, sets);
}

int ParseThkTextIntoResetSets(std::string_view text, GridDataSet* sets) {
  return ClipboardParser(sets).Run(text);
}

}  // namespace orvelle

#include "data/ThkFormat.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "data/InputFile.h"
#include "data/Message.h"
#include "data/NameText.h"
#include "data/NumberText.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The first of ',', LF, CR or the end byte in [p, end), or end.
const char* FindFileDelimiter(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i endByte = _mm_set1_epi8(static_cast<char>(0xFF));
  for (; end - p >= 16; p += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hit =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(b, comma), _mm_cmpeq_epi8(b, lf)),
                     _mm_or_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(b, endByte)));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (mask != 0) return p + std::countr_zero(mask);
  }
#endif
  while (p < end && !kFileDelimiters.table[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

// A window of the plain-line reader: bit i of its masks stands for byte i of 64 bytes.
constexpr int kWindow = 64;
// A window is read only when this many bytes follow its start, so that a field ending inside it
// can be loaded 16 bytes at a time and read up to 8 bytes past its comma.
constexpr std::ptrdiff_t kPlainLookAhead = kWindow + 16;

#if !defined(__SSE2__)
// Eight bytes at a time without vector instructions: a flag is the high bit of its byte.
// The first byte in memory is the low byte.
uint64_t LoadWord(const char* p) {
  uint64_t w = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&w, p, 8);
  } else {
    for (int i = 0; i < 8; ++i) w |= uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
  }
  return w;
}
constexpr uint64_t kLowSeven = 0x7F7F7F7F7F7F7F7Fu;
constexpr uint64_t kHighBits = 0x8080808080808080u;
uint64_t ByteEquals(uint64_t w, unsigned char c) {
  const uint64_t x = w ^ (0x0101010101010101u * c);
  return ~(((x & kLowSeven) + kLowSeven) | x) & kHighBits;
}
uint64_t ByteIsDigit(uint64_t w) {
  const uint64_t low = w & kLowSeven;
  const uint64_t atLeast0 = low + 0x0101010101010101u * (0x80 - '0');
  const uint64_t atLeastColon = low + 0x0101010101010101u * (0x80 - '9' - 1);
  return atLeast0 & ~atLeastColon & ~w & kHighBits;
}
// Bit i set for a flag in byte i.
uint64_t ByteFlagBits(uint64_t flags) { return ((flags >> 7) * 0x0102040810204080u) >> 56; }
#endif

// Bit i set when p[i] is ',' or LF, for i < 64. Reads those 64 bytes. A CR or an end byte needs
// no bit of its own: it makes the field it is in no plain field, and the general reading takes
// that field.
uint64_t CommaAndLfMask(const char* p) {
  uint64_t mask = 0;
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i lf = _mm_set1_epi8('\n');
  for (int i = 0; i < kWindow; i += 16) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(b, comma), _mm_cmpeq_epi8(b, lf));
    mask |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(hit))} << i;
  }
#else
  for (int i = 0; i < kWindow; i += 8) {
    const uint64_t w = LoadWord(p + i);
    mask |= ByteFlagBits(ByteEquals(w, ',') | ByteEquals(w, '\n')) << i;
  }
#endif
  return mask;
}

// Bit i set when p[i] is a digit, and separately when it is a '.', for i < 16. Reads 16 bytes.
struct CharMasks {
  uint32_t digits;
  uint32_t dots;
};
CharMasks DigitsAndDots(const char* p) {
#if defined(__SSE2__)
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // Moving '0'..'9' to the lowest ten signed byte values leaves one signed comparison.
  const __m128i t = _mm_add_epi8(b, _mm_set1_epi8(static_cast<char>(0x80 - '0')));
  const __m128i digit = _mm_cmplt_epi8(t, _mm_set1_epi8(static_cast<char>(0x80 + 10)));
  const __m128i dot = _mm_cmpeq_epi8(b, _mm_set1_epi8('.'));
  return {static_cast<uint32_t>(_mm_movemask_epi8(digit)),
          static_cast<uint32_t>(_mm_movemask_epi8(dot))};
#else
  CharMasks m{0, 0};
  for (int i = 0; i < 16; i += 8) {
    const uint64_t w = LoadWord(p + i);
    m.digits |= static_cast<uint32_t>(ByteFlagBits(ByteIsDigit(w)) << i);
    m.dots |= static_cast<uint32_t>(ByteFlagBits(ByteEquals(w, '.')) << i);
  }
  return m;
#endif
}

// The eight-digit number a word of digit values (0 to 9 a byte) holds, the first byte in memory
// the most significant digit.
uint64_t DigitWordValue(uint64_t w) {
  w = w * 10 + (w >> 8);  // bytes 0, 2, 4 and 6 now hold two-digit numbers
  return ((w & 0x000000FF000000FFu) * (100 + (uint64_t{1000000} << 32)) +
          ((w >> 16) & 0x000000FF000000FFu) * (1 + (uint64_t{10000} << 32))) >>
         32;
}

// The value of the n (0..8) decimal digits at p. Reads 8 bytes from p.
uint32_t EightDigits(const char* p, int n) {
  if constexpr (std::endian::native == std::endian::little) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    // The first digit sits in the low byte. Bytes past the digits may borrow, but only from the
    // bytes above them, which the shift drops; the zeros shifted in read as leading zeros. Two
    // shifts, so that n = 0 clears the word without a shift by 64.
    const int shift = 4 * (8 - n);
    return static_cast<uint32_t>(DigitWordValue(((w - 0x3030303030303030u) << shift) << shift));
  } else {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v * 10 + static_cast<uint32_t>(p[i] - '0');
    return v;
  }
}

// The number a * 10^8 + b, where a and b are the eight-digit numbers held by two words whose
// bytes are digits or zero bytes (which read as the digit 0), the first byte in memory the most
// significant digit. Exact: a is below 10^7.
double ScaledEightDigitPair(uint64_t a, uint64_t b) {
#if defined(__SSE2__)
  const __m128i digits = _mm_and_si128(
      _mm_set_epi64x(static_cast<long long>(b), static_cast<long long>(a)), _mm_set1_epi8(0x0F));
  // Pairs of digits, then groups of four, then of eight: a's in lane 0, b's in lane 1.
  const __m128i pairs = _mm_add_epi16(
      _mm_mullo_epi16(_mm_and_si128(digits, _mm_set1_epi16(0xFF)), _mm_set1_epi16(10)),
      _mm_srli_epi16(digits, 8));
  const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(1 << 16 | 100));
  const __m128i eights =
      _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_set1_epi32(1 << 16 | 10000));
  const __m128d both = _mm_cvtepi32_pd(eights);
  // Both products and the sum are integers below 2^53, so exact.
  return _mm_cvtsd_f64(_mm_add_sd(_mm_mul_sd(both, _mm_set_sd(1e8)), _mm_unpackhi_pd(both, both)));
#else
  const auto eight = [](uint64_t w) {
    return static_cast<int64_t>(DigitWordValue(w & 0x0F0F0F0F0F0F0F0Fu));
  };
  return static_cast<double>(eight(a) * 100000000 + eight(b));
#endif
}

// Masks keeping the n high-order or the n low-order bytes of a word, for n = 0..8.
constexpr std::array<uint64_t, 9> ByteMasks(bool high) {
  std::array<uint64_t, 9> masks{};
  for (int n = 1; n <= 8; ++n) {
    const uint64_t low = n == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * n)) - 1;
    masks[n] = high ? ~uint64_t{0} << (8 * (8 - n)) : low;
  }
  return masks;
}
constexpr std::array<uint64_t, 9> kHighBytes = ByteMasks(true);
constexpr std::array<uint64_t, 9> kLowBytes = ByteMasks(false);

// The value of the n (0..15) decimal digits at p. Reads the larger of 8 and n bytes from p.
uint64_t DecimalDigits(const char* p, int n) {
  if (n <= 8) return EightDigits(p, n);
  return uint64_t{EightDigits(p, n - 8)} * 100000000u + EightDigits(p + n - 8, 8);
}

constexpr uint64_t kPow10Int[] = {1,
                                  10,
                                  100,
                                  1000,
                                  10000,
                                  100000,
                                  1000000,
                                  10000000,
                                  100000000,
                                  1000000000,
                                  10000000000,
                                  100000000000,
                                  1000000000000,
                                  10000000000000,
                                  100000000000000,
                                  1000000000000000};
// Powers of ten, the second row negated: dividing by -10^n gives exactly the negated quotient.
constexpr double kSignedPow10[2][16] = {
    {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15},
    {-1e0, -1e1, -1e2, -1e3, -1e4, -1e5, -1e6, -1e7, -1e8, -1e9, -1e10, -1e11, -1e12, -1e13, -1e14,
     -1e15}};

// A value field of the common shape, [sign] digits [. digits] with 1 to 15 digits in at most 16
// characters: true with its value, converted as WholeDecimal converts it (a mantissa below 2^53
// divided once by an exact power of ten). Other fields are left to the general reading. Reads
// from p - 8 to p + length + 8.
inline bool PlainValue(const char* p, int length, double& out) {
  if (static_cast<unsigned>(length - 1) > 15) return false;  // 1 to 16 characters
  const uint32_t all = (1u << length) - 1;
  const uint32_t sign = (static_cast<unsigned char>(p[0] - '+') & ~2u) == 0 ? 1 : 0;  // '+' or '-'
  const CharMasks m = DigitsAndDots(p);
  const uint32_t dots = m.dots & all;
  if (((~(m.digits | dots | sign) & all) | (dots & (dots - 1))) != 0) return false;
  const int dotAt = dots != 0 ? std::countr_zero(dots) : length;
  const int integerDigits = dotAt - static_cast<int>(sign);
  const int fractionDigits = length - dotAt - (dots != 0 ? 1 : 0);
  const int digits = integerDigits + fractionDigits;
  if (static_cast<unsigned>(digits - 1) > 14) return false;  // 1 to 15 digits
  const bool negative = p[0] == '-';
  if (std::endian::native == std::endian::little && integerDigits <= 7 && fractionDigits <= 8) {
    // The integer digits right-aligned in one word and the fraction digits left-aligned in the
    // next make the value times 10^8: below 10^15, so exact, and one division rounds it as
    // dividing the mantissa by 10^fractionDigits would.
    uint64_t integerWord;
    uint64_t fractionWord;
    std::memcpy(&integerWord, p + dotAt - 8, 8);
    std::memcpy(&fractionWord, p + dotAt + 1, 8);
    out = ScaledEightDigitPair(integerWord & kHighBytes[integerDigits],
                               fractionWord & kLowBytes[fractionDigits]) /
          kSignedPow10[negative][8];
    return true;
  }
  const uint64_t integer = DecimalDigits(p + sign, integerDigits);
  const uint64_t fraction = DecimalDigits(p + dotAt + 1, fractionDigits);
  // The mantissa is below 10^15, so the signed conversion is exact and needs no unsigned fix-up.
  const auto mantissa = static_cast<int64_t>(integer * kPow10Int[fractionDigits] + fraction);
  out = static_cast<double>(mantissa) / kSignedPow10[negative][fractionDigits];
  return true;
}

// A coordinate of at most seven digits (none reads as 0): true with its value. Longer or other
// fields are left to the general reading. Reads 16 bytes from p.
inline bool PlainCoordinate(const char* p, int length, int& out) {
  if (length > 7) return false;
  const uint32_t all = (1u << length) - 1;
  if ((DigitsAndDots(p).digits & all) != all) return false;
  out = static_cast<int>(EightDigits(p, length));
  return true;
}

// The commas and LFs of the plain-line reader in order, found 64 bytes at a time so that where a
// field ends never waits on how the field before it was converted. A window is read only when
// kPlainLookAhead bytes follow its start; the caller checks that for the first.
class DelimiterWindows {
 public:
  DelimiterWindows(const char* start, const char* end)
      : window_(start), end_(end), ahead_(CommaAndLfMask(start)) {}
  // The next comma or LF, or nullptr when it lies too near the end of the piece or more than a
  // window past `fieldStart`.
  const char* Next(const char* fieldStart) {
    while (ahead_ == 0) {
      window_ += kWindow;
      if (end_ - window_ < kPlainLookAhead || window_ - fieldStart >= kWindow) return nullptr;
      ahead_ = CommaAndLfMask(window_);
    }
    const char* d = window_ + std::countr_zero(ahead_);
    ahead_ &= ahead_ - 1;
    return d;
  }

 private:
  const char* window_;
  const char* end_;
  uint64_t ahead_;  // the commas and LFs of the window not yet returned
};

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
    // At the start of a data line, with room before it for the look-behind of PlainValue.
    if (field_ == 1 && carryLength_ == 0 && line_ >= 3 && p - data >= 8) {
      p = ReadPlainLines(p, end);
    }
    const char* q = FindFileDelimiter(p, end);
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

const char* ThkFileParser::ReadPlainLines(const char* p, const char* end) {
  // Each field is committed as soon as it is read, with the effects ProcessField would have, so
  // the general reading can take over before any field.
  if (end - p < kPlainLookAhead) return p;
  DelimiterWindows delimiters(p, end);
  // A coordinate field of digits, within the size limit and on its pitch: taken, and p past it.
  const auto coordinate = [&](int pitch, int& coord, int& maxCoord) {
    const char* const d = delimiters.Next(p);
    int c;
    if (d == nullptr || *d != ',' || !PlainCoordinate(p, static_cast<int>(d - p), c) ||
        c > kMaxThkSize || (pitch != 1 && c % pitch != 0)) {
      return false;
    }
    coord = c;
    maxCoord = std::max(maxCoord, c);
    p = d + 1;
    return true;
  };
  for (;;) {
    if (!coordinate(pitchX_, x_, maxX_)) return p;
    field_ = 2;
    lineHasComma_ = true;
    if (!coordinate(pitchY_, y_, maxY_)) return p;
    const int x = x_, y = y_;
    GridDataSet* set = sets_;
    const char* d;
    for (;;) {
      d = delimiters.Next(p);
      double v;
      if (d == nullptr || *d != ',' || set == sets_ + kMaxDataSets ||
          !PlainValue(p, static_cast<int>(d - p), v)) {
        break;
      }
      set->values[x][y] = v;
      ++set;
      p = d + 1;
    }
    valueCount_ += set - sets_;
    field_ = static_cast<int>(set - sets_) + 3;
    // The line ends right after its last comma, with LF or CR LF.
    if (d == nullptr || *d != '\n' || !(d == p || (d == p + 1 && *p == '\r'))) return p;
    p = d + 1;
    ++line_;  // a data line has commas, and the pitch check of EndLine concerns line 1 only
    field_ = 1;
    lineHasComma_ = false;
  }
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

// Readers of the THK data layout: the file syntax (comma after every field) and the clipboard
// syntax (first line THK_DATA, TAB-separated). Both fill the ten data sets and return the number
// of data types, or -1 after showing their own message. Neither computes statistics.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "data/GridDataSet.h"

namespace orvelle {

// The longest field either reader accepts; a longer one is refused with a message naming its line.
inline constexpr int kMaxFieldLength = 63;
inline constexpr int kMaxThkSize = 500;

// Reads a THK file. The caller resets the ten slots first. Returns N (1..9) with slots 0..N-1
// active, or -1 after a message; on failure no slot is active. A path that cannot be opened or is
// a directory gives "File open error. -> " + path; a read that fails, or a file that shrinks
// while it is read, gives "File read error. -> " + path. Pipes and FIFOs are read to their end
// (a FIFO nobody writes to reads as empty rather than waiting).
int LoadThkFile(const std::string& path, GridDataSet* sets);

// The file syntax read from memory (what LoadThkFile reads from disk), fed in one piece.
int ParseThkFileText(std::string_view bytes, GridDataSet* sets);

// Parses THK clipboard text. Resets the ten slots itself first. Returns N or -1 after a message.
int ParseThkText(std::string_view text, GridDataSet* sets);

// ParseThkText without its first step, for slots the caller has already reset (a caller that
// knows which slots were touched can then reset only those). Same results and messages.
int ParseThkTextIntoResetSets(std::string_view text, GridDataSet* sets);

// The file syntax fed in pieces of any size (a piece may end inside a field or between CR and
// LF). Feed returns false once the read has failed or met the 0xFF end byte; Finish then gives
// the result.
class ThkFileParser {
 public:
  explicit ThkFileParser(GridDataSet* sets);
  bool Feed(const char* data, size_t length);
  int Finish();

 private:
  bool ProcessField(std::string_view field);
  bool EndLine();
  bool Fail(const std::string& message);
  void Append(const char* from, const char* to);
  bool CheckCharacters(std::string_view field, bool valueField);
  bool ReadCoordinate(std::string_view field, char axis, int pitch, int& coord, int& maxCoord);
  // Reads data lines of the common shape straight from [p, end) and returns where it stopped:
  // before the first field it does not take, or near the end of the piece. The state it leaves
  // is the one the field-by-field reading would have reached at that point. Called at the start
  // of a data line with nothing carried; may read the 8 bytes before p.
  const char* ReadPlainLines(const char* p, const char* end);

  GridDataSet* sets_;
  enum class State { Reading, Ended, Failed } state_ = State::Reading;
  char carry_[kMaxFieldLength + 1];
  size_t carryLength_ = 0;  // may exceed the buffer: the field is then too long
  bool pendingCr_ = false;
  int line_ = 0;   // counted lines before the current one
  int field_ = 1;  // 1-based field within the current line
  bool lineHasComma_ = false;
  int size_ = 0;
  int pitchX_ = 0;
  int pitchY_ = 0;
  bool pitchYRead_ = false;
  int typeCount_ = 0;
  int x_ = 0;
  int y_ = 0;
  int maxX_ = 0;
  int maxY_ = 0;
  long long valueCount_ = 0;
};

}  // namespace orvelle

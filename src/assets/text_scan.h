// Line and token scanning over bytes in memory, shared by the OBJ and MTL
// readers. Nothing here reads outside [begin, end) or fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace text_scan {

// Splits the byte range into lines the way a bounded line reader does: a line
// of more than max_length characters (line end not counted) ends the reading,
// as does the end of the data; a last line without a line end still counts.
class line_reader {
public:
  line_reader(const char *data, size_t size, size_t max_length)
      : pos_(data), end_(data + size), max_length_(max_length) {}
  // The next line without its line end; false when reading has ended.
  bool next(std::string_view &line);

private:
  const char *pos_;
  const char *end_;
  size_t max_length_;
};

// Tokens of a line, separated by blanks, tabs, CR and LF. A NUL byte ends the
// line, as it would for a C string.
void tokenize(std::string_view line, std::vector<std::string_view> &tokens);

// The statements of a text file: the tokens of each line that holds any, with
// blank lines and lines starting with a lone "#" token passed over.
class statement_reader {
public:
  statement_reader(const char *data, size_t size, size_t max_length)
      : lines_(data, size, max_length) {}
  // The next statement's tokens; false when reading has ended.
  bool next(std::vector<std::string_view> &tokens);
  // The file line (from 1) of the last statement, counting every line.
  uint32_t line_number() const { return line_number_; }

private:
  line_reader lines_;
  uint32_t line_number_ = 0;
};

// Decimal-to-float conversion of a token with the semantics of atof: the
// longest valid prefix counts, no valid prefix gives 0.
float to_float(std::string_view token);
// Decimal integer with the semantics of atoi, clamped to 32 bits.
int32_t to_int(std::string_view token);

} // namespace text_scan

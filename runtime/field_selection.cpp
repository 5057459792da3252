#include "runtime/field_selection.h"

#include <cstddef>
#include <new>

#include "runtime/error.h"

namespace runtime {

namespace {

constexpr char space = ' ';
constexpr char quote = '"';
constexpr char comma = ',';

// Position of the first byte at or after `position` that is not a space
// (tabs count as ordinary bytes here), or the end of the line.
std::size_t SkipSpaces(const Text& line, std::size_t position) {
  while (position < line.size() && line[position] == space) ++position;
  return position;
}

// Position of the first `wanted` byte at or after `position`, or the end.
std::size_t FindOrEnd(const Text& line, std::size_t position, char wanted) {
  const std::size_t found = line.find(wanted, position);
  return found == Text::npos ? line.size() : found;
}

// Position just after the comma that ends the field starting at `position`,
// or the end of the line. A quoted field runs to its closing quote first, so
// commas inside the quotes do not end it.
std::size_t SkipField(const Text& line, std::size_t position) {
  if (line[position] == quote) {
    const std::size_t closingQuote = FindOrEnd(line, position + 1, quote);
    if (closingQuote == line.size()) return line.size();
    position = closingQuote + 1;
  }
  const std::size_t fieldEnd = FindOrEnd(line, position, comma);
  return fieldEnd == line.size() ? line.size() : fieldEnd + 1;
}

// The bytes [begin, end) as a new text. A text that cannot be allocated is
// recorded as out of memory and replaced by the empty text, which needs no
// allocation.
Text CopyBytes(const Text& line, std::size_t begin, std::size_t end) {
  try {
    return line.substr(begin, end - begin);
  } catch (const std::bad_alloc&) {
    RecordError(ErrorNumber::outOfMemory);
    return Text();
  }
}

// The field starting at `position` (a non-space byte): the quoted bytes, or
// the bytes up to the next comma without trailing spaces.
Text ExtractField(const Text& line, std::size_t position) {
  if (line[position] == quote) {
    const std::size_t begin = position + 1;
    return CopyBytes(line, begin, FindOrEnd(line, begin, quote));
  }
  std::size_t end = FindOrEnd(line, position, comma);
  while (end > position && line[end - 1] == space) --end;
  return CopyBytes(line, position, end);
}

}  // namespace

Text SelectField(const Text& line, int n) {
  if (n < 1) return Text();
  std::size_t position = 0;
  for (int field = 1; field < n; ++field) {
    position = SkipSpaces(line, position);
    if (position == line.size()) return Text();
    position = SkipField(line, position);
  }
  position = SkipSpaces(line, position);
  if (position == line.size()) return Text();
  return ExtractField(line, position);
}

}  // namespace runtime

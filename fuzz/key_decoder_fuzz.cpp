// Fuzz target for the terminal key decoder: arbitrary bytes, handed over in
// arbitrary pieces, with the input pausing (the decoder told to expire what
// it holds) at arbitrary places.
//
// Input: byte 0 gives the number k (0-15) of plan bytes that follow; the
// rest are the terminal's bytes. Plan byte i, used in turn, gives the length
// of the next piece (its low 6 bits) and whether the input pauses after it
// (bit 7). Without a plan every byte is a piece of its own.
//
// Checked, a violation aborts:
//  - every key is well formed: a character 1-255 (never DEL, which is
//    Backspace 8) or an extended key with one of the decoder's scan codes;
//  - the split matters only where the decoder says it does: the keys equal
//    those of a fresh decoder fed each stretch in one piece and then
//    expired, where stretches end at the pauses and where a piece ended
//    with a lone Esc and the next one begins with neither "[" nor "O" (the
//    Esc key then, not Alt with the next key);
//  - no more keys than bytes;
//  - after a pause nothing is held, and a plain key after the whole input
//    comes through as itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string_view>
#include <vector>

#include "console/key_source.h"
#include "console/vt/key_decoder.h"

namespace {

using console::KeyKind;
using console::KeyPress;
using console::vt::KeyDecoder;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant violated: %s\n", what);
  std::abort();
}

// The keys without a character: arrows, Home, End, Page Up/Down, Insert,
// Delete, keypad 5, the space bar (Ctrl+Space), F1-F20, the letter keys that
// Alt+letter reports, and the unknown key.
bool IsKnownScanCode(std::uint8_t code) {
  switch (code) {
    case 0x48: case 0x50: case 0x4B: case 0x4D:  // Up, Down, Left, Right
    case 0x47: case 0x4F: case 0x49: case 0x51:  // Home, End, Page Up, Page Down
    case 0x52: case 0x53:                        // Insert, Delete
    case 0x4C: case 0x39:                        // keypad 5, space bar
    case 0x57: case 0x58:                        // F11, F12
    case 0x00:                                   // unknown
      return true;
    default:
      break;
  }
  const bool functionKey = (code >= 0x3B && code <= 0x44) || (code >= 0x64 && code <= 0x6B);
  const bool letterKey = (code >= 0x10 && code <= 0x19) || (code >= 0x1E && code <= 0x26) ||
                         (code >= 0x2C && code <= 0x32);
  return functionKey || letterKey;
}

void CheckWellFormed(const KeyPress& key) {
  switch (key.kind) {
    case KeyKind::character:
      Require(key.character != 0, "character key with character 0");
      Require(key.character != 0x7F, "DEL not given as Backspace");
      Require(key.scanCode == 0, "character key with a scan code");
      break;
    case KeyKind::extended:
      Require(key.character == 0, "extended key with a character");
      Require(IsKnownScanCode(key.scanCode), "extended key with an unknown scan code");
      break;
    case KeyKind::none:
      Require(false, "key of kind none");
  }
}

// How the bytes arrive.
struct Piece {
  std::size_t length;
  bool pauseAfter;  // nothing more arrives in time: the decoder expires
};

std::vector<Piece> PiecesOf(std::string_view plan, std::size_t total) {
  std::vector<Piece> pieces;
  std::size_t covered = 0;
  for (std::size_t i = 0; covered < total; ++i) {
    Piece piece{1, false};
    if (!plan.empty()) {
      const auto step = static_cast<std::uint8_t>(plan[i % plan.size()]);
      piece = {static_cast<std::size_t>(step & 0x3F), (step & 0x80) != 0};
    }
    covered += piece.length;
    pieces.push_back(piece);
    // A plan of empty pieces only must still come to an end.
    if (i + 1 >= plan.size() && covered == 0) {
      pieces.push_back({total, false});
      break;
    }
  }
  return pieces;
}

// What a fresh decoder makes of `bytes` arriving at once, followed by a pause.
std::deque<KeyPress> DecodeAtOnce(std::string_view bytes) {
  KeyDecoder decoder;
  std::deque<KeyPress> keys;
  decoder.Feed(bytes, keys);
  decoder.Expire(keys);
  Require(!decoder.Pending(), "something held after expiring");
  return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t planLength = std::min<std::size_t>(input[0] & 0x0F, size - 1);
  const std::string_view plan = input.substr(1, planLength);
  const std::string_view bytes = input.substr(1 + planLength);

  KeyDecoder decoder;
  std::deque<KeyPress> keys;
  std::deque<KeyPress> expected;
  std::size_t offset = 0;
  std::size_t stretchStart = 0;
  bool loneEscapeHeld = false;  // the last non-empty piece ended with a lone Esc
  for (const Piece& piece : PiecesOf(plan, bytes.size())) {
    const std::string_view part = bytes.substr(offset, piece.length);
    if (loneEscapeHeld && !part.empty() && part[0] != '[' && part[0] != 'O') {
      for (const KeyPress& key : DecodeAtOnce(bytes.substr(stretchStart, offset - stretchStart))) {
        expected.push_back(key);
      }
      stretchStart = offset;
    }
    offset += part.size();
    decoder.Feed(part, keys);
    if (!part.empty()) {
      loneEscapeHeld =
          decoder.Pending() && decoder.RestWait() == console::vt::loneEscapeWait;
    }
    if (piece.pauseAfter) {
      loneEscapeHeld = false;
      decoder.Expire(keys);
      Require(!decoder.Pending(), "something held after a pause");
      for (const KeyPress& key : DecodeAtOnce(bytes.substr(stretchStart, offset - stretchStart))) {
        expected.push_back(key);
      }
      stretchStart = offset;
    }
  }
  decoder.Expire(keys);
  Require(!decoder.Pending(), "something held at the end");
  for (const KeyPress& key : DecodeAtOnce(bytes.substr(stretchStart))) expected.push_back(key);

  for (const KeyPress& key : keys) CheckWellFormed(key);
  Require(keys.size() <= bytes.size(), "more keys than bytes");
  Require(keys == expected, "keys depend on how the bytes were split");

  std::deque<KeyPress> after;
  decoder.Feed("k", after);
  Require(after == std::deque<KeyPress>{console::CharacterKey('k')}, "state left over after a pause");
  return 0;
}

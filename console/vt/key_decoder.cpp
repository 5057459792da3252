#include "console/vt/key_decoder.h"

#include <cstdint>
#include <optional>

#include "console/vt/code_page.h"

namespace console::vt {

namespace {

constexpr char escape = '\x1B';
// A sequence this long without its final byte is garbage.
constexpr std::size_t longestSequence = 64;

// The outcome of decoding the key at the start of some bytes.
struct Step {
  // overlong: a control sequence too long to be a key; dropped, and so is
  // the rest of it up to its final byte, which may still be to come.
  enum class Result { key, dropped, incomplete, overlong } result;
  std::size_t consumed = 0;  // bytes the key took (for key, dropped and overlong)
  KeyPress key;              // for result key
};

Step Key(std::size_t consumed, KeyPress key) { return {Step::Result::key, consumed, key}; }
// A key the terminal sent that has no place in the code page or the PC
// keyboard's scan codes: it still counts as a key press.
Step UnknownKey(std::size_t consumed) { return Key(consumed, ExtendedKey(scan::unknown)); }
Step Dropped(std::size_t consumed) { return {Step::Result::dropped, consumed, {}}; }
Step Incomplete() { return {Step::Result::incomplete, 0, {}}; }
Step Overlong(std::size_t consumed) { return {Step::Result::overlong, consumed, {}}; }

bool IsParameterByte(char byte) { return byte >= 0x30 && byte <= 0x3F; }
bool IsIntermediateByte(char byte) { return byte >= 0x20 && byte <= 0x2F; }
bool IsFinalByte(char byte) { return byte >= 0x40 && byte <= 0x7E; }

// PC scan codes of the letter keys a-z.
constexpr std::uint8_t letterScanCodes[26] = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
};

std::optional<std::uint8_t> LetterScanCode(std::uint8_t character) {
  if (character >= 'a' && character <= 'z') return letterScanCodes[character - 'a'];
  if (character >= 'A' && character <= 'Z') return letterScanCodes[character - 'A'];
  return std::nullopt;
}

Step ControlOrAscii(std::uint8_t byte) {
  switch (byte) {
    case 0x00:
      return Key(1, ExtendedKey(scan::space));  // Ctrl+Space
    case 0x7F:
    case 0x08:
      return Key(1, CharacterKey(8));
    case 0x0D:
      return Key(1, CharacterKey(13));
    default:
      return Key(1, CharacterKey(byte));
  }
}

Step Utf8Character(std::string_view bytes) {
  const auto lead = static_cast<std::uint8_t>(bytes[0]);
  std::size_t length = 0;
  char32_t codePoint = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return UnknownKey(1);  // a stray continuation byte, an invalid lead, an 8-bit Alt key
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i == bytes.size()) return Incomplete();
    const auto next = static_cast<std::uint8_t>(bytes[i]);
    if ((next & 0xC0) != 0x80) return UnknownKey(i);  // cut short: resume at `next`
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  const auto byte = ByteOf(codePoint);
  if (!byte) return UnknownKey(length);  // a character the code page lacks
  return Key(length, CharacterKey(*byte));
}

// A key that is no escape sequence: one byte or one UTF-8 character.
Step PlainKey(std::string_view bytes) {
  const auto byte = static_cast<std::uint8_t>(bytes[0]);
  if (byte < 0x80) return ControlOrAscii(byte);
  return Utf8Character(bytes);
}

// The keys of "ESC [ number ~" (F13-F20 as xterm numbers them).
std::uint8_t TildeKey(int number) {
  switch (number) {
    case 1: case 7: return scan::home;
    case 2: return scan::insert;
    case 3: return scan::deleteKey;
    case 4: case 8: return scan::end;
    case 5: return scan::pageUp;
    case 6: return scan::pageDown;
    case 11: case 12: case 13: case 14: case 15:
      return static_cast<std::uint8_t>(scan::f1 + (number - 11));
    case 17: case 18: case 19: case 20: case 21:
      return static_cast<std::uint8_t>(scan::f1 + 5 + (number - 17));
    case 23: return scan::f11;
    case 24: return scan::f12;
    case 25: case 26: return static_cast<std::uint8_t>(scan::f13 + (number - 25));
    case 28: case 29: return static_cast<std::uint8_t>(scan::f13 + 2 + (number - 28));
    case 31: case 32: case 33: case 34:
      return static_cast<std::uint8_t>(scan::f13 + 4 + (number - 31));
    default: return scan::unknown;
  }
}

// The keys that CSI and SS3 sequences share by their final byte.
std::uint8_t FinalByteKey(char final) {
  switch (final) {
    case 'A': return scan::up;
    case 'B': return scan::down;
    case 'C': return scan::right;
    case 'D': return scan::left;
    case 'H': return scan::home;
    case 'F': return scan::end;
    case 'P': return scan::f1;
    case 'Q': return static_cast<std::uint8_t>(scan::f1 + 1);
    case 'R': return static_cast<std::uint8_t>(scan::f1 + 2);
    case 'S': return static_cast<std::uint8_t>(scan::f1 + 3);
    case 'E': case 'G': return scan::keypadCentre;  // keypad 5 with Num Lock off
    default: return scan::unknown;
  }
}

// The keypad in application mode: SS3 and a letter for its characters.
std::optional<std::uint8_t> KeypadCharacter(char final) {
  if (final >= 'p' && final <= 'y') return static_cast<std::uint8_t>('0' + (final - 'p'));
  switch (final) {
    case 'M': return 13;  // Enter
    case 'X': return '=';
    case 'j': return '*';
    case 'k': return '+';
    case 'l': return ',';
    case 'm': return '-';
    case 'n': return '.';
    case 'o': return '/';
    default: return std::nullopt;
  }
}

// ESC [ parameters intermediates final. `bytes` starts with ESC [.
Step ControlSequence(std::string_view bytes) {
  // The Linux console sends F1-F5 as ESC [ [ A to ESC [ [ E.
  if (bytes.size() >= 3 && bytes[2] == '[') {
    if (bytes.size() == 3) return Incomplete();
    const char letter = bytes[3];
    if (letter >= 'A' && letter <= 'E') {
      return Key(4, ExtendedKey(static_cast<std::uint8_t>(scan::f1 + (letter - 'A'))));
    }
    return UnknownKey(4);
  }
  // Only the first longestSequence bytes are looked at, however many have
  // arrived, so that the outcome does not depend on how the input was split.
  const std::string_view head = bytes.substr(0, longestSequence);
  std::size_t i = 2;
  while (i < head.size() && IsParameterByte(head[i])) ++i;
  const std::string_view parameters = head.substr(2, i - 2);
  const std::size_t parametersEnd = i;
  while (i < head.size() && IsIntermediateByte(head[i])) ++i;
  const bool hasIntermediates = i != parametersEnd;
  if (i == head.size()) {
    return i == longestSequence ? Overlong(i) : Incomplete();
  }
  const char final = head[i];
  if (!IsFinalByte(final)) return Dropped(i);  // broken off: resume at that byte
  const std::size_t consumed = i + 1;
  // "<", "=", ">" or "?" first: a private report (mouse ...), no key; nor
  // are replies with intermediates, focus reports and the marks around a
  // bracketed paste.
  const bool privateParameters = !parameters.empty() && parameters[0] >= '<';
  if (privateParameters || hasIntermediates) return Dropped(consumed);
  if (parameters.empty() && (final == 'I' || final == 'O')) return Dropped(consumed);
  if (final == 'Z') return Key(consumed, CharacterKey(9));  // Shift+Tab
  if (final != '~') return Key(consumed, ExtendedKey(FinalByteKey(final)));
  int number = 0;
  for (const char c : parameters) {
    if (c < '0' || c > '9') break;
    number = number * 10 + (c - '0');
    if (number > 1000) break;
  }
  if (number == 200 || number == 201) return Dropped(consumed);
  return Key(consumed, ExtendedKey(TildeKey(number)));
}

// ESC O final.
Step SingleShift(std::string_view bytes) {
  if (bytes.size() < 3) return Incomplete();
  if (const auto character = KeypadCharacter(bytes[2])) return Key(3, CharacterKey(*character));
  return Key(3, ExtendedKey(FinalByteKey(bytes[2])));
}

// ESC followed by a key: Alt held with that key.
Step AltKey(std::string_view bytes) {
  Step step = PlainKey(bytes.substr(1));
  if (step.result == Step::Result::incomplete) return step;
  step.consumed += 1;
  if (step.result == Step::Result::key) {
    if (const auto scanCode = LetterScanCode(step.key.character)) step.key = ExtendedKey(*scanCode);
  }
  return step;
}

Step DecodeOne(std::string_view bytes) {
  if (bytes[0] != escape) return PlainKey(bytes);
  if (bytes.size() == 1) return Incomplete();
  switch (bytes[1]) {
    case '[': return ControlSequence(bytes);
    case 'O': return SingleShift(bytes);
    case escape: return Key(1, CharacterKey(27));  // the first of two Esc presses
    default: return AltKey(bytes);
  }
}

}  // namespace

void KeyDecoder::Feed(std::string_view bytes, std::deque<KeyPress>& keys) {
  // An Esc that ended the previous arrival was the Esc key, unless these
  // bytes go on with a control sequence (its bytes split on a slow link).
  if (held_ == "\x1B" && !bytes.empty() && bytes[0] != '[' && bytes[0] != 'O') {
    keys.push_back(CharacterKey(27));
    held_.clear();
  }
  held_.append(bytes);
  std::string_view rest = held_;
  while (!rest.empty()) {
    if (skippingSequence_) {
      SkipSequenceRest(rest);
      continue;
    }
    const Step step = DecodeOne(rest);
    if (step.result == Step::Result::incomplete) break;
    if (step.result == Step::Result::key) keys.push_back(step.key);
    if (step.result == Step::Result::overlong) skippingSequence_ = true;
    rest.remove_prefix(step.consumed);
  }
  held_.erase(0, held_.size() - rest.size());
}

void KeyDecoder::SkipSequenceRest(std::string_view& rest) {
  while (!rest.empty() && (IsParameterByte(rest[0]) || IsIntermediateByte(rest[0]))) {
    rest.remove_prefix(1);
  }
  if (rest.empty()) return;  // the final byte is still to come
  if (IsFinalByte(rest[0])) rest.remove_prefix(1);
  skippingSequence_ = false;
}

std::chrono::milliseconds KeyDecoder::RestWait() const {
  return held_ == "\x1B" ? loneEscapeWait : sequenceRestWait;
}

void KeyDecoder::Expire(std::deque<KeyPress>& keys) {
  skippingSequence_ = false;
  if (held_ == "\x1B") {
    keys.push_back(CharacterKey(27));
  } else if (held_ == "\x1B[") {
    keys.push_back(CharacterKey('['));  // Alt+[: the Alt is dropped
  } else if (held_ == "\x1BO") {
    keys.push_back(ExtendedKey(*LetterScanCode('O')));  // Alt+O
  } else if (!held_.empty()) {
    keys.push_back(ExtendedKey(scan::unknown));  // a key whose bytes broke off
  }
  held_.clear();
}

}  // namespace console::vt

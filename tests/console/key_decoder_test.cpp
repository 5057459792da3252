#include "console/vt/key_decoder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "console/keyboard.h"
#include "tests/support/scripted_keys.h"
#include "runtime/clock.h"

namespace console::vt {
namespace {

using namespace std::string_literals;

std::deque<KeyPress> Decode(const std::string& bytes) {
  KeyDecoder decoder;
  std::deque<KeyPress> keys;
  decoder.Feed(bytes, keys);
  decoder.Expire(keys);
  return keys;
}

// What PollKey hands the program for the keys of `bytes`, one text per key.
std::vector<std::string> PolledTexts(const std::string& bytes) {
  ScriptedKeys keys;
  keys.PushBytes(bytes);
  runtime::VirtualClock clock;
  ConsoleKeyboard keyboard(keys, clock);
  std::vector<std::string> texts;
  for (std::string text = keyboard.PollKey(); !text.empty(); text = keyboard.PollKey()) {
    texts.push_back(text);
  }
  return texts;
}

// A table case's test name: its name's letters and digits, '_' for the rest.
struct NamedAfterTheCase {
  template <typename Info>
  std::string operator()(const Info& info) const {
    std::string name;
    for (const char c : std::string(info.param.name)) {
      name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
  }
};

struct KeyCase {
  const char* name;
  std::string bytes;  // what the terminal sends
  std::string text;   // what PollKey returns
};

const KeyCase keyCases[] = {
    {"letter", "a", "a"},
    {"Esc alone", "\x1B", "\x1B"},
    {"Enter", "\r", "\r"},
    {"Backspace DEL", "\x7F", "\b"},
    {"Backspace BS", "\b", "\b"},
    {"Ctrl+C", "\x03", "\x03"},
    {"Tab", "\t", "\t"},
    {"Shift+Tab", "\x1B[Z", "\t"},
    {"Up", "\x1B[A", "\0\x48"s},
    {"Up in application mode", "\x1BOA", "\0\x48"s},
    {"Ctrl+Up", "\x1B[1;5A", "\0\x48"s},
    {"Down", "\x1B[B", "\0\x50"s},
    {"Right", "\x1B[C", "\0\x4D"s},
    {"Left", "\x1B[D", "\0\x4B"s},
    {"Home", "\x1B[H", "\0\x47"s},
    {"Home tilde", "\x1B[1~", "\0\x47"s},
    {"End", "\x1B[F", "\0\x4F"s},
    {"End tilde", "\x1B[4~", "\0\x4F"s},
    {"Page Up", "\x1B[5~", "\0\x49"s},
    {"Page Down", "\x1B[6~", "\0\x51"s},
    {"Insert", "\x1B[2~", "\0\x52"s},
    {"Delete", "\x1B[3~", "\0\x53"s},
    {"F1", "\x1BOP", "\0\x3B"s},
    {"F1 Linux console", "\x1B[[A", "\0\x3B"s},
    {"F4", "\x1BOS", "\0\x3E"s},
    {"F5", "\x1B[15~", "\0\x3F"s},
    {"F6", "\x1B[17~", "\0\x40"s},
    {"F10", "\x1B[21~", "\0\x44"s},
    {"F11", "\x1B[23~", "\0\x57"s},
    {"F12", "\x1B[24~", "\0\x58"s},
    {"Alt+X", "\x1Bx", "\0\x2D"s},
    {"Alt+Shift+Q", "\x1BQ", "\0\x10"s},
    {"Alt+1 drops the Alt", "\x1B" "1", "1"},
    {"a umlaut", "\xC3\xA4", "\x84"},
    {"o umlaut", "\xC3\xB6", "\x94"},
    {"sharp s", "\xC3\x9F", "\xE1"},
    {"box drawing", "\xE2\x95\x90", "\xCD"},
    {"Alt+a umlaut", "\x1B\xC3\xA4", "\x84"},
    {"Ctrl+Z", "\x1A", "\x1A"},
    {"Ctrl+Space", "\0"s, "\0\x39"s},
    {"keypad 5", "\x1B[E", "\0\x4C"s},
    {"keypad 5 application mode", "\x1BOE", "\0\x4C"s},
    {"keypad 5 Linux console", "\x1B[G", "\0\x4C"s},
    {"keypad Enter application mode", "\x1BOM", "\r"},
    {"keypad 7 application mode", "\x1BOw", "7"},
    {"F13", "\x1B[25~", "\0\x64"s},
    {"F20", "\x1B[34~", "\0\x6B"s},
    {"unknown tilde key", "\x1B[99~", "\0\0"s},
    {"unknown final", "\x1B[5x", "\0\0"s},
    {"unknown SS3", "\x1BOz", "\0\0"s},
    {"euro sign outside the code page", "\xE2\x82\xAC", "\0\0"s},
    {"emoji", "\xF0\x9F\x98\x80", "\0\0"s},
    {"stray continuation byte", "\x80", "\0\0"s},
    {"8-bit Alt key", "\xFF", "\0\0"s},
};

// Whether a case is Alt with a key: Esc and the key, no control sequence.
bool IsAltKey(const std::string& bytes) {
  return bytes.size() > 1 && bytes[0] == '\x1B' && bytes[1] != '[' && bytes[1] != 'O';
}

class KeyCases : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyCases, GiveTheirText) {
  const KeyCase& c = GetParam();
  EXPECT_EQ(PolledTexts(c.bytes), std::vector<std::string>{c.text});
}

TEST_P(KeyCases, DecodeTheSameWhateverTheSplit) {
  const KeyCase& c = GetParam();
  // A key after another, its bytes split across two arrivals at every
  // place; then the input pauses (which tells a lone Esc) and one more key
  // follows. Only Alt with a key is two keys when the split falls right
  // after its Esc: the Esc key, then the key itself.
  const std::string bytes = "<" + c.bytes;
  std::deque<KeyPress> whole = Decode(bytes);
  whole.push_back(CharacterKey('>'));
  ASSERT_EQ(whole.size(), 3u);
  std::deque<KeyPress> escapeApart = Decode("<\x1B");
  for (const KeyPress& key : Decode(c.bytes.substr(1))) escapeApart.push_back(key);
  escapeApart.push_back(CharacterKey('>'));
  for (std::size_t split = 1; split < bytes.size(); ++split) {
    KeyDecoder decoder;
    std::deque<KeyPress> keys;
    decoder.Feed(bytes.substr(0, split), keys);
    decoder.Feed(bytes.substr(split), keys);
    decoder.Expire(keys);
    decoder.Feed(">", keys);
    EXPECT_EQ(keys, IsAltKey(c.bytes) && split == 2 ? escapeApart : whole) << "split at " << split;
    EXPECT_FALSE(decoder.Pending());
  }
}

INSTANTIATE_TEST_SUITE_P(Terminal, KeyCases, ::testing::ValuesIn(keyCases), NamedAfterTheCase{});

struct DroppedCase {
  const char* name;
  std::string bytes;
};

const DroppedCase droppedCases[] = {
    {"mouse report", "\x1B[<0;12;5M"},
    {"focus in", "\x1B[I"},
    {"focus out", "\x1B[O"},
    {"bracketed paste start", "\x1B[200~"},
    {"bracketed paste end", "\x1B[201~"},
    {"with intermediate", "\x1B[1 q"},
};

class DroppedCases : public ::testing::TestWithParam<DroppedCase> {};

TEST_P(DroppedCases, LeaveNothingAndDoNotSwallowTheNextKey) {
  EXPECT_EQ(PolledTexts(GetParam().bytes + "k"), std::vector<std::string>{"k"});
}

INSTANTIATE_TEST_SUITE_P(Terminal, DroppedCases, ::testing::ValuesIn(droppedCases), NamedAfterTheCase{});

TEST(KeyDecoder, LoneEscIsKnownOnlyWhenTheInputPauses) {
  KeyDecoder decoder;
  std::deque<KeyPress> keys;
  decoder.Feed("\x1B", keys);
  EXPECT_TRUE(keys.empty());
  EXPECT_TRUE(decoder.Pending());
  decoder.Expire(keys);
  EXPECT_EQ(keys, (std::deque<KeyPress>{CharacterKey(27)}));
  EXPECT_FALSE(decoder.Pending());
}

TEST(KeyDecoder, TwoEscPressesAreTwoKeys) {
  EXPECT_EQ(Decode("\x1B\x1B"), (std::deque<KeyPress>{CharacterKey(27), CharacterKey(27)}));
}

// Keys pressed one after the other arrive apart: an Esc is never taken for
// Alt then, and a control sequence split by a slow link stays one key.
TEST(KeyDecoder, EscAndTheNextArrival) {
  const KeyPress escape = CharacterKey(27);
  struct Case {
    std::vector<std::string> arrivals;
    std::deque<KeyPress> keys;
  } cases[] = {
      {{"\x1B", "x"}, {escape, CharacterKey('x')}},
      {{"\x1B", "\r"}, {escape, CharacterKey(13)}},
      {{"\x1B", "\x1B"}, {escape, escape}},
      {{"\x1B", "\x1B", "x"}, {escape, escape, CharacterKey('x')}},
      {{"\x1Bx"}, {ExtendedKey(0x2D)}},
      {{"\x1B", "[A"}, {ExtendedKey(scan::up)}},
      {{"\x1B", "[", "1;5", "A"}, {ExtendedKey(scan::up)}},
      {{"\x1B", "O", "P"}, {ExtendedKey(scan::f1)}},
  };
  for (const Case& c : cases) {
    KeyDecoder decoder;
    std::deque<KeyPress> keys;
    for (const std::string& arrival : c.arrivals) decoder.Feed(arrival, keys);
    decoder.Expire(keys);
    EXPECT_EQ(keys, c.keys) << ::testing::PrintToString(c.arrivals);
  }
}

TEST(KeyDecoder, SequenceBrokenOffByAControlByteKeepsThatByte) {
  EXPECT_EQ(Decode("\x1B[12\r"), (std::deque<KeyPress>{CharacterKey(13)}));
  // A UTF-8 lead byte without its continuation is a key of its own (an
  // 8-bit Alt key, say).
  EXPECT_EQ(Decode("\xC3\r"), (std::deque<KeyPress>{ExtendedKey(scan::unknown), CharacterKey(13)}));
}

TEST(KeyDecoder, UnfinishedSequenceIsOneKeyWhenTheInputPauses) {
  EXPECT_EQ(Decode("\x1B[1;5"), (std::deque<KeyPress>{ExtendedKey(scan::unknown)}));
  EXPECT_EQ(Decode("\xE2\x95"), (std::deque<KeyPress>{ExtendedKey(scan::unknown)}));
}

TEST(KeyDecoder, EndlessSequenceIsDroppedUpToItsFinalByte) {
  KeyDecoder decoder;
  std::deque<KeyPress> keys;
  decoder.Feed("\x1B[" + std::string(10000, '1'), keys);
  EXPECT_TRUE(keys.empty());
  EXPECT_TRUE(decoder.Pending());
  decoder.Feed("~x", keys);
  EXPECT_EQ(keys, (std::deque<KeyPress>{CharacterKey('x')}));
  EXPECT_FALSE(decoder.Pending());
}

TEST(KeyDecoder, EndlessSequenceEndsWhenTheInputPauses) {
  KeyDecoder decoder;
  std::deque<KeyPress> keys;
  decoder.Feed("\x1B[" + std::string(100, '1'), keys);
  decoder.Expire(keys);
  EXPECT_FALSE(decoder.Pending());
  decoder.Feed("1", keys);
  EXPECT_EQ(keys, (std::deque<KeyPress>{CharacterKey('1')}));
}

struct OverlongCase {
  const char* name;
  std::string bytes;  // a sequence too long to be a key, then "k"
};

const OverlongCase overlongCases[] = {
    {"parameters then a known final", "\x1B[" + std::string(70, '1') + "Ak"},
    {"intermediates", "\x1B[" + std::string(70, '\'') + "Ak"},
    {"parameters and intermediates", "\x1B[" + std::string(40, '1') + std::string(40, ' ') + "~k"},
    {"broken off by a control byte", "\x1B[" + std::string(70, ';') + "\rk"},
};

class OverlongCases : public ::testing::TestWithParam<OverlongCase> {};

TEST_P(OverlongCases, DecodeTheSameWhateverTheSplit) {
  const std::string& bytes = GetParam().bytes;
  const std::deque<KeyPress> whole = Decode(bytes);
  EXPECT_EQ(whole.back(), CharacterKey('k'));
  EXPECT_LE(whole.size(), 2u);  // at most the byte that broke the sequence off
  for (std::size_t split = 1; split < bytes.size(); ++split) {
    KeyDecoder decoder;
    std::deque<KeyPress> keys;
    decoder.Feed(bytes.substr(0, split), keys);
    decoder.Feed(bytes.substr(split), keys);
    decoder.Expire(keys);
    EXPECT_EQ(keys, whole) << "split at " << split;
  }
}

INSTANTIATE_TEST_SUITE_P(Terminal, OverlongCases, ::testing::ValuesIn(overlongCases), NamedAfterTheCase{});

TEST(KeyDecoder, RandomBytesNeverHangOrHoldMoreThanOneKey) {
  std::mt19937 random(20260101);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(1, 12);
  KeyDecoder decoder;
  std::deque<KeyPress> keys;
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    const int n = length(random);
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<char>(byte(random)));
    decoder.Feed(bytes, keys);
    if (round % 7 == 0) decoder.Expire(keys);
  }
  decoder.Expire(keys);
  EXPECT_FALSE(decoder.Pending());
  for (const KeyPress& key : keys) EXPECT_NE(key.kind, KeyKind::none);
  // Whatever came before, a plain key afterwards comes through.
  keys.clear();
  decoder.Feed("k", keys);
  EXPECT_EQ(keys, (std::deque<KeyPress>{CharacterKey('k')}));
}

}  // namespace
}  // namespace console::vt

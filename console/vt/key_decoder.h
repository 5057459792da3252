// Turns the bytes a terminal sends into key presses. It touches no terminal:
// it takes the bytes as they arrived, one arrival (one read of the
// terminal) at a time, and gives key presses. Every key press the terminal
// reports counts:
//
//  - printable ASCII as characters; UTF-8 characters as their code page 850
//    byte;
//  - Backspace (0x7F or 0x08) as 8, Enter (CR) as 13, other control bytes as
//    themselves (Tab 9, Ctrl+C 3, Ctrl+Z 26); NUL (Ctrl+Space) as the
//    extended key of the space bar;
//  - CSI and SS3 sequences as extended keys with PC scan codes: arrows,
//    Home, End, Page Up/Down, Insert, Delete, keypad 5, F1-F20 (modifiers
//    ignored), Shift+Tab as Tab, the keypad's application-mode keys as their
//    characters;
//  - anything else a terminal sends for a key (a character the code page
//    lacks, an unknown sequence, a byte that is no UTF-8, a key whose bytes
//    broke off) as the extended key scan::unknown; so it ends a wait for any
//    key, and the line editor drops it as it drops the arrows;
//  - not keys, and dropped: terminal reports (private parameters, focus,
//    mouse), sequences with intermediate bytes, the marks around a
//    bracketed paste, a sequence too long to be a key (64 bytes and no
//    final byte yet), a sequence broken off by a control byte.
//
// Esc, Alt and slow links. A terminal sends the bytes of one key press in
// one write, and the program reads them as they come, so they arrive
// together; keys pressed one after the other arrive apart.
//  - Esc and another key in the same arrival are Alt with that key (the
//    program asks the terminal to send Alt so): Alt+letter is the extended
//    key of the letter's scan code, Alt with any other key is that key.
//  - Esc at the end of an arrival: if the next arrival goes on with "[" or
//    "O", the two form a control sequence that a slow link has split; if it
//    begins with anything else, the Esc was the Esc key and the new bytes are
//    keys of their own. If nothing comes within loneEscapeWait, it is the Esc
//    key.
//  - A control sequence or UTF-8 character that has begun waits up to
//    sequenceRestWait for each further arrival, however the link splits it.
#pragma once

#include <chrono>
#include <deque>
#include <string>
#include <string_view>

#include "console/key_source.h"

namespace console::vt {

// How long a lone Esc at the end of an arrival waits for a sequence's rest,
// and how long a begun sequence waits for each further arrival.
inline constexpr std::chrono::milliseconds loneEscapeWait{50};
inline constexpr std::chrono::milliseconds sequenceRestWait{500};

class KeyDecoder {
 public:
  // Decodes the bytes of one arrival after what came before, appending every
  // completed key press to `keys`. The bytes of a key that has only begun
  // are kept.
  void Feed(std::string_view bytes, std::deque<KeyPress>& keys);

  // Whether a key, or an overlong sequence being dropped, has begun and
  // waits for its next byte.
  bool Pending() const { return !held_.empty() || skippingSequence_; }

  // How long to wait for the next arrival before Expire, while Pending.
  std::chrono::milliseconds RestWait() const;

  // No more bytes came in time: decides what is held. A lone Esc is the Esc
  // key, Esc + "[" or "O" is Alt with that key; an unfinished sequence or
  // UTF-8 character is one unknown key.
  void Expire(std::deque<KeyPress>& keys);

 private:
  // Drops from `rest` what remains of an overlong control sequence, up to
  // and including its final byte.
  void SkipSequenceRest(std::string_view& rest);

  std::string held_;               // bytes of a key that has begun but not ended
  bool skippingSequence_ = false;  // inside an overlong sequence, its final byte to come
};

}  // namespace console::vt

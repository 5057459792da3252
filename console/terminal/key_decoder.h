// Turns the bytes a terminal sends into key presses. It touches no terminal:
// it takes bytes, in pieces split anywhere, and gives key presses.
//
//  - printable ASCII as characters; UTF-8 characters as their code page 850
//    byte (characters the code page lacks are dropped);
//  - Backspace (0x7F or 0x08) as 8, Enter (CR) as 13, other control bytes as
//    themselves (Tab 9, Ctrl+C 3); NUL is dropped;
//  - Esc on its own (when no byte follows before Expire) as 27;
//  - CSI and SS3 sequences as extended keys with PC scan codes: arrows,
//    Home, End, Page Up/Down, Insert, Delete, F1-F12 (modifiers ignored),
//    Shift+Tab as Tab; any other sequence is consumed whole and dropped,
//    as is one too long to be a key (64 bytes and no final byte yet);
//  - Esc + letter as Alt+letter: the extended key with the letter's scan
//    code; Esc before any other key gives that key.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "console/key_source.h"

namespace console::terminal {

class KeyDecoder {
 public:
  // Decodes `bytes` after what came before, appending every completed key
  // press to `keys`. The bytes of a key that has only begun are kept.
  void Feed(std::string_view bytes, std::deque<KeyPress>& keys);

  // Whether a key, or an overlong sequence being dropped, has begun and
  // waits for its next byte.
  bool Pending() const { return !held_.empty() || skippingSequence_; }

  // No more bytes came in time: decides what is held. A lone Esc is the Esc
  // key, Esc + "[" or "O" is Alt with that key; an unfinished sequence or
  // UTF-8 character is dropped.
  void Expire(std::deque<KeyPress>& keys);

 private:
  // Drops from `rest` what remains of an overlong control sequence, up to
  // and including its final byte.
  void SkipSequenceRest(std::string_view& rest);

  std::string held_;               // bytes of a key that has begun but not ended
  bool skippingSequence_ = false;  // inside an overlong sequence, its final byte to come
};

}  // namespace console::terminal

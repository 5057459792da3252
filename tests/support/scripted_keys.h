// A key source for tests. Keys are pushed as ready-made key presses or as
// the bytes a terminal would send (decoded by the terminal's own decoder);
// everything pushed so far arrives at the next look, in order, as keys
// typed ahead do. A test that wants keys to arrive later wraps or subclasses
// it and calls ScriptedKeys::TakeArrivedKeys when it sees fit.
// A script that runs out while the program waits for a character
// (ReadLine) leaves it waiting: push every key the test needs.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string_view>

#include "console/key_source.h"
#include "console/vt/key_decoder.h"

namespace console {

class ScriptedKeys : public KeySource {
 public:
  void Push(KeyPress key);
  // Bytes as a terminal sends them ("\x1B[A" is Up, "\r" Enter, "\xC3\xA4"
  // the "ä"). Bytes that end in the middle of a key wait for the next push;
  // a lone Esc is the Esc key once anything else is pushed or looked at.
  void PushBytes(std::string_view bytes);

  void TakeArrivedKeys(std::deque<KeyPress>& queue) override;
  // Everything pushed has arrived already: returns at once.
  void AwaitInput(std::chrono::milliseconds) override { ++waits_; }

  // Called at each look, before the keys pushed so far arrive, with the
  // number of looks before it: the moment a run looks at its keyboard.
  void OnEachLook(std::function<void(std::size_t looksBefore)> atLook) { atLook_ = std::move(atLook); }

  std::size_t Looks() const { return looks_; }            // calls of TakeArrivedKeys
  std::size_t Waiting() const { return pending_.size(); }  // pushed, not yet arrived
  std::size_t Waits() const { return waits_; }             // calls of AwaitInput

 private:
  std::deque<KeyPress> pending_;    // pushed and not yet taken
  vt::KeyDecoder decoder_;    // bytes of a key pushed in part
  std::size_t looks_ = 0;
  std::size_t waits_ = 0;
  std::function<void(std::size_t)> atLook_;
};

}  // namespace console

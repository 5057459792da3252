// The WindowRegistry: every window record of the process, found by window
// handle. One mutex guards it, held only while the records are looked up,
// added or removed, never while waiting for anything.
#pragma once

#include <cstddef>
#include <memory>

#include "graphics/window_record.h"

namespace graphics::WindowRegistry {

// Adds a record. Its handle is new: handles are never reused.
void Register(std::shared_ptr<WindowRecord> record);

// Removes the record of `handle`, if any.
void Unregister(WindowHandle handle);

// The record of `handle`, or null. Handle 0 is never found.
std::shared_ptr<WindowRecord> Find(WindowHandle handle);

// The drawing area whose frame is `frame`, or null.
std::shared_ptr<WindowRecord> FindArea(WindowHandle frame);

// Number of records.
std::size_t Count();

}  // namespace graphics::WindowRegistry

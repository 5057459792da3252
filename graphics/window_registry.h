// The WindowRegistry: every window record of the process, newest first,
// found by window handle. It has a spin lock of its own, held only while the
// list is searched, extended or unlinked, never while waiting for anything.
#pragma once

#include <cstddef>
#include <memory>

#include "graphics/window_record.h"

namespace graphics::WindowRegistry {

// Adds a record at the front. False (and nothing added) when its handle is
// already registered.
bool Register(std::shared_ptr<WindowRecord> record);

// Removes the record of `handle`, if any.
void Unregister(WindowHandle handle);

// The record of `handle`, or null. Handle 0 is never found.
std::shared_ptr<WindowRecord> Find(WindowHandle handle);

// The drawing area whose frame is `parent` and whose child id is
// `childId`, or null.
std::shared_ptr<WindowRecord> FindChild(WindowHandle parent, std::int32_t childId);

// Number of records.
std::size_t Count();

}  // namespace graphics::WindowRegistry

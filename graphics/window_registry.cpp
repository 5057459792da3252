#include "graphics/window_registry.h"

#include <cassert>
#include <map>
#include <mutex>

namespace graphics::WindowRegistry {

namespace {

// The records and their lock live for the whole process (never destroyed),
// so a window thread still ending during process exit finds them intact.
struct Registry {
  std::mutex mutex;
  std::map<WindowHandle, std::shared_ptr<WindowRecord>> records;
};

Registry& TheRegistry() {
  static Registry* const registry = new Registry;
  return *registry;
}

}  // namespace

void Register(std::shared_ptr<WindowRecord> record) {
  Registry& registry = TheRegistry();
  const WindowHandle handle = record->handle;
  std::lock_guard lock(registry.mutex);
  [[maybe_unused]] const bool added = registry.records.emplace(handle, std::move(record)).second;
  assert(handle != 0 && added);
}

void Unregister(WindowHandle handle) {
  // Let go of after the lock: the last reference to an area's record frees
  // its surface.
  std::shared_ptr<WindowRecord> removed;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const auto found = registry.records.find(handle);
  if (found == registry.records.end()) return;
  removed = std::move(found->second);
  registry.records.erase(found);
}

std::shared_ptr<WindowRecord> Find(WindowHandle handle) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const auto found = registry.records.find(handle);
  return found != registry.records.end() ? found->second : nullptr;
}

std::shared_ptr<WindowRecord> FindArea(WindowHandle frame) {
  if (frame == 0) return nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  for (const auto& [handle, record] : registry.records) {
    if (record->kind == RecordKind::drawingArea && record->parentHandle == frame) return record;
  }
  return nullptr;
}

std::size_t Count() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  return registry.records.size();
}

}  // namespace graphics::WindowRegistry

#include "graphics/window_registry.h"

#include <atomic>
#include <cstdint>

namespace graphics::WindowRegistry {

namespace {

struct Node {
  std::shared_ptr<WindowRecord> record;
  Node* next = nullptr;
};

// The list and its lock live for the whole process (never destroyed), so a
// window thread still ending during process exit finds them intact.
struct Registry {
  std::atomic<std::uint32_t> lockWord{0};
  Node* first = nullptr;  // newest first
  std::size_t count = 0;
};

Registry& TheRegistry() {
  static Registry* const registry = new Registry;
  return *registry;
}

// Spins without yielding: the lock is only ever held for a list walk.
class RegistryLock {
 public:
  RegistryLock() : word_(TheRegistry().lockWord) {
    while (word_.exchange(1, std::memory_order_acquire) != 0) {
    }
  }
  ~RegistryLock() { word_.store(0, std::memory_order_release); }
  RegistryLock(const RegistryLock&) = delete;
  RegistryLock& operator=(const RegistryLock&) = delete;

 private:
  std::atomic<std::uint32_t>& word_;
};

Node* FindNode(WindowHandle handle) {
  for (Node* node = TheRegistry().first; node != nullptr; node = node->next) {
    if (node->record->handle == handle) return node;
  }
  return nullptr;
}

}  // namespace

bool Register(std::shared_ptr<WindowRecord> record) {
  if (!record || record->handle == 0) return false;
  auto node = std::make_unique<Node>();  // allocated before taking the lock
  node->record = std::move(record);
  RegistryLock lock;
  if (FindNode(node->record->handle) != nullptr) return false;
  Registry& registry = TheRegistry();
  node->next = registry.first;
  registry.first = node.release();
  ++registry.count;
  return true;
}

void Unregister(WindowHandle handle) {
  std::unique_ptr<Node> removed;  // freed after the lock is given back
  {
    RegistryLock lock;
    Registry& registry = TheRegistry();
    for (Node** link = &registry.first; *link != nullptr; link = &(*link)->next) {
      if ((*link)->record->handle == handle) {
        removed.reset(*link);
        *link = removed->next;
        --registry.count;
        break;
      }
    }
  }
}

std::shared_ptr<WindowRecord> Find(WindowHandle handle) {
  if (handle == 0) return nullptr;
  RegistryLock lock;
  Node* node = FindNode(handle);
  return node != nullptr ? node->record : nullptr;
}

std::shared_ptr<WindowRecord> FindChild(WindowHandle parent, std::int32_t childId) {
  if (parent == 0) return nullptr;
  RegistryLock lock;
  for (Node* node = TheRegistry().first; node != nullptr; node = node->next) {
    const WindowRecord& record = *node->record;
    if (record.kind == RecordKind::drawingArea && record.parentHandle == parent &&
        record.childId == childId) {
      return node->record;
    }
  }
  return nullptr;
}

std::size_t Count() {
  RegistryLock lock;
  return TheRegistry().count;
}

}  // namespace graphics::WindowRegistry

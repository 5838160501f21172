#include "win/module.h"

#include <atomic>

namespace lirvo::win {
namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};

}  // namespace

void SetModule(HMODULE module) { g_module = module; }

HMODULE Module() { return g_module; }

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void ObjectCreated() { ++g_objects; }

void ObjectDestroyed() { --g_objects; }

bool CanUnload() { return g_objects.load() == 0; }

}  // namespace lirvo::win

#include "app/system_library.h"

#include <cwchar>

// Older SDK headers declare the flag for Windows 8 and later only; Windows 7
// takes it too once updated, which SearchFlagsKnown() asks.
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace tarvelo {

namespace {

// At namespace scope and constant-initialised: ready before any thread runs,
// the drive workers' threads among them, with no guard to pass on each use.
SystemLibrary winmm{L"winmm.dll"};
SystemLibrary user32{L"user32.dll"};

FARPROC KernelProcedure(const char* name) noexcept {
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  return kernel ? ::GetProcAddress(kernel, name) : nullptr;
}

// The LOAD_LIBRARY_SEARCH_* flags came with AddDllDirectory: Windows 8, and
// Windows 7 only with KB2533623, where LoadLibraryExW otherwise refuses them.
bool SearchFlagsKnown() noexcept { return KernelProcedure("AddDllDirectory") != nullptr; }

}  // namespace

void RestrictDllSearch() noexcept {
  using SetDefaultDllDirectoriesFunction = BOOL WINAPI(DWORD);
  if (auto* setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction*>(
          reinterpret_cast<void*>(KernelProcedure("SetDefaultDllDirectories")))) {
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // Where the call above is missing, this at least takes the current folder
  // out of the search.
  ::SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept {
  if (SearchFlagsKnown()) return ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  wchar_t path[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
  const std::size_t nameLength = std::wcslen(fileName);
  if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
  path[length] = L'\\';
  std::wmemcpy(path + length + 1, fileName, nameLength + 1);
  // A full path loads that file; the altered search has the DLL's own
  // dependencies looked for in its folder first.
  return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SystemLibrary& Winmm() noexcept { return winmm; }
SystemLibrary& User32() noexcept { return user32; }

FARPROC SystemLibrary::Lookup(const char* name) noexcept {
  HMODULE module = module_.load(std::memory_order_acquire);
  if (!module) {
    HMODULE loaded = LoadSystemLibrary(fileName_);
    if (!loaded) return nullptr;
    // Two threads may load it at once: one reference is kept, the other given back.
    if (module_.compare_exchange_strong(module, loaded, std::memory_order_acq_rel)) {
      module = loaded;
    } else {
      ::FreeLibrary(loaded);
    }
  }
  return ::GetProcAddress(module, name);
}

}  // namespace tarvelo

// DLLs that are not among the system's known DLLs. Windows looks for those in
// the program's folder first, and a zip unpacked into Downloads shares that
// folder with whatever a web page dropped there, so the program imports none
// of them: it loads them here, on first use, from the system folder only.
#ifndef TARVELO_APP_SYSTEM_LIBRARY_H
#define TARVELO_APP_SYSTEM_LIBRARY_H

#include <windows.h>

#include <atomic>

namespace tarvelo {

// Keeps every DLL loaded later, by the program or by a system DLL on its
// behalf, to the system folder: neither the program's folder nor the current
// one is searched. The first thing the program does.
void RestrictDllSearch() noexcept;

// The DLL of that file name from the system folder, loaded now; null when it
// cannot be. Windows 7 without the update that brought the search flags gets
// the same through the folder's full path.
HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept;

// One system DLL, loaded when a procedure of it is first asked for. It stays
// loaded for the rest of the process: a procedure handed out must stay valid
// whichever thread still holds it. Safe to use from several threads.
class SystemLibrary {
 public:
  explicit constexpr SystemLibrary(const wchar_t* fileName) noexcept : fileName_(fileName) {}

  // The exported procedure as the given function type, or null when the DLL
  // or the procedure is missing.
  template <typename Function>
  Function* Procedure(const char* name) noexcept {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(Lookup(name)));
  }
  // The same for a procedure the DLL exports by number only.
  template <typename Function>
  Function* Procedure(WORD ordinal) noexcept {
    return Procedure<Function>(MAKEINTRESOURCEA(ordinal));
  }

 private:
  FARPROC Lookup(const char* name) noexcept;

  const wchar_t* fileName_;
  std::atomic<HMODULE> module_{nullptr};
};

}  // namespace tarvelo

#endif

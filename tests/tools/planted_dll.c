/* Stands in for a DLL that a web page left in the folder a user unpacks the
   program into. Loaded, it leaves a mark: an empty file named after itself
   with ".loaded" added. Its exports are harmless stubs of the calls the
   program once imported from such DLLs, so that an old program that binds to
   it still starts and the mark, not a missing import, tells. The stubs take the
   exported names in planted_dll.def, beside the system headers' declarations
   of the real ones. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcatW(path, L".loaded");
      HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
      if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    }
  }
  return TRUE;
}

DWORD WINAPI PlantedMciCommand(UINT device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
  (void)device, (void)message, (void)flags, (void)params;
  return 1;
}

DWORD WINAPI PlantedMciString(LPCSTR command, LPSTR answer, UINT length, HWND callback) {
  (void)command, (void)answer, (void)length, (void)callback;
  return 1;
}

BOOL WINAPI PlantedTransparentBlt(HDC to, int x, int y, int width, int height, HDC from, int fromX, int fromY,
                                  int fromWidth, int fromHeight, UINT key) {
  (void)to, (void)x, (void)y, (void)width, (void)height, (void)from, (void)fromX, (void)fromY, (void)fromWidth,
      (void)fromHeight, (void)key;
  return FALSE;
}

UINT WINAPI PlantedTimePeriod(UINT period) {
  (void)period;
  return 97; /* TIMERR_NOCANDO */
}

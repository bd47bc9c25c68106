// Unloading the library frees everything it holds, as a stop does.
#include "api/library_world.h"
#include "core/frame.h"

#if defined(_WIN32)
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) ovoid::StopCollision(ovoid::LibraryWorld());
  return TRUE;
}
#else
__attribute__((destructor)) static void OvoidUnload() {
  ovoid::StopCollision(ovoid::LibraryWorld());
}
#endif

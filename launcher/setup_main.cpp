// Entry point of setup.exe. The launcher's main sequence is not wired in yet: the program
// starts and ends with exit code 0.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }

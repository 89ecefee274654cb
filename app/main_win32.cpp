// Program entry: the program with the system's pointer functions, where it has them.

#include <windows.h>

#include "app/run_program_win32.h"
#include "surface/pointer_input_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  fudekko::win32::SystemPointerSource pointers;
  return fudekko::runProgram(instance, showCommand, pointers);
}

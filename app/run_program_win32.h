#pragma once
// The whole run of the program, behind either entry point: the shipped one takes the
// pen's data from the system, the test build's from a script.

#include <windows.h>

#include "surface/pointer_input.h"

namespace fudekko {

// One copy at a time, the three windows of the whole run, the event loop; returns the
// exit code.
int runProgram(HINSTANCE instance, int showCommand, PointerSource& pointers);

}  // namespace fudekko

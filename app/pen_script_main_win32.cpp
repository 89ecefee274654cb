// The test build's entry (fudekko_pen_script.exe): the program as shipped, but with the
// pen's data read from the script named by FUDEKKO_PEN_SCRIPT (see
// surface/pointer_script.h), so that the end-to-end tests can write with a pen under Wine.

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/run_program_win32.h"
#include "surface/pointer_script.h"

namespace {

std::wstring scriptPath() {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"FUDEKKO_PEN_SCRIPT", path, MAX_PATH * 2);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(path, length) : std::wstring();
}

// A script that cannot be read ends the run at once with exit code 3: a test must not go
// on as if the pen had written.
class ScriptOrEnd final : public fudekko::PointerSource {
 public:
  explicit ScriptOrEnd(std::wstring path)
      : script_([path] {
          std::ifstream file(std::filesystem::path(path), std::ios::binary);
          if (!file) throw fudekko::PointerScriptError("cannot open the pen script");
          std::ostringstream text;
          text << file.rdbuf();
          return text.str();
        }) {}

  std::optional<fudekko::PointerFrames> read(std::uint32_t id) override {
    try {
      return script_.read(id);
    } catch (const fudekko::PointerScriptError& error) {
      std::fprintf(stderr, "pen script: %s\n", error.what());
      ::ExitProcess(3);
    }
  }

 private:
  fudekko::ScriptedPointerSource script_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  ScriptOrEnd pointers(scriptPath());
  return fudekko::runProgram(instance, showCommand, pointers);
}

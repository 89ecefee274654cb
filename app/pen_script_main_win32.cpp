// The test build's entry (fudekko_pen_script.exe): the program as shipped, but with the
// pen's data read from the script named by FUDEKKO_PEN_SCRIPT (see
// surface/pointer_script.h), so that the end-to-end tests can write with a pen under Wine.
// A pointer whose id FUDEKKO_FAULT_POINTER names raises an access violation on the
// window's thread instead, as a fault in a system dialog would.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "app/run_program_win32.h"
#include "surface/pointer_script.h"

namespace {

std::wstring environmentVariable(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return length > 0 && length < MAX_PATH * 2 ? std::wstring(value, length) : std::wstring();
}

// A script that cannot be read ends the run at once with exit code 3: a test must not go
// on as if the pen had written.
class ScriptOrEnd final : public fudekko::PointerSource {
 public:
  ScriptOrEnd(std::wstring path, std::optional<std::uint32_t> faultPointer)
      : faultPointer_(faultPointer), script_([path] {
          std::ifstream file(std::filesystem::path(path), std::ios::binary);
          if (!file) throw fudekko::PointerScriptError("cannot open the pen script");
          std::ostringstream text;
          text << file.rdbuf();
          return text.str();
        }) {}

  std::optional<fudekko::PointerFrames> read(std::uint32_t id) override {
    if (id == faultPointer_) ::RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
    try {
      return script_.read(id);
    } catch (const fudekko::PointerScriptError& error) {
      std::fprintf(stderr, "pen script: %s\n", error.what());
      ::ExitProcess(3);
    }
  }

 private:
  std::optional<std::uint32_t> faultPointer_;
  fudekko::ScriptedPointerSource script_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  const std::wstring faultPointer = environmentVariable(L"FUDEKKO_FAULT_POINTER");
  ScriptOrEnd pointers(environmentVariable(L"FUDEKKO_PEN_SCRIPT"),
                       faultPointer.empty() ? std::nullopt
                                            : std::optional(static_cast<std::uint32_t>(std::wcstoul(
                                                  faultPointer.c_str(), nullptr, 10))));
  return fudekko::runProgram(instance, showCommand, pointers);
}

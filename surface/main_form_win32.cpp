#include "surface/main_form_win32.h"

#include "common/win32_handles_win32.h"

namespace fudekko {

namespace {
constexpr wchar_t kClassName[] = L"TMainForm";
}  // namespace

TMainForm::TMainForm(HINSTANCE instance) : instance_(instance) {
  registerClass(instance, kClassName, ::GetSysColorBrush(COLOR_BTNFACE),
                ::LoadIconW(instance, MAKEINTRESOURCEW(1)));
  createWindow(instance, kClassName, win32::kProgramTitle, WS_OVERLAPPEDWINDOW, 0, CW_USEDEFAULT,
               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
}

LRESULT TMainForm::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_SIZE:
      FormResize();
      return 0;
    case WM_PAINT:
      PaintBox1Paint();
      return 0;
    case WM_CLOSE:
      FormClose();
      ::DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return defaultProcedure(message, wParam, lParam);
}

// Each step reports its own failure and the next still runs: whatever happens to the
// settings file, the user's draft is loaded and the pictures exist.
void TMainForm::FormCreate() {
  win32::runHandler(window_, [this] { readSettings(); });
  win32::runHandler(window_, [this] { drawPenGlyphs(); });
  win32::runHandler(window_, [this] { takeCommandLineAndDraft(); });
  win32::runHandler(window_, [this] { createPictures(); });
}

void TMainForm::readSettings() {}
void TMainForm::drawPenGlyphs() {}
void TMainForm::takeCommandLineAndDraft() {}
void TMainForm::createPictures() {}

void TMainForm::FormResize() {}

void TMainForm::PaintBox1Paint() {
  win32::PaintDc paint(window_);
}

void TMainForm::FormClose() {}

void TMainForm::MenuExitClick() {
  ::SendMessageW(window_, WM_CLOSE, 0, 0);
}

}  // namespace fudekko

#include "app/pen_controls_win32.h"

#include "app/main_menu_win32.h"
#include "app/stored_pen.h"

namespace fudekko {

PenControls::PenControls(HandwritingSurface& surface, win32::ToolBar& toolBar,
                         SessionSettings& settings, HWND window)
    : surface_(surface), toolBar_(toolBar), settings_(settings), window_(window) {}

void PenControls::takeStoredChoices() {
  surface_.setStartPen(readStoredPen(settings_.file()));
  surface_.setEraserKind(readStoredEraserKind(settings_.file()));
  surface_.setBrushPen(readStoredBrushPen(settings_.file()));
  showOptions();
}

bool PenControls::onCommand(int id) {
  switch (id) {
    case win32::kColorButtonId:
      showAndStore(surface_.cyclePenColor());
      return true;
    case win32::kLineButtonId:
      showAndStore(surface_.cyclePenWidth());
      return true;
    case win32::kEraseButtonId:
      // The button toggles the eraser; nothing to keep between runs.
      surface_.chooseTool(surface_.chosenTool() == ChosenTool::Eraser ? ChosenTool::Pen
                                                                      : ChosenTool::Eraser);
      toolBar_.showChosenTool(surface_.chosenTool());
      return true;
    case kMenuPartialEraserId:
    case kMenuStrokeEraserId: {
      const EraserKind kind = id == kMenuStrokeEraserId ? EraserKind::Stroke : EraserKind::Partial;
      surface_.setEraserKind(kind);
      showOptions();
      settings_.store([kind](IniFile& file) { storeEraserKind(file, kind); });
      return true;
    }
    case kMenuBrushPenId:
      surface_.setBrushPen(!surface_.brushPen());
      showOptions();
      settings_.store([on = surface_.brushPen()](IniFile& file) { storeBrushPen(file, on); });
      return true;
    default:
      return false;
  }
}

void PenControls::showAndStorePen() {
  showAndStore(surface_.pen());
}

void PenControls::showAndStore(const Pen& pen) {
  // Shown first: the buttons show the pen in force even when storing it fails.
  toolBar_.showPen(pen);
  settings_.store([&pen](IniFile& file) { storePen(file, pen); });
}

void PenControls::showOptions() {
  checkPenItems(::GetMenu(window_), surface_.eraserKind() == EraserKind::Stroke,
                surface_.brushPen());
  toolBar_.showEraserKind(surface_.eraserKind());
}

}  // namespace fudekko

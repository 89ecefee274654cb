#include "app/pen_controls_win32.h"

#include "app/main_menu_win32.h"
#include "app/stored_pen.h"

namespace fudekko {

PenControls::PenControls(HandwritingSurface& surface, win32::ToolBar& toolBar, IniFile& settings,
                         HWND window)
    : surface_(surface), toolBar_(toolBar), settings_(settings), window_(window) {}

void PenControls::takeStoredChoices() {
  surface_.setStartPen(readStoredPen(settings_));
  surface_.setEraserKind(readStoredEraserKind(settings_));
  surface_.setBrushPen(readStoredBrushPen(settings_));
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
      storeEraserKind(settings_, kind);
      return true;
    }
    case kMenuBrushPenId:
      surface_.setBrushPen(!surface_.brushPen());
      showOptions();
      storeBrushPen(settings_, surface_.brushPen());
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
  storePen(settings_, pen);
}

void PenControls::showOptions() {
  checkPenItems(::GetMenu(window_), surface_.eraserKind() == EraserKind::Stroke,
                surface_.brushPen());
  toolBar_.showEraserKind(surface_.eraserKind());
}

}  // namespace fudekko

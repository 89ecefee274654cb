#include "app/pen_controls_win32.h"

#include "app/main_menu_win32.h"
#include "app/stored_pen.h"

namespace fudekko {

PenControls::PenControls(HandwritingSurface& surface, win32::ToolBar& toolBar,
                         SessionSettings& settings, HWND window)
    : surface_(surface), toolBar_(toolBar), settings_(settings), window_(window) {}

void PenControls::takeStoredChoices() {
  surface_.setStartPen(readStoredPen(settings_.file()));
  surface_.setStartHighlighter(readStoredHighlighter(settings_.file()));
  surface_.setEraserKind(readStoredEraserKind(settings_.file()));
  surface_.setBrushPen(readStoredBrushPen(settings_.file()));
  showOptions();
}

bool PenControls::onCommand(int id) {
  switch (id) {
    case win32::kColorButtonId:
      surface_.cyclePenColor();
      showAndStorePen();
      return true;
    case win32::kLineButtonId:
      surface_.cyclePenWidth();
      showAndStorePen();
      return true;
    case win32::kEraseButtonId:
    case win32::kHighlighterButtonId: {
      // A tool's button toggles between its tool and the pen.
      const ChosenTool tool =
          id == win32::kEraseButtonId ? ChosenTool::Eraser : ChosenTool::Highlighter;
      choose(surface_.chosenTool() == tool ? ChosenTool::Pen : tool);
      return true;
    }
    case kMenuPenToolId:
      choose(ChosenTool::Pen);
      return true;
    case kMenuHighlighterToolId:
      choose(ChosenTool::Highlighter);
      return true;
    case kMenuEraserToolId:
      choose(ChosenTool::Eraser);
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
  // Shown first: the buttons show the pen in force even when storing it fails.
  toolBar_.showPen(surface_.toolPen());
  if (surface_.chosenTool() == ChosenTool::Highlighter) {
    settings_.store(
        [marker = surface_.highlighter()](IniFile& file) { storeHighlighter(file, marker); });
  } else {
    settings_.store([pen = surface_.pen()](IniFile& file) { storePen(file, pen); });
  }
}

void PenControls::choose(ChosenTool tool) {
  // Nothing to keep between runs: every start begins with the pen.
  surface_.chooseTool(tool);
  toolBar_.showPen(surface_.toolPen());
  showOptions();
}

void PenControls::showOptions() {
  checkPenItems(::GetMenu(window_), surface_.chosenTool(),
                surface_.eraserKind() == EraserKind::Stroke, surface_.brushPen());
  toolBar_.showEraserKind(surface_.eraserKind());
  toolBar_.showChosenTool(surface_.chosenTool());
}

}  // namespace fudekko

#include "surface/pen_tools.h"

namespace fudekko {

ToolInForce decideTool(const ToolChoice& choice, bool penEndErases) {
  const Tool eraser =
      choice.eraserKind == EraserKind::Stroke ? Tool::StrokeEraser : Tool::PartialEraser;
  if (penEndErases) return {eraser, kWhite, kEraserWidth, false};
  if (choice.chosen == ChosenTool::Highlighter) {
    return {Tool::Highlighter, colorTableEntry(choice.highlighter.colorIndex),
            choice.highlighter.lineWidth, false};
  }
  const Pen& pen = choice.pen;
  if (choice.chosen == ChosenTool::Eraser && eraser == Tool::StrokeEraser) {
    return {Tool::StrokeEraser, kWhite, pen.lineWidth, false};
  }
  if (pen.colorIndex == kWhiteIndex) return {Tool::PartialEraser, kWhite, pen.lineWidth, false};
  return {Tool::Pen, colorTableEntry(pen.colorIndex), pen.lineWidth, choice.brushPen};
}

}  // namespace fudekko

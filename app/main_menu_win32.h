#pragma once
// The main window's menu bar and the keys of its Edit menu.

#include <windows.h>

#include "surface/pen_tools.h"
#include "win32/handles_win32.h"

namespace fudekko {

// Command identifiers of the menu items.
enum MenuItemId : int {
  kMenuOpenId = 301,
  kMenuExitId = 302,
  kMenuUndoId = 303,
  kMenuSettingId = 304,
  kMenuVersionId = 305,
  kMenuRedoId = 306,
  kMenuCopyId = 307,
  kMenuSaveAsId = 308,
  kMenuPartialEraserId = 309,
  kMenuStrokeEraserId = 310,
  kMenuBrushPenId = 311,
  kMenuPenToolId = 312,
  kMenuHighlighterToolId = 313,
  kMenuEraserToolId = 314,
  kMenuWrapLongLinesId = 315,
};

win32::Menu createMainMenu();

// Greys Undo and Redo of `menu` when there is nothing to take back or bring again.
void enableEditItems(HMENU menu, bool canUndo, bool canRedo);
// Greys Copy when there is nothing to copy.
void enableCopyItem(HMENU menu, bool canCopy);

// Marks the chosen tool and the chosen eraser kind (radio groups) and the brush pen's
// check of `menu`.
void checkPenItems(HMENU menu, ChosenTool tool, bool strokeEraser, bool brushPen);

// The check of "長い行を折り返して送る" in `menu`.
void checkWrapLongLinesItem(HMENU menu, bool wrap);

// Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z, Ctrl+C and Ctrl+S, which the event loop takes before
// the focused control sees them.
win32::Accelerators createEditKeys();
// The single keys of handwriting mode, where no text is typed: P, H and E choose the
// pen, the highlighter and the eraser.
win32::Accelerators createHandwritingKeys();

}  // namespace fudekko

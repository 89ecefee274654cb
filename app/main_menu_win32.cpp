#include "app/main_menu_win32.h"

#include <initializer_list>
#include <iterator>
#include <utility>

namespace fudekko {

win32::Menu createMainMenu() {
  win32::Menu bar(::CreateMenu());
  const auto popup = [&bar](const wchar_t* caption,
                            std::initializer_list<std::pair<int, const wchar_t*>> items) {
    win32::Menu menu(::CreatePopupMenu());
    for (const auto& [id, text] : items) {
      if (id == 0) {
        ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      } else {
        ::AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(id), text);
      }
    }
    // The menu bar owns the popup from here on.
    if (::AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(menu.get()), caption)) {
      menu.release();
    }
  };
  popup(L"ﾌｧｲﾙ(&F)", {{kMenuOpenId, L"開く(&O)"},
                      {kMenuSaveAsId, L"名前を付けて保存(&A)...\tCtrl+S"},
                      {0, nullptr},
                      {kMenuExitId, L"終了(&X)"}});
  popup(L"編集(&E)", {{kMenuUndoId, L"元に戻す(&U)\tCtrl+Z"},
                      {kMenuRedoId, L"やり直し(&R)\tCtrl+Y"},
                      {kMenuCopyId, L"コピー(&C)\tCtrl+C"}});
  popup(L"ｵﾌﾟｼｮﾝ(&O)", {{kMenuSettingId, L"設定(&S)"},
                        {0, nullptr},
                        {kMenuPenToolId, L"ペン(&N)\tP"},
                        {kMenuHighlighterToolId, L"蛍光ペン(&H)\tH"},
                        {kMenuEraserToolId, L"消しゴム(&E)\tE"},
                        {0, nullptr},
                        {kMenuPartialEraserId, L"部分消しゴム(&P)"},
                        {kMenuStrokeEraserId, L"ストローク消しゴム(&K)"},
                        {0, nullptr},
                        {kMenuBrushPenId, L"筆ペン(&B)"},
                        {0, nullptr},
                        {kMenuWrapLongLinesId, L"長い行を折り返して送る(&L)"}});
  popup(L"ﾍﾙﾌﾟ(&H)", {{kMenuVersionId, L"ﾊﾞｰｼﾞｮﾝ情報(&A)"}});
  return bar;
}

void enableEditItems(HMENU menu, bool canUndo, bool canRedo) {
  if (!menu) return;
  ::EnableMenuItem(menu, kMenuUndoId, MF_BYCOMMAND | (canUndo ? MF_ENABLED : MF_GRAYED));
  ::EnableMenuItem(menu, kMenuRedoId, MF_BYCOMMAND | (canRedo ? MF_ENABLED : MF_GRAYED));
}

void enableCopyItem(HMENU menu, bool canCopy) {
  if (menu) ::EnableMenuItem(menu, kMenuCopyId, MF_BYCOMMAND | (canCopy ? MF_ENABLED : MF_GRAYED));
}

void checkPenItems(HMENU menu, ChosenTool tool, bool strokeEraser, bool brushPen) {
  if (!menu) return;
  const int toolItem = tool == ChosenTool::Highlighter ? kMenuHighlighterToolId
                       : tool == ChosenTool::Eraser    ? kMenuEraserToolId
                                                       : kMenuPenToolId;
  ::CheckMenuRadioItem(menu, kMenuPenToolId, kMenuEraserToolId, toolItem, MF_BYCOMMAND);
  ::CheckMenuRadioItem(menu, kMenuPartialEraserId, kMenuStrokeEraserId,
                       strokeEraser ? kMenuStrokeEraserId : kMenuPartialEraserId, MF_BYCOMMAND);
  ::CheckMenuItem(menu, kMenuBrushPenId, MF_BYCOMMAND | (brushPen ? MF_CHECKED : MF_UNCHECKED));
}

void checkWrapLongLinesItem(HMENU menu, bool wrap) {
  if (menu) {
    ::CheckMenuItem(menu, kMenuWrapLongLinesId, MF_BYCOMMAND | (wrap ? MF_CHECKED : MF_UNCHECKED));
  }
}

win32::Accelerators createEditKeys() {
  // Taken before the text area sees them: its own one-step undo could bring back text
  // that the program, not the user, put there.
  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'Z', static_cast<WORD>(kMenuUndoId)},
      {FVIRTKEY | FCONTROL, 'Y', static_cast<WORD>(kMenuRedoId)},
      {FVIRTKEY | FCONTROL | FSHIFT, 'Z', static_cast<WORD>(kMenuRedoId)},
      {FVIRTKEY | FCONTROL, 'C', static_cast<WORD>(kMenuCopyId)},
      {FVIRTKEY | FCONTROL, 'S', static_cast<WORD>(kMenuSaveAsId)},
  };
  return win32::Accelerators(::CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));
}

win32::Accelerators createHandwritingKeys() {
  ACCEL keys[] = {
      {FVIRTKEY, 'P', static_cast<WORD>(kMenuPenToolId)},
      {FVIRTKEY, 'H', static_cast<WORD>(kMenuHighlighterToolId)},
      {FVIRTKEY, 'E', static_cast<WORD>(kMenuEraserToolId)},
  };
  return win32::Accelerators(::CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));
}

}  // namespace fudekko

#include "app/picture_commands_win32.h"

#include "common/errors.h"
#include "handoff/clipboard_win32.h"
#include "handoff/save_as_win32.h"
#include "surface/text_snapshot_win32.h"

namespace fudekko {

namespace {

// The text area as it shows itself, painted off-screen as handwriting mode's snapshot.
Picture textSnapshot(HWND textArea) {
  RECT client{};
  ::GetClientRect(textArea, &client);
  Picture snapshot;
  snapshot.setSize(client.right - client.left, client.bottom - client.top);
  if (snapshot.empty()) throw Error("保存する画像がありません");
  win32::EditSnapshot(textArea).paintInto(snapshot);
  return snapshot;
}

}  // namespace

bool canCopy(const PictureCommandSource& source) {
  if (source.handwriting) return source.composite && !source.composite->empty();
  DWORD start = 0, end = 0;
  ::SendMessageW(source.textArea, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  return start != end;
}

void copyCommand(const PictureCommandSource& source) {
  if (!source.handwriting) {
    ::SendMessageW(source.textArea, WM_COPY, 0, 0);
    return;
  }
  if (source.composite) win32::copyPictureToClipboard(source.window, *source.composite);
}

void saveAsCommand(const PictureCommandSource& source, SessionSettings& settings) {
  if (source.handwriting) {
    if (!source.composite) return;
    win32::saveAsFromMainWindow(source.window, *source.composite, source.subject,
                                source.firstBodyLine, settings);
    return;
  }
  // Taken before the dialog opens, which may lie over the text area.
  const Picture snapshot = textSnapshot(source.textArea);
  win32::saveAsFromMainWindow(source.window, snapshot, source.subject, source.firstBodyLine,
                              settings);
}

}  // namespace fudekko

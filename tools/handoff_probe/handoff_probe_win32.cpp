// Runs the hand-off's Win32 pieces on their own under Wine, for the end-to-end tests of
// the stand-in MAPI provider, the clipboard and save-as before the program's menus
// reach them. Prints UTF-8 to standard output.
//
//   handoff_probe mail DRAFT PICTURE        (the draft's mail through the default mail
//                                            client; prints the MAPI answer, or
//                                            "no-client" and exits 3)
//   handoff_probe copy PICTURE.bmp          (the picture on the clipboard)
//   handoff_probe save PICTURE.bmp TARGET png|gif|bmp
//   handoff_probe save-dialog PICTURE.bmp SUBJECT SETTINGS.ini   (prints saved or
//                                                                  cancelled)
//
// Errors are printed as "error: " and the message, with exit code 1.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "common/errors.h"
#include "common/shift_jis.h"
#include "draft/draft_intake.h"
#include "handoff/clipboard_win32.h"
#include "handoff/mapi_mail_win32.h"
#include "handoff/mapi_plan.h"
#include "handoff/save_as_win32.h"
#include "imaging/bmp_reader.h"

namespace {

using namespace fudekko;

void print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string sjisArgument(const wchar_t* argument) {
  return wideToSjis(argument);
}

int mail(const wchar_t* draftPath, const wchar_t* picturePath) {
  const std::string text =
      normaliseLineEnds(readTextFile({wideToUtf8(draftPath)}, kTextAreaLimit).bytes);
  const DraftParts parts = splitDraft(text);
  if (!win32::defaultMailClientRegistered()) {
    print("no-client");
    return 3;
  }
  const MapiMessageAnsi message =
      planMapiMessage({parts.subject.value_or(""), std::string(parts.body), parts.headerLines,
                       sjisArgument(picturePath)});
  const unsigned long answer = win32::sendMailThroughMapi(nullptr, message);
  print(std::to_string(answer));
  if (answer != kMapiSuccess && answer != kMapiUserAbort) print(mapiErrorMessage(answer));
  return 0;
}

AttachmentFormat formatNamed(const std::wstring& name) {
  if (name == L"png") return AttachmentFormat::Png;
  if (name == L"gif") return AttachmentFormat::Gif;
  return AttachmentFormat::Bmp;
}

int run(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"mail" && argc >= 4) return mail(argv[2], argv[3]);
  if (argc < 3) return 2;
  const Picture picture = readBmpFile(sjisArgument(argv[2]));
  if (command == L"copy") {
    win32::copyPictureToClipboard(nullptr, picture);
    print("copied");
    return 0;
  }
  if (command == L"save" && argc >= 5) {
    win32::savePictureAs(picture, argv[3], formatNamed(argv[4]));
    print("saved");
    return 0;
  }
  if (command == L"save-dialog" && argc >= 5) {
    SessionSettings settings(sjisArgument(argv[4]));
    const bool saved =
        win32::saveAsFromMainWindow(nullptr, picture, sjisArgument(argv[3]), "", settings);
    print(saved ? "saved" : "cancelled");
    return 0;
  }
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  try {
    return run(argc, argv);
  } catch (const std::exception& error) {
    print(std::string("error: ") + error.what());
    return 1;
  }
}

#pragma once
// Simple MAPI's calls and structures as the mail client's DLL exports them: the ANSI
// ones from <mapi.h>, and the wide ones (Windows 8 and later), which MinGW's header
// lacks, laid out as the platform documents them.

#include <mapi.h>
#include <windows.h>

namespace fudekko::win32 {

struct MapiRecipDescW {
  ULONG ulReserved;
  ULONG ulRecipClass;
  PWSTR lpszName;
  PWSTR lpszAddress;
  ULONG ulEIDSize;
  LPVOID lpEntryID;
};

struct MapiFileDescW {
  ULONG ulReserved;
  ULONG flFlags;
  ULONG nPosition;
  PWSTR lpszPathName;
  PWSTR lpszFileName;
  LPVOID lpFileType;
};

struct MapiMessageW {
  ULONG ulReserved;
  PWSTR lpszSubject;
  PWSTR lpszNoteText;
  PWSTR lpszMessageType;
  PWSTR lpszDateReceived;
  PWSTR lpszConversationID;
  FLAGS flFlags;
  MapiRecipDescW* lpOriginator;
  ULONG nRecipCount;
  MapiRecipDescW* lpRecips;
  ULONG nFileCount;
  MapiFileDescW* lpFiles;
};

using MapiSendMailW = ULONG(WINAPI*)(LHANDLE session, ULONG_PTR uiParam, MapiMessageW* message,
                                     FLAGS flags, ULONG reserved);
using MapiSendMailA = ULONG(WINAPI*)(LHANDLE session, ULONG_PTR uiParam, MapiMessage* message,
                                     FLAGS flags, ULONG reserved);

}  // namespace fudekko::win32

#pragma once
// Send through the system's default mail client: Simple MAPI's MAPISendMailW, or
// MAPISendMail where only that exists, from mapi32 loaded at run time.

#include <windows.h>

#include "handoff/mapi_plan.h"

namespace fudekko::win32 {

// True when a default mail client is named: the default value of
// Software\Clients\Mail, under HKEY_CURRENT_USER first, then HKEY_LOCAL_MACHINE.
// Without one, the call would open a message box of the system's and wait on it.
bool defaultMailClientRegistered();

// Hands `message` to the mail client with MAPI_DIALOG | MAPI_LOGON_UI, `owner` as the
// parent of its windows, the picture as the one attachment. Returns the MAPI answer:
// kMapiSuccess, kMapiUserAbort, an error, or kMapiNotSupported when mapi32 cannot be
// loaded or has neither call. Blocks while the mail client has its window up, as far
// as the client chooses.
unsigned long sendMailThroughMapi(HWND owner, const MapiMessageAnsi& message);

}  // namespace fudekko::win32

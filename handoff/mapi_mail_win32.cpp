#include "handoff/mapi_mail_win32.h"

#include <string>
#include <vector>

#include "handoff/simple_mapi_win32.h"

namespace fudekko::win32 {

namespace {

constexpr wchar_t kMailClientsKey[] = L"Software\\Clients\\Mail";

bool namesMailClient(HKEY root) {
  DWORD bytes = 0;
  const LSTATUS status =
      ::RegGetValueW(root, kMailClientsKey, nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
  // The size counts the terminating zero: more than one character's worth names a client.
  return status == ERROR_SUCCESS && bytes > sizeof(wchar_t);
}

// Text the calls take as non-const pointers; they only read it.
template <typename Char>
Char* text(std::basic_string<Char>& value) {
  return value.data();
}

// One call for both character widths: the structures differ only in their text type.
template <typename Mail, typename Recipient, typename Attachment, typename Message,
          typename SendMail>
unsigned long sendThrough(SendMail send, HWND owner, Message& message) {
  std::vector<Recipient> recipients;
  for (auto& recipient : message.recipients) {
    recipients.push_back({0, static_cast<ULONG>(recipient.recipientClass), text(recipient.name),
                          text(recipient.address), 0, nullptr});
  }
  Attachment attachment{
      0, 0, kMapiNoPosition, text(message.attachmentPath), text(message.attachmentName), nullptr};
  Mail mail{};
  mail.lpszSubject = text(message.subject);
  mail.lpszNoteText = text(message.body);
  mail.nRecipCount = static_cast<ULONG>(recipients.size());
  mail.lpRecips = recipients.empty() ? nullptr : recipients.data();
  mail.nFileCount = 1;
  mail.lpFiles = &attachment;
  return send(0, reinterpret_cast<ULONG_PTR>(owner), &mail, kMapiSendFlags, 0);
}

unsigned long sendWide(MapiSendMailW send, HWND owner, const MapiMessageAnsi& ansi) {
  MapiMessageWide message = widenMapiMessage(ansi);
  return sendThrough<MapiMessageW, MapiRecipDescW, MapiFileDescW>(send, owner, message);
}

// The ANSI call reads the system's ANSI code page; the bytes are code page 932, right
// on the Japanese systems this program is written for.
unsigned long sendAnsi(MapiSendMailA send, HWND owner, MapiMessageAnsi message) {
  return sendThrough<MapiMessage, MapiRecipDesc, MapiFileDesc>(send, owner, message);
}

}  // namespace

bool defaultMailClientRegistered() {
  return namesMailClient(HKEY_CURRENT_USER) || namesMailClient(HKEY_LOCAL_MACHINE);
}

unsigned long sendMailThroughMapi(HWND owner, const MapiMessageAnsi& message) {
  // From the system folder only: never a mapi32.dll lying beside the program. Loaded
  // once and kept: a mail client may return while its compose window or a thread of
  // its provider DLL still runs in this process, and unloading would pull the code
  // from under them.
  static const HMODULE mapi =
      ::LoadLibraryExW(L"mapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!mapi) return kMapiNotSupported;
  const auto wide = reinterpret_cast<MapiSendMailW>(
      reinterpret_cast<void*>(::GetProcAddress(mapi, "MAPISendMailW")));
  const auto ansi = reinterpret_cast<MapiSendMailA>(
      reinterpret_cast<void*>(::GetProcAddress(mapi, "MAPISendMail")));
  if (wide) {
    const unsigned long answer = sendWide(wide, owner, message);
    if (answer != kMapiUnicodeNotSupported || !ansi) return answer;
  }
  if (ansi) return sendAnsi(ansi, owner, message);
  return kMapiNotSupported;
}

}  // namespace fudekko::win32

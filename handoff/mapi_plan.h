#pragma once
// The mail that Send hands to the system's default mail client through Simple MAPI,
// worked out without the platform: subject, body, recipients and the one attachment,
// as the wide call (MAPISendMailW) and the ANSI call (MAPISendMail, code page 932)
// take them; and the words for each answer the call can give.

#include <string>
#include <vector>

#include "handoff/address_list.h"

namespace fudekko {

// Simple MAPI's answers, by number, so that this code needs no MAPI header.
inline constexpr unsigned long kMapiSuccess = 0;
inline constexpr unsigned long kMapiUserAbort = 1;
inline constexpr unsigned long kMapiFailure = 2;
inline constexpr unsigned long kMapiNotSupported = 26;
inline constexpr unsigned long kMapiUnicodeNotSupported = 27;

// What the call gets: MAPI_LOGON_UI | MAPI_DIALOG, the mail client's own compose window.
inline constexpr unsigned long kMapiLogonUi = 0x00000001;
inline constexpr unsigned long kMapiDialog = 0x00000008;
inline constexpr unsigned long kMapiSendFlags = kMapiLogonUi | kMapiDialog;

// An attachment placed by the mail client, not inside the body text.
inline constexpr unsigned long kMapiNoPosition = 0xFFFFFFFF;

// "既定のメールソフトが設定されていません"
inline constexpr char kNoDefaultMailClientMessage[] = "既定のメールソフトが設定されていません";

template <typename Text>
struct MapiRecipientText {
  RecipientClass recipientClass = RecipientClass::To;
  Text name;     // the display name, or the address when the list gave none
  Text address;  // "SMTP:" and the address
  friend bool operator==(const MapiRecipientText&, const MapiRecipientText&) = default;
};

template <typename Text>
struct MapiMessageText {
  Text subject;
  Text body;  // the user's lines joined by CR LF
  std::vector<MapiRecipientText<Text>> recipients;
  Text attachmentPath;  // full path
  Text attachmentName;  // the file name the mail shows
};

// For MAPISendMail: Shift-JIS bytes, as the draft holds them.
using MapiMessageAnsi = MapiMessageText<std::string>;
// For MAPISendMailW: UTF-16.
using MapiMessageWide = MapiMessageText<std::wstring>;

// What the mail is made from: the draft's subject (the mail keeps it as it was, colons
// and all), the text area's whole text (its logical lines, not the wrapped display
// lines), the header lines taken from the draft and the picture's path. Shift-JIS.
struct MapiMailSource {
  std::string subject;
  std::string bodyText;
  std::vector<std::string> headerLines;
  std::string picturePath;
};

// The mail in Shift-JIS. The body's line ends all become CR LF; the recipients are those
// of the "To:" and "Cc:" lines; the attachment is named by the path's last part.
MapiMessageAnsi planMapiMessage(const MapiMailSource& source);

// The same mail in UTF-16, through the one conversion module.
MapiMessageWide widenMapiMessage(const MapiMessageAnsi& message);

// The message (UTF-8) for an answer other than success and user-abort: what went wrong
// in a few words and the error's name, such as
// "既定のメールソフトで送れませんでした: 添付ファイルが見つかりません
// (MAPI_E_ATTACHMENT_NOT_FOUND)".
std::string mapiErrorMessage(unsigned long code);

}  // namespace fudekko

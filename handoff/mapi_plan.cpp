#include "handoff/mapi_plan.h"

#include <array>
#include <string_view>

#include "common/shift_jis.h"
#include "draft/draft_intake.h"

namespace fudekko {

namespace {

// The path's last part, found by characters: a trail byte 0x5C is no separator.
std::string fileNameOf(const std::string& path) {
  std::size_t start = 0;
  for (std::size_t at = 0; at < path.size(); at += sjisCharLength(path, at)) {
    if (path[at] == '\\' || path[at] == '/' || path[at] == ':') start = at + 1;
  }
  return path.substr(start);
}

bool hasSmtpPrefix(const std::string& address) {
  if (address.size() < 5) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    const char c = address[i];
    if ((c >= 'a' && c <= 'z' ? c - 32 : c) != "SMTP"[i]) return false;
  }
  return address[4] == ':';
}

struct MapiErrorWords {
  unsigned long code;
  const char* name;
  const char* words;
};

constexpr std::array kMapiErrors = {
    MapiErrorWords{1, "MAPI_E_USER_ABORT", "送信が取り消されました"},
    MapiErrorWords{2, "MAPI_E_FAILURE", "メールソフトがエラーを返しました"},
    MapiErrorWords{3, "MAPI_E_LOGON_FAILURE", "メールソフトにログオンできません"},
    MapiErrorWords{4, "MAPI_E_DISK_FULL", "ディスクがいっぱいです"},
    MapiErrorWords{5, "MAPI_E_INSUFFICIENT_MEMORY", "メモリが足りません"},
    MapiErrorWords{6, "MAPI_E_ACCESS_DENIED", "アクセスが拒否されました"},
    MapiErrorWords{8, "MAPI_E_TOO_MANY_SESSIONS", "セッションが多すぎます"},
    MapiErrorWords{9, "MAPI_E_TOO_MANY_FILES", "添付ファイルが多すぎます"},
    MapiErrorWords{10, "MAPI_E_TOO_MANY_RECIPIENTS", "宛先が多すぎます"},
    MapiErrorWords{11, "MAPI_E_ATTACHMENT_NOT_FOUND", "添付ファイルが見つかりません"},
    MapiErrorWords{12, "MAPI_E_ATTACHMENT_OPEN_FAILURE", "添付ファイルを開けません"},
    MapiErrorWords{13, "MAPI_E_ATTACHMENT_WRITE_FAILURE", "添付ファイルを書き込めません"},
    MapiErrorWords{14, "MAPI_E_UNKNOWN_RECIPIENT", "宛先が不明です"},
    MapiErrorWords{15, "MAPI_E_BAD_RECIPTYPE", "宛先の種類が正しくありません"},
    MapiErrorWords{17, "MAPI_E_INVALID_MESSAGE", "メールの内容が正しくありません"},
    MapiErrorWords{18, "MAPI_E_TEXT_TOO_LARGE", "本文が長すぎます"},
    MapiErrorWords{19, "MAPI_E_INVALID_SESSION", "セッションが無効です"},
    MapiErrorWords{20, "MAPI_E_TYPE_NOT_SUPPORTED", "この種類のメールは扱えません"},
    MapiErrorWords{21, "MAPI_E_AMBIGUOUS_RECIPIENT", "宛先があいまいです"},
    MapiErrorWords{22, "MAPI_E_MESSAGE_IN_USE", "メールが使用中です"},
    MapiErrorWords{23, "MAPI_E_NETWORK_FAILURE", "ネットワークのエラーです"},
    MapiErrorWords{24, "MAPI_E_INVALID_EDITFIELDS", "編集欄の指定が正しくありません"},
    MapiErrorWords{25, "MAPI_E_INVALID_RECIPS", "宛先が正しくありません"},
    MapiErrorWords{26, "MAPI_E_NOT_SUPPORTED", "メールソフトがこの送り方に対応していません"},
    MapiErrorWords{27, "MAPI_E_UNICODE_NOT_SUPPORTED", "メールソフトが Unicode に対応していません"},
};

}  // namespace

MapiMessageAnsi planMapiMessage(const MapiMailSource& source) {
  MapiMessageAnsi message;
  message.subject = source.subject;
  message.body = normaliseLineEnds(source.bodyText);
  for (Recipient& recipient : recipientsOfHeaderLines(source.headerLines)) {
    Mailbox& mailbox = recipient.mailbox;
    std::string bare =
        hasSmtpPrefix(mailbox.address) ? mailbox.address.substr(5) : std::move(mailbox.address);
    std::string address = "SMTP:" + bare;
    std::string name = mailbox.name.empty() ? std::move(bare) : std::move(mailbox.name);
    message.recipients.push_back({recipient.recipientClass, std::move(name), std::move(address)});
  }
  message.attachmentPath = source.picturePath;
  message.attachmentName = fileNameOf(source.picturePath);
  return message;
}

MapiMessageWide widenMapiMessage(const MapiMessageAnsi& message) {
  MapiMessageWide wide;
  wide.subject = sjisToWide(message.subject);
  wide.body = sjisToWide(message.body);
  for (const auto& recipient : message.recipients) {
    wide.recipients.push_back(
        {recipient.recipientClass, sjisToWide(recipient.name), sjisToWide(recipient.address)});
  }
  wide.attachmentPath = sjisToWide(message.attachmentPath);
  wide.attachmentName = sjisToWide(message.attachmentName);
  return wide;
}

std::string mapiErrorMessage(unsigned long code) {
  std::string message = "既定のメールソフトで送れませんでした: ";
  for (const MapiErrorWords& error : kMapiErrors) {
    if (error.code == code) {
      return message + error.words + " (" + error.name + ")";
    }
  }
  return message + "不明なエラー (MAPI " + std::to_string(code) + ")";
}

}  // namespace fudekko

// A stand-in Simple MAPI provider for the end-to-end tests: registered as the default
// mail client, it receives what a program hands to MAPISendMailW or MAPISendMail and
// records every field, as one line of JSON in UTF-8, to the file named by
// FUDEKKO_MAPI_LOG. It answers what FUDEKKO_MAPI_ANSWER says (a decimal MAPI code,
// such as 1 for MAPI_USER_ABORT), or success. It shows no window and sends nothing.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/shift_jis.h"
#include "handoff/simple_mapi_win32.h"

namespace {

using fudekko::win32::MapiFileDescW;
using fudekko::win32::MapiMessageW;
using fudekko::win32::MapiRecipDescW;

std::wstring environment(const wchar_t* name) {
  wchar_t value[2048] = {};
  const DWORD length = ::GetEnvironmentVariableW(name, value, 2048);
  return length > 0 && length < 2048 ? std::wstring(value, length) : std::wstring();
}

std::string jsonString(const std::string& utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += "\"";
  return out;
}

// The ANSI call's text is code page 932, as Fudekko hands it.
std::string text(const char* value) {
  return value ? jsonString(fudekko::sjisToUtf8(value)) : "null";
}
std::string text(const wchar_t* value) {
  return value ? jsonString(fudekko::wideToUtf8(value)) : "null";
}

// Built by appending: chains of operator+ on temporaries draw false -Wrestrict warnings
// from the cross-compiler.
template <typename Recipient>
std::string recipientJson(const Recipient& recipient) {
  std::string json = "{\"class\":";
  json += std::to_string(recipient.ulRecipClass);
  json += ",\"name\":";
  json += text(recipient.lpszName);
  json += ",\"address\":";
  json += text(recipient.lpszAddress);
  json += "}";
  return json;
}

template <typename File>
std::string fileJson(const File& file) {
  std::string json = "{\"path\":";
  json += text(file.lpszPathName);
  json += ",\"name\":";
  json += text(file.lpszFileName);
  json += ",\"position\":";
  json += std::to_string(file.nPosition);
  json += ",\"flags\":";
  json += std::to_string(file.flFlags);
  json += "}";
  return json;
}

template <typename Message>
std::string messageJson(const char* call, ULONG_PTR uiParam, const Message* message, FLAGS flags) {
  std::string json = "{\"call\":\"";
  json += call;
  json += "\",\"flags\":";
  json += std::to_string(flags);
  json += ",\"owner\":";
  json += uiParam ? "true" : "false";
  // Whether the caller's window still took input while the call was under way.
  json += ",\"ownerEnabled\":";
  json += uiParam && ::IsWindowEnabled(reinterpret_cast<HWND>(uiParam)) ? "true" : "false";
  if (!message) {
    json += ",\"message\":null}";
    return json;
  }
  json += ",\"subject\":";
  json += text(message->lpszSubject);
  json += ",\"body\":";
  json += text(message->lpszNoteText);
  json += ",\"recipients\":[";
  for (ULONG i = 0; i < message->nRecipCount && message->lpRecips; ++i) {
    if (i) json += ",";
    json += recipientJson(message->lpRecips[i]);
  }
  json += "],\"files\":[";
  for (ULONG i = 0; i < message->nFileCount && message->lpFiles; ++i) {
    if (i) json += ",";
    json += fileJson(message->lpFiles[i]);
  }
  json += "]}";
  return json;
}

ULONG record(const std::string& line) {
  const std::wstring log = environment(L"FUDEKKO_MAPI_LOG");
  if (!log.empty()) {
    if (std::FILE* file = ::_wfopen(log.c_str(), L"ab")) {
      std::fwrite(line.data(), 1, line.size(), file);
      std::fputc('\n', file);
      std::fclose(file);
    }
  }
  const std::wstring answer = environment(L"FUDEKKO_MAPI_ANSWER");
  return answer.empty() ? 0 : static_cast<ULONG>(std::wcstoul(answer.c_str(), nullptr, 10));
}

}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI
    MAPISendMailW(LHANDLE, ULONG_PTR uiParam, MapiMessageW* message, FLAGS flags, ULONG) {
  return record(messageJson("MAPISendMailW", uiParam, message, flags));
}

extern "C" __declspec(dllexport) ULONG WINAPI
    MAPISendMail(LHANDLE, ULONG_PTR uiParam, MapiMessage* message, FLAGS flags, ULONG) {
  return record(messageJson("MAPISendMail", uiParam, message, flags));
}

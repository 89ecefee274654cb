#include "handoff/save_as_plan.h"

#include <string_view>

#include "handoff/send_plan.h"

namespace fudekko {

namespace {

// The longest file name the file system takes, in characters.
constexpr std::size_t kMaxNameChars = PathLimits{}.maxName;

bool equalIgnoringCase(std::wstring_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const wchar_t c = a[i] >= L'A' && a[i] <= L'Z' ? a[i] + 32 : a[i];
    if (c != static_cast<wchar_t>(b[i])) return false;
  }
  return true;
}

}  // namespace

std::size_t saveAsTypeIndex(AttachmentFormat format) {
  for (std::size_t i = 0; i < kSaveAsFormats.size(); ++i) {
    if (kSaveAsFormats[i] == format) return i + 1;
  }
  return 1;
}

AttachmentFormat saveAsFormatAt(std::size_t index) {
  return index >= 1 && index <= kSaveAsFormats.size() ? kSaveAsFormats[index - 1]
                                                      : kSaveAsFormats[0];
}

std::string defaultSaveAsName(const std::string& subject, const std::string& firstBodyLine,
                              AttachmentFormat format) {
  const std::string_view extension = attachmentExtension(format);
  return safeFileStem(replaceColons(subjectOrFallback(subject, firstBodyLine)),
                      kMaxNameChars - extension.size()) +
         std::string(extension);
}

std::wstring withSaveAsExtension(std::wstring path, AttachmentFormat format) {
  const std::string_view wanted = attachmentExtension(format);
  const std::size_t nameStart = path.find_last_of(L"\\/:") + 1;  // npos + 1 is 0
  const std::size_t dot = path.rfind(L'.');
  if (dot != std::wstring::npos && dot >= nameStart) {
    const std::wstring_view extension = std::wstring_view(path).substr(dot);
    if (equalIgnoringCase(extension, wanted)) return path;
    for (const AttachmentFormat other : kSaveAsFormats) {
      if (equalIgnoringCase(extension, attachmentExtension(other))) {
        path.erase(dot);
        return path + std::wstring(wanted.begin(), wanted.end());
      }
    }
  }
  while (path.size() > nameStart && (path.back() == L'.' || path.back() == L' ')) path.pop_back();
  return path + std::wstring(wanted.begin(), wanted.end());
}

std::wstring withoutAppendedExtension(std::wstring path, AttachmentFormat format) {
  const std::string_view appended = attachmentExtension(format);
  if (path.size() < appended.size() ||
      !equalIgnoringCase(std::wstring_view(path).substr(path.size() - appended.size()), appended)) {
    return path;
  }
  const std::wstring_view rest = std::wstring_view(path).substr(0, path.size() - appended.size());
  for (const AttachmentFormat other : kSaveAsFormats) {
    const std::string_view extension = attachmentExtension(other);
    if (other != format && rest.size() > extension.size() &&
        equalIgnoringCase(rest.substr(rest.size() - extension.size()), extension)) {
      path.resize(rest.size());
      return path;
    }
  }
  return path;
}

}  // namespace fudekko

// The picture's file name made from the mail's subject, which the sender of a reply or
// anyone writing the draft controls. Whatever the subject, the name is a plain name
// inside the temporary folder, never a device, and keeps the subject's characters one
// for one, every two-byte character unchanged.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/shift_jis.h"
#include "fuzz/fuzz_check.h"
#include "handoff/send_plan.h"

using namespace fudekko;

namespace {

std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> result;
  for (std::size_t at = 0; at < text.size(); at += sjisCharLength(text, at)) {
    result.push_back(text.substr(at, sjisCharLength(text, at)));
  }
  return result;
}

// A single-byte character that a plain file name may hold.
bool allowedSingle(unsigned char byte) {
  if (byte < 0x20 || byte == 0x7F || byte == 0x80 || byte == 0xA0 || byte >= 0xFD) return false;
  if (isSjisLeadByte(byte)) return false;  // a lead byte without its trail byte
  return std::string_view("\\/:*?\"<>|").find(static_cast<char>(byte)) == std::string_view::npos;
}

// The device a name opens instead of a file, by the platform's rule: the part before
// the first dot, blanks at its end left out, in any letter case.
bool namesDevice(std::string_view name) {
  std::string word(name.substr(0, name.find('.')));
  while (!word.empty() && word.back() == ' ') word.pop_back();
  for (char& c : word) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  static const std::array<std::string_view, 6> fixed = {"CON", "PRN",    "AUX",
                                                        "NUL", "CONIN$", "CONOUT$"};
  for (const std::string_view device : fixed) {
    if (word == device) return true;
  }
  return word.size() == 4 && (word.starts_with("COM") || word.starts_with("LPT")) &&
         word[3] >= '0' && word[3] <= '9';
}

void checkPlainName(std::string_view subject, std::string_view name, std::size_t maxChars) {
  const auto in = characters(subject);
  const auto out = characters(name);
  FUZZ_CHECK(!out.empty(), "an empty name");
  FUZZ_CHECK(out.size() == std::max<std::size_t>(1, std::min(in.size(), maxChars)),
             "characters added or dropped");
  for (std::size_t i = 0; i < out.size(); ++i) {
    const bool twoByte = i < std::min(in.size(), maxChars) && in[i].size() == 2;
    if (twoByte) {
      FUZZ_CHECK(out[i] == in[i], "a two-byte character changed");
    } else {
      FUZZ_CHECK(out[i] == "_" || (i < in.size() && out[i] == in[i]),
                 "a character became another than itself or _");
      FUZZ_CHECK(out[i].size() == 1 && allowedSingle(static_cast<unsigned char>(out[i][0])),
                 "a character no file name may hold");
    }
  }
  FUZZ_CHECK(name.find("..") == std::string_view::npos, "a run of dots");
  FUZZ_CHECK(name.back() != '.' && name.back() != ' ', "a trailing dot or blank");
  FUZZ_CHECK(!namesDevice(name), "a device name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t maxChars = data[0];
  const std::string folders[] = {"C:\\Temp", "C:\\Temp\\", "C:\\\x95\x5C", "C:/tmp/",
                                 std::string(200, 'd')};
  const std::string& folder = folders[data[1] % 5];
  const std::string subject(fuzz::asText(data + 2, size - 2));

  checkPlainName(subject, safeFileStem(subject, maxChars), maxChars);

  // The whole path, as Send makes it: the colons replaced first.
  const std::string cleaned = replaceColons(subject);
  // Byte for byte: a stray lead byte in front of a colon may pair with its "_", and the
  // name is checked against the cleaned subject below.
  for (std::size_t i = 0; i < subject.size(); ++i) {
    FUZZ_CHECK(cleaned[i] == (subject[i] == ':' ? '_' : subject[i]), "a byte other than : changed");
  }
  const PathLimits limits{std::size_t{60} + data[0] % 200, 255};
  // The separator is found by characters: the folder's last trail byte may be 0x5C.
  const std::string_view last = characters(folder).back();
  const std::string prefix = last == "\\" || last == "/" ? folder : folder + "\\";
  for (const AttachmentFormat format :
       {AttachmentFormat::Bmp, AttachmentFormat::Png, AttachmentFormat::Gif}) {
    std::string path;
    try {
      path = picturePath(folder, cleaned, format, limits);
    } catch (const TemporaryFolderError&) {
      FUZZ_CHECK(sjisCharCount(prefix) + 5 > limits.maxPath, "a folder with room was refused");
      continue;
    }
    FUZZ_CHECK(path.starts_with(prefix), "the picture is not in the folder");
    FUZZ_CHECK(sjisCharCount(path) <= limits.maxPath, "the path is longer than the limit");
    const std::string name = path.substr(prefix.size());
    const std::string extension(attachmentExtension(format));
    FUZZ_CHECK(name.ends_with(extension), "the extension is missing");
    FUZZ_CHECK(sjisCharCount(name) <= limits.maxName, "the name is longer than the limit");
    const std::string stem = name.substr(0, name.size() - extension.size());
    checkPlainName(cleaned, stem, sjisCharCount(stem));
    FUZZ_CHECK(!namesDevice(name), "the file name names a device");
  }
  return 0;
}

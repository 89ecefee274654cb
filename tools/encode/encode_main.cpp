// fudekko-encode --format bmp|png|gif [--level N] IN.bmp OUT
//
// Reads a 24- or 32-bit BMP as the composite picture and writes it with the settings
// that Send uses, so the writers can be tried on any picture and their files opened in
// other programs. On any failure it prints one line on stderr, exits non-zero and
// leaves no output file behind that it wrote itself.

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "common/byte_stream.h"
#include "common/errors.h"
#include "common/replace_file.h"
#include "handoff/attachment.h"
#include "imaging/bmp_reader.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cwchar>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "common/shift_jis.h"

namespace fudekko {
namespace {

constexpr char kUsage[] = "usage: fudekko-encode --format bmp|png|gif [--level N] IN.bmp OUT";

struct NamedFormat {
  std::string_view name;
  AttachmentFormat format;
};

constexpr NamedFormat kFormats[] = {
    {"bmp", AttachmentFormat::Bmp},
    {"png", AttachmentFormat::Png},
    {"gif", AttachmentFormat::Gif},
};

void fail(const std::string& message) {
  std::fprintf(stderr, "fudekko-encode: %s\n", message.c_str());
}

bool parseLevel(std::string_view text, std::int32_t& level) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, level);
  return error == std::errc() && at == end && !text.empty();
}

bool pathExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(fileSystemPath(path), ignored) ||
         std::filesystem::is_symlink(fileSystemPath(path), ignored);
}

// Creates `path` as a new, empty file; false when something already has that name.
bool createNewFile(const std::string& path) {
#ifdef _WIN32
  const int file = _wopen(sjisToWide(path).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                          _S_IREAD | _S_IWRITE);
#else
  const int file = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0666);
#endif
  if (file < 0) {
    if (errno == EEXIST) return false;
    throw FileCreateError(path);
  }
#ifdef _WIN32
  _close(file);
#else
  ::close(file);
#endif
  return true;
}

// A new file beside `path`, made here, so that removing it after a failure can never
// remove a file that another program made under the same name meanwhile.
std::string newFileBeside(const std::string& path) {
  for (unsigned n = 0;; ++n) {
    std::string candidate = path + ".encode" + std::to_string(n) + ".tmp";
    if (createNewFile(candidate)) return candidate;
  }
}

// `args` are the arguments after the program name, paths in Shift-JIS.
int runEncode(const std::vector<std::string>& args) {
  const NamedFormat* format = nullptr;
  std::int32_t pngLevel = kSendPngLevel;
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--format" || arg == "--level") {
      if (i + 1 == args.size()) {
        fail(arg + " needs a value; " + kUsage);
        return 2;
      }
      const std::string& value = args[++i];
      if (arg == "--level") {
        if (!parseLevel(value, pngLevel)) {
          fail("--level wants a whole number, not \"" + value + "\"");
          return 2;
        }
        continue;
      }
      format = nullptr;
      for (const NamedFormat& candidate : kFormats) {
        if (candidate.name == value) format = &candidate;
      }
      if (!format) {
        fail("unknown format \"" + value + "\"; " + kUsage);
        return 2;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      fail("unknown option \"" + arg + "\"; " + kUsage);
      return 2;
    } else {
      paths.push_back(arg);
    }
  }
  if (!format || paths.size() != 2) {
    fail(std::string(!format ? "--format is missing; " : "expected IN.bmp and OUT; ") + kUsage);
    return 2;
  }
  const std::string& input = paths[0];
  const std::string& output = paths[1];

  Picture picture;
  try {
    picture = readBmpFile(input);
  } catch (const FileOpenError& e) {
    fail(e.what());
    return 1;
  } catch (const std::exception& e) {
    fail(input + ": " + e.what());
    return 1;
  }

  // A plain file (or none yet) is written beside itself and renamed into place only
  // when complete: a failure leaves whatever stood there. Anything else (a device such
  // as /dev/full) is written to directly and never removed.
  const bool besideOutput = isPlainFile(output) || !pathExists(output);
  try {
    if (besideOutput) {
      const std::string made = newFileBeside(output);  // the only file ever removed
      const bool renamed = writeBesideThenRename(fileSystemPath(made), fileSystemPath(output), [&] {
        writeAttachment(picture, made, format->format, pngLevel);
      });
      if (!renamed) throw FileCreateError(output);
    } else {
      writeAttachment(picture, output, format->format, pngLevel);
    }
  } catch (const FileCreateError&) {
    fail(FileCreateError(output).what());
    return 1;
  } catch (const std::exception& e) {
    fail(output + ": " + (dynamic_cast<const std::bad_alloc*>(&e) ? "out of memory" : e.what()));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace fudekko

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(fudekko::wideToSjis(argv[i]));
  return fudekko::runEncode(args);
}
#else
int main(int argc, char** argv) {
  return fudekko::runEncode(std::vector<std::string>(argv + 1, argv + argc));
}
#endif

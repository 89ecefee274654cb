#pragma once
// Save as, worked out without the platform: the default file name, the types the save
// dialog offers and the extension that follows the chosen type.

#include <array>
#include <cstddef>
#include <string>

#include "handoff/attachment.h"

namespace fudekko {

// The dialog's types in the order it lists them: PNG first, then GIF and BMP.
inline constexpr std::array kSaveAsFormats = {AttachmentFormat::Png, AttachmentFormat::Gif,
                                              AttachmentFormat::Bmp};

// The type's place in the dialog's list, counted from 1 as the dialog counts.
std::size_t saveAsTypeIndex(AttachmentFormat format);
// The type at a place in the list; PNG for a place outside it.
AttachmentFormat saveAsFormatAt(std::size_t index);

// The default file name (Shift-JIS): the subject's safe file name by the same rule as
// Send's picture (the first body line or "無題" without a subject, colons replaced),
// with the extension of `format`.
std::string defaultSaveAsName(const std::string& subject, const std::string& firstBodyLine,
                              AttachmentFormat format);

// The path the picture is written to for the name the user chose (UTF-16): a picture
// extension of another type (".png", ".gif", ".bmp" in any letter case) is replaced by
// that of `format`; any other name, one with no extension or another one (a.txt) alike,
// gets the extension appended, after trailing dots and blanks, which the file system
// would drop, are cut. A name that already has the type's extension stays as it is.
std::wstring withSaveAsExtension(std::wstring path, AttachmentFormat format);

// The name the user typed, from what the system's item dialog gives back: some append
// the chosen type's extension to a name that has another picture type's ("a.gif" with
// PNG chosen comes back "a.gif.png"); that appended one goes ("a.gif"), so that
// withSaveAsExtension applies its rule to the name as typed.
std::wstring withoutAppendedExtension(std::wstring path, AttachmentFormat format);

}  // namespace fudekko

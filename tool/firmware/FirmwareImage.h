// Which firmware generation an image file carries. Images are 32-bit ELF
// executables in big-endian byte order; from 3.07 on they hold a section
// named ".jx_rev_id..." whose contents are the revision text ("... V 3.07").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Classes of a firmware image.
inline constexpr int kJxImageNotValid = -1;     // not a firmware image, or damaged
inline constexpr int kJxImageBefore307 = 1;     // no revision section
inline constexpr int kJxImage307 = 2;           // revision 3.07
inline constexpr int kJxImage308OrLater = 3;    // any other revision

// Class of the image in `path`: -1 when the file cannot be read, is not an
// executable image, or any table, section name or revision text it points to
// lies outside the file.
int ClassifyFirmwareFile(const std::string& path);
// The same for an image in memory.
int ClassifyFirmwareImage(const uint8_t* data, size_t size);
// Class of a revision text: what follows the character after its last "V"
// (or the text without its first character when it holds no "V") compared
// with "3.07" ignoring case.
int ClassifyRevisionText(std::string_view revision);

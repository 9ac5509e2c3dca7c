// The documents a controller serves and keeps: DIRECTORY.XML and STATUS.XML
// generated at every get, PLAYLIST.XML from the playlist it runs, its
// factory CONFIG.XML, the sample files of a fresh controller, and the
// revision text inside a firmware image.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CFileStore.h"
#include "SimTypes.h"

namespace jxsim {

struct CPlaylistEntry;

// Attribute text with &, <, >, " and ' written as entities; bytes that are
// not UTF-8 are taken as Latin-1 and converted, so the document stays UTF-8.
std::string XmlAttributeText(const std::string& value);

std::string DirectoryXml(const std::vector<CFileEntry>& files);

struct CStatusFigures {
    std::string displayName;
    int64_t mem = 0, fmem = 0, dmem = 0, vmem = 0, vfmem = 0;
    std::string version;  // "TJX-3.08"
    uint8_t address = 0;
    int64_t time = 0;     // the controller's clock, seconds since 1970
    int resets = 0;
};
std::string StatusXml(const CStatusFigures& status);

std::string PlaylistXml(const std::vector<CPlaylistEntry>& playlist);

struct CConfigDefaults {
    std::string displayName = "Halvane 16 x 48 Monochrome";
    uint32_t baud = 19200;
    uint16_t tcpPort = 3001;
};
// A controller's CONFIG.XML as it leaves the factory: every element and
// attribute that the configuration tool edits, with the four ports.
std::string FactoryConfigXml(const CConfigDefaults& defaults);

// One element of an XML text with its attributes, as far as a controller
// reads its own documents: start tags only, quoted attribute values, entities
// &amp; &lt; &gt; &quot; &apos; decoded.
struct CXmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    const std::string* Attribute(const std::string& key) const;
};
std::vector<CXmlElement> ScanXmlElements(const std::string& text);

// A small firmware image (32-bit big-endian ELF executable) whose revision
// section holds `revision`, e.g. "Tolvar Jx firmware V 3.08".
Bytes MakeFirmwareImage(const std::string& revision);
// The revision text of an image, or nothing when it has no readable one.
// Every offset is checked against the image's length.
std::optional<std::string> FirmwareRevision(const Bytes& image);
// The version number in a revision text: what follows its last 'V', trimmed.
std::string VersionFromRevision(const std::string& revision);

struct CSampleFile {
    std::string name;
    Bytes data;
    int64_t sec = 0;
};
// What a controller holds when it leaves the factory besides CONFIG.XML.
std::vector<CSampleFile> SampleFiles(const std::string& version);

// Names the controller generates itself; they cannot be written, deleted or
// renamed, and are compared without regard to case.
bool IsGeneratedDocument(const std::string& name);

}  // namespace jxsim

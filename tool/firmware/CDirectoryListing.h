// Reads the file names out of a DIRECTORY.XML saved to a file. Every child
// of DIR with a non-empty "name" counts, whatever its tag: the firmware
// removal must see every file the controller lists.
#pragma once

#include <string>
#include <vector>

#include "xml/CXmlDocument.h"

class CDirectoryListing {
public:
    // Loads `path` (bare LFs read as CR LF) and puts its names into `list`,
    // in document order. False, with `list` empty, when the file cannot be
    // read or parsed; a document whose top element is not DIR lists nothing.
    bool Load(const std::string& path, std::vector<std::string>& list);

    bool Loaded() const { return m_loaded; }
    const std::string& Text() const { return m_text; }

private:
    CXmlDocument m_document;
    std::string m_text;
    bool m_loaded = false;
};

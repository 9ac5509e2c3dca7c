// Readable rows in test failures.
#pragma once

#include <ostream>

#include "filetransfer/RemotePane.h"

inline void PrintTo(const CFileListRow& row, std::ostream* os)
{
    *os << "{\"" << row.name << "\", \"" << row.sizeText << "\", \"" << row.timeText << "\", " << row.itemData << "}";
}

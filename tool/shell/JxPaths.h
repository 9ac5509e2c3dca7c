// The folders the tool uses, in their Linux places:
//   program folder  the directory of the running executable
//   temp folder     $TMPDIR, else /tmp (no trailing separator)
//   data folder     $JXCONFIG_DATA_DIR, else $XDG_DATA_HOME/Corvanta/Tolvar/,
//                   else ~/.local/share/Corvanta/Tolvar/ (created when
//                   missing; always ends with "/")
#pragma once

#include <string>

std::string JxProgramFolder();
std::string JxTempFolder();
// Creates the folder (and its parents) when missing; empty when it cannot.
std::string JxDataFolder();
// Read-only data shipped with the program (MODULES.XML): beside the
// executable, else in ../share/jxconfig/. Returns the folder without a
// trailing separator where `fileName` exists, else the program folder.
std::string JxShippedDataFolder(const std::string& fileName);

bool JxFileExists(const std::string& path);
bool JxFolderExists(const std::string& path);
// "a" + "b" with exactly one "/" between.
std::string JxJoinPath(const std::string& folder, const std::string& name);

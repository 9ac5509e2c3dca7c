// Draws each window of the tool into a PNG file, for the documentation.
#pragma once

#include <QString>
#include <string>

class CJxConfigApp;

// Returns the program's exit status (0 when every picture was written).
int RenderScreenshots(CJxConfigApp& app, const std::string& programVersion, const QString& folder);

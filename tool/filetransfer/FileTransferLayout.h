// Where every control of the File Transfer window sits for a client size:
// margins of 10, two panes of equal width with ">>" and "<<" between them,
// each list filling its pane between its header and its button row, and the
// column widths of both lists. The buttons keep the sizes the window gives.
#pragma once

#include <array>

inline constexpr int kJxFileTransferMinWidth = 582;
inline constexpr int kJxFileTransferMinHeight = 440;
inline constexpr int kJxFileTransferMargin = 10;
inline constexpr int kJxNameColumnInitial = 165;
inline constexpr int kJxSizeColumnInitial = 45;
inline constexpr int kJxTimeColumnInitial = 105;

struct CLayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool operator==(const CLayoutRect&) const = default;
};

struct CLayoutSize {
    int width = 0;
    int height = 0;

    bool operator==(const CLayoutSize&) const = default;
};

// The sizes the window measures; the defaults suit a 9-point font.
struct CFileTransferLayoutInput {
    int clientWidth = kJxFileTransferMinWidth;
    int clientHeight = kJxFileTransferMinHeight;
    CLayoutSize arrowButton{40, 25};      // ">>" and "<<"
    CLayoutSize paneButton{50, 25};       // each button under a list
    CLayoutSize disconnectButton{80, 25};
    CLayoutSize browseButton{70, 25};
    int groupTitleHeight = 10;            // a group box's title, above its inner margin
    int lineHeight = 20;                  // one header line (the Directory row, each remote text line)
    int directoryLabelWidth = 55;         // "Directory:"
    int displayNameLabelWidth = 75;       // "Display Name:"
};

struct CFileTransferLayout {
    // Local pane ("Local System:")
    CLayoutRect localPane;
    CLayoutRect directoryLabel, directoryEdit, browseButton;
    CLayoutRect localList;
    std::array<CLayoutRect, 4> localButtons;   // Delete, Refresh, Rename, MkDir
    // Between the panes
    CLayoutRect uploadButton;                  // ">>"
    CLayoutRect downloadButton;                // "<<"
    // Remote pane ("Remote Display:")
    CLayoutRect remotePane;
    CLayoutRect displayNameLabel, displayNameValue, memoryLine, volatileMemoryLine;
    CLayoutRect remoteList;
    std::array<CLayoutRect, 4> remoteButtons;  // Delete, Refresh, Rename, Reset
    CLayoutRect disconnectButton;
    // Name, Size, Time of both lists (they have the same width)
    std::array<int, 3> columnWidths{};

    bool operator==(const CFileTransferLayout&) const = default;
};

// Lays the window out for the input's client size; a size under the minimum
// (582 x 440) is laid out as the minimum, since the window cannot be smaller.
CFileTransferLayout LayOutFileTransfer(const CFileTransferLayoutInput& input);

// Column widths for a list `listWidth` wide: Name 45 %, Size 15 % (at most
// 70), Time 40 % (at most 180), each truncated; Name gains what the caps take.
std::array<int, 3> JxFileListColumnWidths(int listWidth);

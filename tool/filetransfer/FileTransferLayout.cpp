#include "FileTransferLayout.h"

#include <algorithm>

namespace {

constexpr int kMargin = kJxFileTransferMargin;

// A row of buttons from `x`, `gap` apart.
template <size_t N>
void PlaceRow(std::array<CLayoutRect, N>& row, int x, int y, CLayoutSize size)
{
    for (size_t i = 0; i < N; ++i)
        row[i] = {x + static_cast<int>(i) * (size.width + kMargin), y, size.width, size.height};
}

}  // namespace

std::array<int, 3> JxFileListColumnWidths(int listWidth)
{
    int name = static_cast<int>(listWidth * 0.45);
    int size = static_cast<int>(listWidth * 0.15);
    int time = static_cast<int>(listWidth * 0.4);
    if (size > 70) {
        name += size - 70;
        size = 70;
    }
    // Room for a local time in full ("Mon Dec  7 19:36:02 2026").
    if (time > 180) {
        name += time - 180;
        time = 180;
    }
    return {name, size, time};
}

CFileTransferLayout LayOutFileTransfer(const CFileTransferLayoutInput& in)
{
    const int w = std::max(in.clientWidth, kJxFileTransferMinWidth);
    const int h = std::max(in.clientHeight, kJxFileTransferMinHeight);
    const CLayoutSize arrow = in.arrowButton;
    CFileTransferLayout out;

    const int paneWidth = (w - 4 * kMargin - arrow.width) / 2;
    const int paneHeight = h - 2 * kMargin;
    out.localPane = {kMargin, kMargin, paneWidth, paneHeight};
    out.remotePane = {paneWidth + 3 * kMargin + arrow.width, kMargin, paneWidth, paneHeight};

    // ">>" above the middle, "<<" below it, between the panes.
    const int arrowX = out.localPane.Right() + kMargin;
    out.uploadButton = {arrowX, h / 2 - kMargin / 2 - arrow.height, arrow.width, arrow.height};
    out.downloadButton = {arrowX, h / 2 + kMargin / 2, arrow.width, arrow.height};

    const int listWidth = paneWidth - 2 * kMargin;
    const int line = in.lineHeight;

    // The bottom of the remote pane holds "&Disconnect" on a row of its own;
    // both button rows stand above it, so the two lists are equally high.
    const CLayoutSize disconnect = in.disconnectButton;
    const int disconnectY = out.remotePane.Bottom() - kMargin - disconnect.height;
    out.disconnectButton = {out.remotePane.Right() - kMargin - disconnect.width, disconnectY, disconnect.width,
                            disconnect.height};
    const int buttonsY = disconnectY - kMargin - in.paneButton.height;
    PlaceRow(out.localButtons, out.localPane.x + kMargin, buttonsY, in.paneButton);
    PlaceRow(out.remoteButtons, out.remotePane.x + kMargin, buttonsY, in.paneButton);

    // Local header: "Directory:", the field, "&Browse...".
    const int localX = out.localPane.x + kMargin;
    const int headerY = out.localPane.y + in.groupTitleHeight + kMargin;
    const CLayoutSize browse = in.browseButton;
    const int rowHeight = std::max(line, browse.height);
    out.directoryLabel = {localX, headerY, in.directoryLabelWidth, rowHeight};
    out.browseButton = {out.localPane.Right() - kMargin - browse.width, headerY, browse.width, browse.height};
    const int editX = out.directoryLabel.Right() + kMargin;
    out.directoryEdit = {editX, headerY, std::max(0, out.browseButton.x - kMargin - editX), rowHeight};

    // Remote header: the display name and the two memory lines.
    const int remoteX = out.remotePane.x + kMargin;
    out.displayNameLabel = {remoteX, headerY, in.displayNameLabelWidth, line};
    const int valueX = out.displayNameLabel.Right() + kMargin;
    out.displayNameValue = {valueX, headerY, std::max(0, out.remotePane.Right() - kMargin - valueX), line};
    out.memoryLine = {remoteX, headerY + line, listWidth, line};
    out.volatileMemoryLine = {remoteX, headerY + 2 * line, listWidth, line};

    // The lists start under the taller header, so they stay level.
    const int listY = std::max(out.directoryEdit.Bottom(), out.volatileMemoryLine.Bottom()) + kMargin;
    const int listHeight = std::max(0, buttonsY - kMargin - listY);
    out.localList = {localX, listY, listWidth, listHeight};
    out.remoteList = {remoteX, listY, listWidth, listHeight};
    out.columnWidths = JxFileListColumnWidths(listWidth);
    return out;
}

// Graphics on older sign controllers: a picture goes as bit planes through
// the same store and retrieve blocks as messages; removing a graphic and
// listing the stored ones are one-frame and list commands like theirs.
#include <cstring>
#include <new>
#include <vector>

#include "../CKorNetLink.h"
#include "LegacyGraphicConversion.h"
#include "LegacyTransfer.h"

using namespace kornet;
using namespace kornet::legacy;

int16_t CKorNetwork::SendGraphic(uint8_t address, const char* graphicName, const BITMAPINFO* bitmap,
                                 const uint8_t* pixels, int16_t height, int16_t width, int16_t colourMode,
                                 resp_send_graphic_s* response, uint8_t option)
{
    // What cannot be converted or sent is refused before the link is asked.
    if (!graphic::Accepted(bitmap, pixels) || width < 0 || height < 0) return ERR_GRAPHIC_UNSUPPORTED_FORMAT;
    const size_t length = graphic::PlaneSize(width, height) * static_cast<size_t>(graphic::PlaneCount(colourMode));
    if (length > static_cast<size_t>(LEGACY_MAX_DATA_LENGTH)) return ERR_GRAPHIC_UNSUPPORTED_FORMAT;

    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link);
    if (!guard.Ok()) return guard.Status();
    const std::vector<uint8_t> planes = graphic::ToPlanes(*bitmap, pixels, width, height, colourMode);
    return Store(link, address, kCodeSendGraphic, option, graphicName, planes.data(), planes.size(), response);
}

const uint8_t* CKorNetwork::GetGraphic(uint8_t address, const char* graphicName, BITMAPINFO* bitmap, int16_t height,
                                       int16_t width, int16_t& status, resp_retrieve_graphic_s* response,
                                       uint8_t option)
{
    if (width < 0 || height < 0) {
        status = ERR_GRAPHIC_UNSUPPORTED_FORMAT;
        return nullptr;
    }
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link, address);
    status = guard.Status();
    if (!guard.Ok()) return nullptr;
    uint32_t length = 0;
    const uint8_t* planes = Retrieve(link, address, kCodeGetGraphic, graphicName, option, status, response, length);
    if (planes == nullptr) return nullptr;

    // Fewer bits than two planes of the picture: not a picture of this size.
    if (static_cast<uint64_t>(length) * 8 < 2 * static_cast<uint64_t>(width) * static_cast<uint64_t>(height)) {
        link.FreeRetrieved();
        status = ERR_GRAPHIC_UNSUPPORTED_FORMAT;
        return nullptr;
    }
    BITMAPINFO header;
    std::vector<uint8_t> pixels;
    try {
        pixels = graphic::FromPlanes(planes, length, width, height, header);
    } catch (const std::bad_alloc&) {
        link.FreeRetrieved();
        status = ERR_GRAPHIC_UNSUPPORTED_FORMAT;
        return nullptr;
    }
    link.retrieved.swap(pixels);
    if (bitmap != nullptr) std::memcpy(bitmap, &header, sizeof header);
    return link.retrieved.empty() ? nullptr : link.retrieved.data();
}

int16_t CKorNetwork::RemoveGraphic(uint8_t address, const char* graphicName, resp_remove_graphic_s* response,
                                   uint8_t option)
{
    uint8_t request[32] = {};
    PutHead(request, kCodeRemoveGraphic, option, graphicName);
    return m_link->RunCommand(address, request, sizeof request, response, sizeof(resp_remove_graphic_s),
                              kErrorByte);
}

const graphiclist_entry_s* CKorNetwork::GetGraphicList(uint8_t address, int16_t& status,
                                                       resp_retrieve_graphiclist_s* response, uint8_t option)
{
    CKorNetLink& link = *m_link;
    CKorNetBusy guard(link, address);
    status = guard.Status();
    if (!guard.Ok()) return nullptr;
    const uint8_t* entries = RetrieveList(link, address, kCodeGetGraphicList, status, response, option);
    return reinterpret_cast<const graphiclist_entry_s*>(entries);
}

// The older command set's stores: messages (5), schedules (11) and graphics
// (26) arrive as a 64-byte header and 255-byte data blocks (3); messages (8)
// and graphics (37) go back as a 64-byte header reply and block requests
// (4), as do the lists of stored messages (9) and graphics (27). An item
// being sent is kept aside until its last block has arrived, so a transfer
// that breaks off never replaces the stored copy.
#include <algorithm>

#include "BlockServer.h"
#include "CSimRegistry.h"
#include "LegacySign.h"

namespace jxsim {

namespace {
enum : uint8_t {
    kDataBlock = 3,
    kBlockRequest = 4,
    kSendMessage = 5,
    kGetMessage = 8,
    kGetMessageList = 9,
    kRemoveMessage = 10,
    kSendSchedule = 11,
    kSendGraphic = 26,
    kGetGraphicList = 27,
    kRemoveGraphic = 30,
    kGetGraphic = 37,
};
const size_t kNameOffset = 2;
const size_t kStoreHeaderSize = 33;      // through the length field
const size_t kRetrieveReplySize = 64;
const size_t kListReplySize = 16;
const size_t kRetrieveErrorCopy = 32;  // a retrieval header's reply repeats its error byte here
const CDataBlockForm kDataBlockForm{.set = CCommandSet::SingleByte,
                                    .command = kDataBlock,
                                    .numberOffset = 2,
                                    .dataOffset = 8,
                                    .idle = "nothing is being received"};
const CBlockRequestForm kBlockRequestForm{
    .set = CCommandSet::SingleByte, .command = kBlockRequest, .numberOffset = 2, .idle = "nothing is being sent"};

using Store = std::map<std::string, CLegacyItem> CLegacyStores::*;

std::string Describe(const std::string& name, uint64_t bytes) { return name + ", " + std::to_string(bytes) + " bytes"; }

Store StoreFor(uint8_t code)
{
    switch (code) {
    case kSendSchedule:
        return &CLegacyStores::schedules;
    case kSendGraphic:
    case kGetGraphic:
    case kGetGraphicList:
    case kRemoveGraphic:
        return &CLegacyStores::graphics;
    default:
        return &CLegacyStores::messages;
    }
}

// --- store -----------------------------------------------------------------
void Commit(CLegacySignState& s, std::string& note)
{
    auto& in = s.in;
    in.active = false;
    in.item.data = std::move(in.data);
    (s.stores.*in.store)[in.name] = std::move(in.item);
    note = Describe(in.name, in.length) + " stored";
}

CCommandReply StoreHeader(CCommandContext& ctx)
{
    const uint8_t code = ctx.Data()[0];
    CController& c = ctx.controller;
    auto& s = c.State<CLegacySignState>();
    auto& in = s.in;
    in.active = false;  // a new header abandons any transfer in progress
    CCommandReply r = TransferReply(CCommandSet::SingleByte, code, CCommandReply::Transfer::Start);
    const std::string name = ctx.Name(kNameOffset, kLegacyNameWidth);
    r.note = name;
    auto fail = [&r](uint8_t error, const std::string& why) { return Refuse(r, error, why); };
    if (ctx.Length() < kStoreHeaderSize) return fail(kErrOutOfRange, "header too short");
    if (name.empty()) return fail(kErrOutOfRange, "no name");
    if (const uint8_t e = ctx.services.FileFailure(name); e != 0) return fail(e, "failed on request");

    const uint8_t* d = ctx.Data();
    const uint32_t blocks = Le16(d + 25);
    const uint32_t blockSize = Le16(d + 27);
    const uint32_t length = Le32(d + 29);
    r.note = Describe(name, length);
    if (const std::string why = AnnouncedBlocksFault(blocks, blockSize, length, kLegacyBlockSize); !why.empty())
        return fail(kErrOutOfRange, why);

    // The item replaces any of the same name, so its space counts as free.
    const Store store = StoreFor(code);
    const auto old = (s.stores.*store).find(name);
    const uint64_t reusable = old != (s.stores.*store).end() ? old->second.data.size() : 0;
    const uint64_t used = s.stores.StoredBytes() - reusable;
    if (used + length > c.FreeBytes()) return fail(kErrStoreFull, "out of memory");

    in.Start(blocks, blockSize, length);
    in.store = store;
    in.name = name;
    in.item = CLegacyItem{};
    std::copy_n(d + 19, 6, in.item.stamp);
    in.item.option = d[1];
    if (blocks == 0) Commit(s, r.note);
    return r;
}

CCommandReply DataBlock(CCommandContext& ctx)
{
    auto& s = ctx.controller.State<CLegacySignState>();
    CCommandReply r = TakeDataBlock(ctx, kDataBlockForm, s.in);
    if (s.in.Complete()) Commit(s, r.note);
    return r;
}

// --- retrieve --------------------------------------------------------------
CCommandReply RetrieveHeader(CCommandContext& ctx)
{
    const uint8_t code = ctx.Data()[0];
    auto& s = ctx.controller.State<CLegacySignState>();
    s.out = COutgoingBlocks{};
    CCommandReply r = TransferReply(CCommandSet::SingleByte, code, CCommandReply::Transfer::Start, kRetrieveReplySize);
    const std::string name = ctx.Name(kNameOffset, kLegacyNameWidth);
    PutNameField(r.data.data() + kNameOffset, kLegacyNameWidth, name);
    r.note = name;
    auto fail = [&r](uint8_t error, const std::string& why) { return Refuse(r, error, why, kRetrieveErrorCopy); };
    if (name.empty()) return fail(kErrOutOfRange, "no name");
    if (const uint8_t e = ctx.services.FileFailure(name); e != 0) return fail(e, "failed on request");
    const auto& store = s.stores.*StoreFor(code);
    const auto it = store.find(name);
    if (it == store.end()) return fail(kErrNotFound, "not found");

    const CLegacyItem& item = it->second;
    s.out.Start(item.data, kLegacyBlockSize);
    PutLe16(r.data.data() + 24, static_cast<uint16_t>(s.out.blocks));
    PutLe16(r.data.data() + 26, kLegacyBlockSize);
    PutLe32(r.data.data() + 28, static_cast<uint32_t>(item.data.size()));
    std::copy_n(item.stamp, 6, r.data.begin() + 33);
    r.data[39] = item.option;
    r.note = Describe(name, item.data.size());
    return r;
}

CCommandReply ListHeader(CCommandContext& ctx)
{
    const uint8_t code = ctx.Data()[0];
    auto& s = ctx.controller.State<CLegacySignState>();
    const auto& store = s.stores.*StoreFor(code);
    Bytes entries(store.size() * kLegacyListEntrySize, 0);
    size_t at = 0;
    for (const auto& [name, item] : store) {
        uint8_t* e = entries.data() + at;
        PutNameField(e, kLegacyNameWidth, name);
        std::copy_n(item.stamp, 6, e + 17);
        PutLe32(e + 23, static_cast<uint32_t>(item.data.size()));
        e[27] = item.option;
        at += kLegacyListEntrySize;
    }
    CCommandReply r = TransferReply(CCommandSet::SingleByte, code, CCommandReply::Transfer::Start, kListReplySize);
    r.statusByte = true;  // bytes 1..2 are the entry count, not an error
    const size_t count = store.size();
    s.out.Start(std::move(entries), kLegacyListBlockSize);
    PutLe16(r.data.data() + 1, static_cast<uint16_t>(count));
    PutLe16(r.data.data() + 3, static_cast<uint16_t>(s.out.blocks));
    PutLe16(r.data.data() + 5, kLegacyListBlockSize);
    r.note = std::to_string(count) + " entries";
    return r;
}

CCommandReply BlockRequest(CCommandContext& ctx)
{
    return AnswerBlockRequest(ctx, kBlockRequestForm, ctx.controller.State<CLegacySignState>().out);
}

CCommandReply Remove(CCommandContext& ctx)
{
    const uint8_t code = ctx.Data()[0];
    auto& stores = ctx.controller.State<CLegacySignState>().stores;
    CCommandReply r = CCommandReply::Single(code, kErrNone);
    const std::string name = ctx.Name(kNameOffset, kLegacyNameWidth);
    r.note = name;
    auto& store = stores.*StoreFor(code);
    uint8_t error = name.empty() ? kErrOutOfRange : ctx.services.FileFailure(name);
    if (error == 0 && store.erase(name) == 0) error = kErrNotFound;
    if (error == 0 && code == kRemoveMessage) {
        if (stores.running == name) stores.running.clear();
        if (stores.defaultMessage == name) stores.defaultMessage.clear();
    }
    r.data[1] = error;
    return r;
}
}  // namespace

uint64_t CLegacyStores::StoredBytes() const
{
    uint64_t total = 0;
    for (const auto* store : {&messages, &schedules, &graphics})
        for (const auto& [name, item] : *store) total += item.data.size();
    return total;
}

JXSIM_REGISTER(LegacyStoreCommands)
{
    CCommandTable& t = registry.Commands();
    t.Register(kSendMessage, "SendMessage header", StoreHeader);
    t.Register(kSendSchedule, "SendSchedule header", StoreHeader);
    t.Register(kSendGraphic, "SendGraphic header", StoreHeader);
    t.Register(kDataBlock, "store data block", DataBlock);
    t.Register(kGetMessage, "GetMessage header", RetrieveHeader);
    t.Register(kGetGraphic, "GetGraphic header", RetrieveHeader);
    t.Register(kGetMessageList, "GetMessageList header", ListHeader);
    t.Register(kGetGraphicList, "GetGraphicList header", ListHeader);
    t.Register(kBlockRequest, "retrieve block request", BlockRequest);
    t.Register(kRemoveMessage, "RemoveMessage", Remove);
    t.Register(kRemoveGraphic, "RemoveGraphic", Remove);
}

}  // namespace jxsim

// Jx file commands (extended prefix 0x80): send and get files, plain and
// compressed, in blocks of 246 bytes; delete and rename. A file being sent
// is kept aside until its last block has arrived and checked out, so a
// transfer that breaks off never replaces the stored copy.
#include <zlib.h>

#include <algorithm>
#include <cctype>

#include "BlockServer.h"
#include "CController.h"
#include "CSimRegistry.h"
#include "Documents.h"

namespace jxsim {

namespace {
enum : uint8_t {
    kSendHeader = 1,
    kGetHeader = 2,
    kRename = 3,
    kDelete = 4,
    kDataBlock = 5,
    kBlockRequest = 6,
    kSendCompressedHeader = 20,
    kGetCompressedHeader = 21,
};
const size_t kNameOffset = 3;
const size_t kNameWidth = 110;
const size_t kNewNameOffset = 113;
const uint16_t kBlockSize = 246;
const size_t kGetReplySize = 152;
const size_t kGetErrorCopy = 124;  // a get header's reply repeats its error byte here
const CDataBlockForm kDataBlockForm{.set = CCommandSet::Extended,
                                    .command = kDataBlock,
                                    .numberOffset = 3,
                                    .dataOffset = 9,
                                    .idle = "no file is being received"};
const CBlockRequestForm kBlockRequestForm{
    .set = CCommandSet::Extended, .command = kBlockRequest, .numberOffset = 3, .idle = "no file is being sent"};

struct CJxTransfers final : CControllerExtension {
    struct Incoming : CIncomingBlocks {
        std::string name;
        bool compressed = false;
        uint32_t fileLength = 0;  // bytes of the file once stored
        int64_t sec = 0;
    } in;
    COutgoingBlocks out;  // what the blocks carry (compressed for sub-command 21)

    void OnReboot() override
    {
        in = Incoming{};
        out = COutgoingBlocks{};
    }
};

std::string Describe(const std::string& name, uint64_t bytes) { return name + ", " + std::to_string(bytes) + " bytes"; }

std::string Upper(std::string s)
{
    for (auto& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return s;
}

// The controller's own documents, generated at every get.
bool GeneratedDocument(CController& c, const std::string& name, Bytes& out)
{
    std::string text;
    const std::string upper = Upper(name);
    if (upper == "DIRECTORY.XML") {
        text = DirectoryXml(c.Store().List());
    } else if (upper == "STATUS.XML") {
        CStatusFigures s;
        s.displayName = c.DisplayName();
        s.mem = static_cast<int64_t>(c.CapacityBytes());
        s.fmem = static_cast<int64_t>(c.FreeBytes());
        s.dmem = static_cast<int64_t>(c.FragmentedBytes());
        s.vmem = static_cast<int64_t>(c.Settings().volatileBytes);
        s.vfmem = static_cast<int64_t>(c.VolatileFreeBytes());
        s.version = c.FirmwareVersion();
        s.address = c.Address();
        s.time = c.ClockNow();
        s.resets = c.ResetCount();
        text = StatusXml(s);
    } else if (upper == "PLAYLIST.XML") {
        text = PlaylistXml(c.Display().playlist);
    } else {
        return false;
    }
    out.assign(text.begin(), text.end());
    return true;
}

// --- send ------------------------------------------------------------------
// Stores a completely received file; the error byte, 0 when stored.
uint8_t Commit(CController& c, CJxTransfers::Incoming& in, std::string& note)
{
    in.active = false;
    Bytes file;
    if (in.compressed) {
        file.resize(in.fileLength);
        uLongf produced = in.fileLength;
        const int z = uncompress(file.data(), &produced, in.data.data(), in.length);
        if (z != Z_OK || produced != in.fileLength) {
            note = in.name + ": the compressed data does not unpack to " + std::to_string(in.fileLength) + " bytes";
            return kErrFileSystem;
        }
    } else {
        file = std::move(in.data);
    }
    CFileEntry old;
    const bool replaced = c.Store().Find(in.name, old);
    if (!c.Store().Write(in.name, file, in.sec)) {
        note = in.name + ": the store could not write it";
        return kErrFlashWrite;
    }
    if (replaced) c.NoteFreed(old.size);
    note = Describe(in.name, file.size()) + " stored";
    return kErrNone;
}

CCommandReply SendHeader(CCommandContext& ctx)
{
    const uint8_t sub = ctx.Data()[1];
    const bool compressed = sub == kSendCompressedHeader;
    CController& c = ctx.controller;
    if (compressed && !c.CompressionSupported()) return CCommandReply::OfType(kTypeUnsupported);

    auto& in = c.State<CJxTransfers>().in;
    in.active = false;  // a new header abandons any transfer in progress
    CCommandReply r = TransferReply(CCommandSet::Extended, sub, CCommandReply::Transfer::Start);
    const std::string name = ctx.Name(kNameOffset, kNameWidth);
    r.note = name;
    auto fail = [&r](uint8_t error, const std::string& why) { return Refuse(r, error, why); };
    if (ctx.Length() < 129) return fail(kErrOutOfRange, "header too short");
    if (name.empty()) return fail(kErrOutOfRange, "no file name");
    if (const uint8_t e = ctx.services.FileFailure(name); e != 0) return fail(e, "failed on request");
    if (IsGeneratedDocument(name)) return fail(kErrFileSystem, "the controller writes this document itself");

    const uint8_t* d = ctx.Data();
    const uint32_t sec = Le32(d + 113);
    const uint32_t blocks = Le16(d + 117);
    const uint32_t blockSize = Le16(d + 119);
    const uint32_t length = Le32(d + 121);
    const uint32_t fileLength = compressed ? Le32(d + 125) : length;
    PutLe16(r.data.data() + 3, static_cast<uint16_t>(blocks));
    r.note = Describe(name, fileLength) + (compressed ? " (" + std::to_string(length) + " compressed)" : "");

    if (const std::string why = AnnouncedBlocksFault(blocks, blockSize, length, kBlockSize); !why.empty())
        return fail(kErrOutOfRange, why);
    if (compressed && (length > compressBound(fileLength) || (length == 0) != (fileLength == 0)))
        return fail(kErrOutOfRange, "compressed length does not fit the file length");

    // The file replaces any of the same name, so its space counts as free.
    CFileEntry old;
    const uint64_t reusable = c.Store().Find(name, old) ? old.size : 0;
    if (fileLength > c.FreeBytes() + reusable) return fail(kErrStoreFull, "out of file memory");

    in.Start(blocks, blockSize, length);
    in.name = name;
    in.compressed = compressed;
    in.fileLength = fileLength;
    in.sec = sec;
    if (blocks == 0) {
        std::string note;
        r.data[2] = Commit(c, in, note);
        r.note = note;
    }
    return r;
}

CCommandReply DataBlock(CCommandContext& ctx)
{
    CController& c = ctx.controller;
    auto& in = c.State<CJxTransfers>().in;
    CCommandReply r = TakeDataBlock(ctx, kDataBlockForm, in);
    if (in.Complete()) {
        std::string note;
        r.data[2] = Commit(c, in, note);
        r.note = note;
    }
    return r;
}

// --- get -------------------------------------------------------------------
CCommandReply GetHeader(CCommandContext& ctx)
{
    const uint8_t sub = ctx.Data()[1];
    const bool compressed = sub == kGetCompressedHeader;
    CController& c = ctx.controller;
    if (compressed && !c.CompressionSupported()) return CCommandReply::OfType(kTypeUnsupported);

    auto& out = c.State<CJxTransfers>().out;
    out = COutgoingBlocks{};
    CCommandReply r = TransferReply(CCommandSet::Extended, sub, CCommandReply::Transfer::Start, kGetReplySize);
    const std::string name = ctx.Name(kNameOffset, kNameWidth);
    PutNameField(r.data.data() + kNameOffset, kNameWidth, name);
    r.note = name;
    auto fail = [&r](uint8_t error, const std::string& why) { return Refuse(r, error, why, kGetErrorCopy); };
    if (name.empty()) return fail(kErrOutOfRange, "no file name");
    if (const uint8_t e = ctx.services.FileFailure(name); e != 0) return fail(e, "failed on request");

    Bytes file;
    int64_t sec = c.ClockNow();
    if (!GeneratedDocument(c, name, file)) {
        CFileEntry entry;
        if (!c.Store().Find(name, entry) || !c.Store().Read(name, file)) return fail(kErrNotFound, "not found");
        sec = entry.sec;
    }
    if (file.size() > 0xFFFFFFFFu - 1024) return fail(kErrAllocation, "too large to send");

    Bytes carried;
    if (compressed && !file.empty()) {
        uLongf size = compressBound(file.size());
        carried.resize(size);
        if (compress(carried.data(), &size, file.data(), file.size()) != Z_OK)
            return fail(kErrAllocation, "cannot compress it");
        carried.resize(size);
    } else if (!compressed) {
        carried = file;
    }
    const uint32_t blockSize = c.Settings().getBlockSize;
    const uint64_t blocks = BlocksFor(carried.size(), blockSize);
    if (blocks > 0xFFFF) return fail(kErrAllocation, "too large to send");
    PutLe16(r.data.data() + 116, static_cast<uint16_t>(blocks));
    PutLe16(r.data.data() + 118, static_cast<uint16_t>(blockSize));
    PutLe32(r.data.data() + 120, static_cast<uint32_t>(carried.size()));
    if (compressed) PutLe32(r.data.data() + 125, static_cast<uint32_t>(file.size()));
    PutLe32(r.data.data() + 129, static_cast<uint32_t>(sec));
    r.note = Describe(name, file.size()) + (compressed ? " (" + std::to_string(carried.size()) + " compressed)" : "");

    out.Start(std::move(carried), blockSize);
    return r;
}

CCommandReply BlockRequest(CCommandContext& ctx)
{
    return AnswerBlockRequest(ctx, kBlockRequestForm, ctx.controller.State<CJxTransfers>().out);
}

// --- delete and rename -----------------------------------------------------
CCommandReply Delete(CCommandContext& ctx)
{
    CController& c = ctx.controller;
    CCommandReply r = CCommandReply::Extended(kDelete, kErrNone);
    const std::string name = ctx.Name(kNameOffset, kNameWidth);
    r.note = name;
    CFileEntry entry;
    uint8_t error = name.empty() ? kErrOutOfRange : ctx.services.FileFailure(name);
    if (error == 0 && IsGeneratedDocument(name)) error = kErrFileSystem;
    if (error == 0 && !c.Store().Find(name, entry)) error = kErrNotFound;
    if (error == 0 && !c.Store().Remove(name)) error = kErrFileSystem;
    if (error == 0) c.NoteFreed(entry.size);
    r.data[2] = error;
    return r;
}

CCommandReply Rename(CCommandContext& ctx)
{
    CController& c = ctx.controller;
    CCommandReply r = CCommandReply::Extended(kRename, kErrNone);
    const std::string from = ctx.Name(kNameOffset, kNameWidth);
    const std::string to = ctx.Name(kNewNameOffset, kNameWidth);
    r.note = from + " -> " + to;
    CFileEntry entry;
    uint8_t error = from.empty() || to.empty() ? kErrOutOfRange : 0;
    if (error == 0) error = ctx.services.FileFailure(from);
    if (error == 0) error = ctx.services.FileFailure(to);
    if (error == 0 && (IsGeneratedDocument(from) || IsGeneratedDocument(to))) error = kErrFileSystem;
    if (error == 0 && !c.Store().Find(from, entry)) error = kErrNotFound;
    if (error == 0 && from != to) {
        CFileEntry existing;
        if (c.Store().Find(to, existing)) error = kErrFileSystem;  // never overwrite by renaming
        else if (!c.Store().Rename(from, to)) error = kErrFileSystem;
    }
    r.data[2] = error;
    return r;
}
}  // namespace

JXSIM_REGISTER(JxFileCommands)
{
    CCommandTable& t = registry.Commands();
    t.RegisterExtended(kSendHeader, "JxSendFile header", SendHeader);
    t.RegisterExtended(kSendCompressedHeader, "JxSendFileCompressed header", SendHeader);
    t.RegisterExtended(kDataBlock, "file data block", DataBlock);
    t.RegisterExtended(kGetHeader, "JxGetFile header", GetHeader);
    t.RegisterExtended(kGetCompressedHeader, "JxGetFileCompressed header", GetHeader);
    t.RegisterExtended(kBlockRequest, "file block request", BlockRequest);
    t.RegisterExtended(kDelete, "JxDeleteFile", Delete);
    t.RegisterExtended(kRename, "JxRenameFile", Rename);
}

}  // namespace jxsim

// The controller's file system: named files with a length and a time. Kept
// in memory, or in a folder of the host so that a user can put real files
// there and see what a tool sent. A file is replaced only as a whole: a
// transfer that does not complete never touches the stored copy.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SimTypes.h"

namespace jxsim {

struct CFileEntry {
    std::string name;
    uint64_t size = 0;
    int64_t sec = 0;  // seconds since 1970 UTC
};

class CFileStore {
public:
    virtual ~CFileStore() = default;

    // Every file, ordered by name.
    virtual std::vector<CFileEntry> List() const = 0;
    virtual bool Find(const std::string& name, CFileEntry& entry) const = 0;
    virtual bool Read(const std::string& name, Bytes& data) const = 0;
    // Creates or replaces the file as a whole; false when the host refused.
    virtual bool Write(const std::string& name, const Bytes& data, int64_t sec) = 0;
    virtual bool Remove(const std::string& name) = 0;
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // Where the files are, for messages: "memory" or the folder.
    virtual std::string Where() const = 0;

    uint64_t UsedBytes() const;
};

class CMemoryStore final : public CFileStore {
public:
    std::vector<CFileEntry> List() const override;
    bool Find(const std::string& name, CFileEntry& entry) const override;
    bool Read(const std::string& name, Bytes& data) const override;
    bool Write(const std::string& name, const Bytes& data, int64_t sec) override;
    bool Remove(const std::string& name) override;
    bool Rename(const std::string& from, const std::string& to) override;
    std::string Where() const override { return "memory"; }

private:
    struct File {
        Bytes data;
        int64_t sec = 0;
    };
    std::map<std::string, File> m_files;
};

// Controller names map onto host file names one to one: bytes that a host
// file name cannot hold ('/', '\\', '%', control bytes, a leading '.') are
// written as %XX, upper-case. A host file counts only when its name is exactly
// what a controller name is written as; others ("50%OFF.MSG", "%41.MSG") are
// not shown, since no request could reach them. Host files whose names begin
// with '.' are hidden.
class CFolderStore final : public CFileStore {
public:
    explicit CFolderStore(std::string folder);

    // Creates the folder when it is missing; false with a reason otherwise.
    bool Prepare(std::string& error);

    std::vector<CFileEntry> List() const override;
    bool Find(const std::string& name, CFileEntry& entry) const override;
    bool Read(const std::string& name, Bytes& data) const override;
    bool Write(const std::string& name, const Bytes& data, int64_t sec) override;
    bool Remove(const std::string& name) override;
    bool Rename(const std::string& from, const std::string& to) override;
    std::string Where() const override { return m_folder; }

    // The longest name a request carries (its name field).
    static constexpr size_t kMaxNameBytes = 110;

    static std::string EncodeName(const std::string& name);
    // The controller name that `hostName` is written for; none when it is not
    // exactly EncodeName of a name a request can carry.
    static std::optional<std::string> DecodeName(const std::string& hostName);
    // Files in the folder that are not shown (hidden ones aside), for a
    // user who put them there to be told why.
    std::vector<std::string> LeftOut() const;

private:
    std::string PathOf(const std::string& name) const;

    std::string m_folder;
};

}  // namespace jxsim

// Firmware images for the tests: a 32-bit big-endian ELF header, the
// sections' contents, the section-name section and the section table at the
// end, as a linker lays them out. Field offsets are kept so that tests can
// damage exactly one of them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Image = std::vector<uint8_t>;

struct ImageBuilder {
    uint16_t type = 2;
    // name and contents of each section after the null section; the
    // section-name section comes last.
    std::vector<std::pair<std::string, std::string>> sections;

    // Filled by Build(): where things ended up.
    size_t tableOffset = 0;
    size_t namesOffset = 0;
    std::vector<size_t> contentOffsets;  // per entry of `sections`

    ImageBuilder& Section(std::string name, std::string contents)
    {
        sections.emplace_back(std::move(name), std::move(contents));
        return *this;
    }
    // A section whose contents are a revision text with its zero.
    ImageBuilder& Revision(const std::string& text) { return Section(".jx_rev_id", text + std::string(1, '\0')); }

    static void Put16(Image& b, size_t at, uint32_t v)
    {
        b[at] = static_cast<uint8_t>(v >> 8);
        b[at + 1] = static_cast<uint8_t>(v);
    }
    static void Put32(Image& b, size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
    }
    // Offset of field `field` (0 name, 16 file offset) of section header i
    // (0 is the null section, sections.size() + 1 the name section).
    size_t HeaderField(size_t i, size_t field) const { return tableOffset + 40 * i + field; }

    Image Build()
    {
        Image b(52, 0);
        b[0] = 0x7F;
        b[1] = 'E';
        b[2] = 'L';
        b[3] = 'F';
        b[4] = 1;  // 32-bit
        b[5] = 2;  // big-endian
        b[6] = 1;
        Put16(b, 16, type);
        Put16(b, 18, 8);  // a machine
        Put32(b, 20, 1);

        contentOffsets.clear();
        for (const auto& s : sections) {
            contentOffsets.push_back(b.size());
            b.insert(b.end(), s.second.begin(), s.second.end());
            while (b.size() % 4) b.push_back(0);
        }
        namesOffset = b.size();
        std::vector<size_t> nameOffsets;
        b.push_back(0);
        for (const auto& s : sections) {
            nameOffsets.push_back(b.size() - namesOffset);
            b.insert(b.end(), s.first.begin(), s.first.end());
            b.push_back(0);
        }
        const size_t shstrtabName = b.size() - namesOffset;
        const std::string shstrtab = ".shstrtab";
        b.insert(b.end(), shstrtab.begin(), shstrtab.end());
        b.push_back(0);
        const size_t namesSize = b.size() - namesOffset;
        while (b.size() % 4) b.push_back(0);

        tableOffset = b.size();
        const size_t count = sections.size() + 2;
        b.resize(tableOffset + 40 * count, 0);
        for (size_t i = 0; i < sections.size(); ++i) {
            Put32(b, HeaderField(i + 1, 0), static_cast<uint32_t>(nameOffsets[i]));
            Put32(b, HeaderField(i + 1, 4), 1);  // program bits
            Put32(b, HeaderField(i + 1, 16), static_cast<uint32_t>(contentOffsets[i]));
            Put32(b, HeaderField(i + 1, 20), static_cast<uint32_t>(sections[i].second.size()));
        }
        Put32(b, HeaderField(count - 1, 0), static_cast<uint32_t>(shstrtabName));
        Put32(b, HeaderField(count - 1, 4), 3);  // string table
        Put32(b, HeaderField(count - 1, 16), static_cast<uint32_t>(namesOffset));
        Put32(b, HeaderField(count - 1, 20), static_cast<uint32_t>(namesSize));

        Put32(b, 32, static_cast<uint32_t>(tableOffset));
        Put16(b, 40, 52);
        Put16(b, 46, 40);
        Put16(b, 48, static_cast<uint32_t>(count));
        Put16(b, 50, static_cast<uint32_t>(count - 1));
        return b;
    }
};

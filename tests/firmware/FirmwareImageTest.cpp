// Firmware image classification: revision texts, images built here as a
// linker lays them out, and images whose offsets point out of the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ImageBuilder.h"
#include "TempDir.h"
#include "firmware/FirmwareImage.h"

namespace {

int Classify(const Image& image) { return ClassifyFirmwareImage(image.data(), image.size()); }

Image WithRevision(const std::string& revision)
{
    return ImageBuilder().Section(".text", "\x4e\x71\x4e\x75").Revision(revision).Section(".data", "abcd").Build();
}

}  // namespace

TEST(FirmwareImage, RevisionTexts)
{
    struct Case {
        const char* revision;
        int expected;
    };
    const Case cases[] = {
        {"Jx Main V 3.07", 2},
        {"JX-MAIN V 3.09", 3},
        {"V 3.07", 2},
        {"V 3.10", 3},
        {"Jx V 3.07 test V 3.07", 2},   // the last V counts
        {"Jx V 2.99 V 3.07", 2},
        {"Jx V 3.07 build V 3.08", 3},
        {"3.07", 3},     // no V: only the first character goes, ".07" remains
        {"X3.07", 2},
        {"v 3.07", 3},   // a lower-case v is not a V
        {"V3.07", 3},    // the character after the V is dropped: ".07"
        {"Jx V 3.07 ", 3},
        {"Jx V 3.070", 3},
        {"Jx V", 3},     // nothing after the V
        {"Jx V ", 3},
        {"", 3},
        {"V", 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyRevisionText(c.revision), c.expected) << '"' << c.revision << '"';
        EXPECT_EQ(Classify(WithRevision(c.revision)), c.expected) << '"' << c.revision << '"';
    }
}

TEST(FirmwareImage, SectionsAndTypes)
{
    // no revision section: an image from before 3.07
    EXPECT_EQ(Classify(ImageBuilder().Section(".text", "code").Section(".bss", "").Build()), 1);
    // a longer name that begins with the ten characters still counts
    EXPECT_EQ(Classify(ImageBuilder().Section(".jx_rev_id_main", std::string("x V 3.07\0", 9)).Build()), 2);
    // a shorter one does not
    EXPECT_EQ(Classify(ImageBuilder().Section(".jx_rev_i", std::string("x V 3.07\0", 9)).Build()), 1);
    // the first revision section wins
    EXPECT_EQ(Classify(ImageBuilder().Revision("V 3.07").Revision("V 3.12").Build()), 2);
    EXPECT_EQ(Classify(ImageBuilder().Revision("V 3.12").Revision("V 3.07").Build()), 3);

    ImageBuilder relocatable;
    relocatable.type = 1;
    EXPECT_EQ(Classify(relocatable.Revision("V 3.07").Build()), -1);
    ImageBuilder shared;
    shared.type = 3;
    EXPECT_EQ(Classify(shared.Revision("V 3.07").Build()), -1);

    // no section headers at all: class 1, whatever the table offset says
    Image none = ImageBuilder().Revision("V 3.07").Build();
    ImageBuilder::Put16(none, 48, 0);
    EXPECT_EQ(Classify(none), 1);
    ImageBuilder::Put32(none, 32, 0xFFFFFFF0);
    EXPECT_EQ(Classify(none), 1);
    Image headerOnly(52, 0);
    headerOnly[17] = 2;
    EXPECT_EQ(Classify(headerOnly), 1);
}

TEST(FirmwareImage, OffsetsOutsideTheFileMakeItNotValid)
{
    ImageBuilder b;
    b.Section(".text", "code").Revision("V 3.07");
    const Image good = b.Build();
    ASSERT_EQ(Classify(good), 2);
    const size_t revisionHeader = 2;                 // null, .text, .jx_rev_id
    const size_t namesHeader = b.sections.size() + 1;
    const uint32_t size = static_cast<uint32_t>(good.size());

    struct Case {
        const char* what;
        size_t at;
        bool wide;
        uint32_t value;
        int expected;
    };
    const Case cases[] = {
        {"table starts past the end", 32, true, size, -1},
        {"table runs past the end", 32, true, size - 40 * 4 + 1, -1},
        {"table offset wraps round", 32, true, 0xFFFFFFFF, -1},
        {"more headers than the file holds", 48, false, 200, -1},
        {"name section index past the table", 50, false, 4, -1},
        {"name section index 0xFFFF", 50, false, 0xFFFF, -1},
        {"name section past the end", b.HeaderField(namesHeader, 16), true, size, -1},
        {"name section offset wraps", b.HeaderField(namesHeader, 16), true, 0xFFFFFFFF, -1},
        {"a name past the end", b.HeaderField(1, 0), true, size, -1},
        {"a name offset that wraps", b.HeaderField(1, 0), true, 0xFFFFFFFF, -1},
        {"revision text past the end", b.HeaderField(revisionHeader, 16), true, size, -1},
        {"revision text offset wraps", b.HeaderField(revisionHeader, 16), true, 0xFFFFFFFF, -1},
        // pointing at a zero byte inside the file is a valid, empty revision
        {"revision text in the table", b.HeaderField(revisionHeader, 16), true, size - 1, 3},
    };
    for (const Case& c : cases) {
        Image damaged = good;
        if (c.wide)
            ImageBuilder::Put32(damaged, c.at, c.value);
        else
            ImageBuilder::Put16(damaged, c.at, c.value);
        EXPECT_EQ(Classify(damaged), c.expected) << c.what;
    }

    // A revision text that runs to the end of the file without its zero.
    Image unterminated = good;
    ImageBuilder::Put32(unterminated, b.HeaderField(revisionHeader, 16), size - 3);
    unterminated[size - 3] = 'V';
    unterminated[size - 2] = ' ';
    unterminated[size - 1] = '3';
    EXPECT_EQ(Classify(unterminated), -1);

    // A name that still matches ".jx_rev_id" when the file ends: cut off.
    Image cutName = good;
    ImageBuilder::Put32(cutName, b.HeaderField(revisionHeader, 0), size - static_cast<uint32_t>(b.namesOffset) - 4);
    std::copy_n(".jx_", 4, cutName.end() - 4);
    EXPECT_EQ(Classify(cutName), -1);
    // One that differs before the end is simply another section.
    std::copy_n(".tx_", 4, cutName.end() - 4);
    EXPECT_EQ(Classify(cutName), 1);
}

TEST(FirmwareImage, CutOffAtEveryLengthIsNotValid)
{
    // The section table comes last, so every shorter file has lost part of it.
    for (const Image& full : {WithRevision("Jx V 3.07"), ImageBuilder().Section(".text", "code").Build()}) {
        ASSERT_NE(Classify(full), -1);
        for (size_t n = 0; n < full.size(); ++n) {
            const Image cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
            ASSERT_EQ(ClassifyFirmwareImage(cut.data(), cut.size()), -1) << "cut at " << n;
        }
    }
    EXPECT_EQ(ClassifyFirmwareImage(nullptr, 0), -1);
}

TEST(FirmwareImage, Files)
{
    TempDir dir;
    const Image image = WithRevision("Jx Main V 3.07");
    WriteWholeFile(dir.File("MAIN.EXE"), std::string(image.begin(), image.end()));
    EXPECT_EQ(ClassifyFirmwareFile(dir.File("MAIN.EXE")), 2);
    const Image old = ImageBuilder().Section(".text", "code").Build();
    WriteWholeFile(dir.File("OLD.EXE"), std::string(old.begin(), old.end()));
    EXPECT_EQ(ClassifyFirmwareFile(dir.File("OLD.EXE")), 1);
    WriteWholeFile(dir.File("EMPTY.EXE"), "");
    EXPECT_EQ(ClassifyFirmwareFile(dir.File("EMPTY.EXE")), -1);
    EXPECT_EQ(ClassifyFirmwareFile(dir.File("MISSING.EXE")), -1);
    EXPECT_EQ(ClassifyFirmwareFile(dir.Path()), -1);
}

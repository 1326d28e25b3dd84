#include "gamefs/PackFile.h"

#include <sys/stat.h>

#include <cstring>

#include "AsciiCase.h"
#include "LittleEndian.h"

bool MemorySource::ReadAt(uint64_t offset, void *dst, size_t length)
{
    if (offset > size_ || length > size_ - offset)
        return false;
    if (length > 0)
        std::memcpy(dst, data_ + offset, length);
    return true;
}

FileSource::FileSource(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr)
        return;
    if (::fstat(::fileno(file_), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        return;
    }
    size_ = static_cast<uint64_t>(st.st_size);
}

FileSource::~FileSource()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

bool FileSource::ReadAt(uint64_t offset, void *dst, size_t length)
{
    if (file_ == nullptr || offset > size_ || length > size_ - offset)
        return false;
    if (length == 0)
        return true;
    if (::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0)
        return false;
    return std::fread(dst, 1, length, file_) == length;
}

bool ReadPackDirectory(ByteSource &source, PackFile &pack, std::string *why)
{
    auto fail = [why](const char *reason) {
        if (why != nullptr)
            *why = reason;
        return false;
    };
    uint8_t raw[kPackHeaderSize];
    if (!source.ReadAt(0, raw, sizeof raw))
        return fail("not a PAK archive (shorter than its header)");
    std::memcpy(pack.header.id, raw, 4);
    pack.header.dirofs = ReadLittleInt32(raw + offsetof(PackHeader, dirofs));
    pack.header.dirlen = ReadLittleInt32(raw + offsetof(PackHeader, dirlen));
    if (std::memcmp(pack.header.id, "PACK", 4) != 0)
        return fail("not a PAK archive (no \"PACK\" at its start)");

    const uint32_t dirlen = static_cast<uint32_t>(pack.header.dirlen);
    uint32_t count = dirlen / kPackEntrySize;
    if (count == 0)
        return fail("PAK archive without entries");
    // The whole directory the header claims must lie inside the file.
    if (pack.header.dirofs < 0 || static_cast<uint64_t>(pack.header.dirofs) + dirlen > source.Size())
        return fail("PAK archive whose directory lies outside the file");
    if (count > static_cast<uint32_t>(kMaxPackEntries))
        count = kMaxPackEntries;

    std::vector<uint8_t> dir(static_cast<size_t>(count) * kPackEntrySize);
    if (!source.ReadAt(static_cast<uint64_t>(pack.header.dirofs), dir.data(), dir.size()))
        return fail("PAK archive whose directory cannot be read");
    pack.files.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t *e = dir.data() + static_cast<size_t>(i) * kPackEntrySize;
        std::memcpy(pack.files[i].name, e, kPackEntryNameSize);
        pack.files[i].filepos = ReadLittleInt32(e + offsetof(PackEntry, filepos));
        pack.files[i].filelen = ReadLittleInt32(e + offsetof(PackEntry, filelen));
    }
    pack.numfiles = static_cast<int32_t>(count);
    return true;
}

const PackEntry *FindPackEntry(const PackFile &pack, const char *name)
{
    const size_t length = std::strlen(name);
    if (length > static_cast<size_t>(kPackEntryNameSize))
        return nullptr;
    const PackEntry *caseless = nullptr;
    for (const PackEntry &entry : pack.files) {
        // A stored name that fills all 56 bytes without a NUL still compares
        // over those 56 bytes only.
        if (::strnlen(entry.name, kPackEntryNameSize) != length)
            continue;
        if (std::memcmp(entry.name, name, length) == 0)
            return &entry;
        if (caseless == nullptr && EqualIgnoringAsciiCase({entry.name, length}, {name, length}))
            caseless = &entry;
    }
    return caseless;
}

bool PackEntryInside(const PackEntry &entry, uint64_t archiveSize)
{
    if (entry.filepos < 0 || entry.filelen < 0)
        return false;
    return static_cast<uint64_t>(entry.filepos) + static_cast<uint64_t>(entry.filelen) <= archiveSize;
}

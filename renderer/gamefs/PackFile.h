// PAK archives as read. All integers are 32-bit little-endian:
//
//   archive   = header, file data ..., directory (anywhere after the header)
//   header    = "PACK", directory offset, directory length      (12 bytes)
//   directory = entry × (directory length / 64)
//   entry     = name (56 bytes, NUL-padded), file offset, file length
//
// A stored file is the stretch of the archive an entry names. PackHeader and
// PackEntry below have the stored layout: fields are read at their offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

constexpr int32_t kMaxPackEntries = 8192;
constexpr int32_t kMaxPackFiles = 99;
constexpr int32_t kPackEntrySize = 64;
constexpr int32_t kPackEntryNameSize = 56;
constexpr int32_t kPackHeaderSize = 12;

struct PackEntry {
    char name[kPackEntryNameSize];  // NUL-terminated as stored
    int32_t filepos;
    int32_t filelen;
};
static_assert(sizeof(PackEntry) == kPackEntrySize);

struct PackHeader {
    char id[4];
    int32_t dirofs;
    int32_t dirlen;
};
static_assert(sizeof(PackHeader) == kPackHeaderSize);

struct PackFile {
    std::string filename;  // full path, as opened
    int32_t numfiles = 0;
    PackHeader header{};
    std::vector<PackEntry> files;
};

// Random access to the bytes of a file or of a memory block.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Copies length bytes from offset; false unless all of them are there.
    virtual bool ReadAt(uint64_t offset, void *dst, size_t length) = 0;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void *dst, size_t length) override;

private:
    const uint8_t *data_;
    size_t size_;
};

// An open regular file; not open when the path names nothing readable or a
// directory.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string &path);
    ~FileSource() override;
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;
    bool IsOpen() const { return file_ != nullptr; }
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void *dst, size_t length) override;

private:
    std::FILE *file_ = nullptr;
    uint64_t size_ = 0;
};

// Reads header and directory. False when the bytes are no usable archive:
// not "PACK", no entries, or a directory that does not lie inside the file.
// A directory of more than 8192 entries keeps its first 8192. When why is
// given, a failure leaves the reason there.
bool ReadPackDirectory(ByteSource &source, PackFile &pack, std::string *why = nullptr);

// The entry of the archive named name: the first one, from first to last,
// that equals it exactly, else the first that equals it ignoring ASCII letter
// case (as loose files are found), so that game data made on a system whose
// file names ignore case works.
const PackEntry *FindPackEntry(const PackFile &pack, const char *name);

// Whether the entry's data lies wholly inside an archive of archiveSize bytes.
bool PackEntryInside(const PackEntry &entry, uint64_t archiveSize);

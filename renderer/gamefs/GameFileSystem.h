// The two game directories and the archives found in them, and the lookup of
// a file by its game path: loose in the base directory, loose in the
// additional directory, then inside the archives from the last opened to the
// first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MessageSink.h"
#include "gamefs/PackFile.h"

constexpr size_t kMaxGameDirLength = 259;

// dir joined with name by "/"; backslashes in name count as separators. An
// empty dir gives "/" followed by the name.
std::string JoinGamePath(const std::string &dir, const std::string &name);

// The path of an existing regular file for dir and name: the exact path when
// it exists, else the same path matched ignoring ASCII letter case one
// component at a time below dir (so folders copied from Windows work). Empty
// when there is none.
std::string FindLooseFile(const std::string &dir, const std::string &name);

class GameFileSystem {
public:
    // Forgets every archive, keeps the directories (at most 259 characters
    // each, null counts as empty) and scans "pak%d.pak" from 0 in the
    // additional directory, then in the base directory, stopping in each at
    // the first number that does not open. Archives that open but are not
    // usable are skipped. Past 99 archives the rest are left out, with a
    // message.
    void SetGamedir(const char *baseDir, const char *additionalDir, const MessageSink &report);

    void Clear();

    const std::string &BaseDir() const { return baseDir_; }
    const std::string &AdditionalDir() const { return additionalDir_; }
    const std::vector<PackFile> &Packs() const { return packs_; }

    // Archives the last scan found but could not use, in scan order, with why.
    struct SkippedArchive {
        std::string path;
        std::string reason;
    };
    const std::vector<SkippedArchive> &SkippedArchives() const { return skipped_; }

    // Whether the game path name is found, loose or in an archive, by the
    // lookup LoadFile makes; nothing is read.
    bool Contains(const char *name) const;

    // Reads the whole file of the game path name into data. Failures are
    // reported with their message and give false.
    bool LoadFile(const char *name, std::vector<uint8_t> &data, const MessageSink &report) const;

private:
    void ScanDirectory(const std::string &dir, const MessageSink &report, bool &fullReported);

    std::string baseDir_;
    std::string additionalDir_;
    std::vector<PackFile> packs_;
    std::vector<SkippedArchive> skipped_;
};

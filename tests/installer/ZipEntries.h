#pragma once
// Lists a zip file's entries from its central directory, as an unpacker
// reads them.

#include <string>
#include <vector>

struct ZipEntry {
    std::string name;  // as stored: '/' between folders
    bool utf8 = false; // the name is flagged as UTF-8
};

// The entries in stored order; empty when the file is no zip.
std::vector<ZipEntry> ReadZipEntries(const std::string& path);

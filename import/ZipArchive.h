#ifndef FLIT_IMPORT_ZIPARCHIVE_H
#define FLIT_IMPORT_ZIPARCHIVE_H

#include <wx/string.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

class wxMemoryInputStream;
class wxZipEntry;
class wxZipInputStream;

// A zip archive held in memory, read entry by entry. Entry names are only keys: nothing is ever
// written to disk. Inflating is bounded: an entry stops being read as soon as it passes the
// per-entry size, the archive's total, or the compression ratio a real document reaches, however
// small its header says it is, so a zip bomb is refused after a few megabytes of work.
class CZipArchive {
public:
    static constexpr std::size_t kMaxTotalBytes = std::size_t{512} << 20;
    static constexpr std::size_t kMaxEntryBytes = std::size_t{64} << 20;
    // Text and markup deflate to a third or a tenth of their size; a thousandfold shrink is a
    // run of one byte made to fill memory. Small entries are let be: a short run of spaces may
    // legitimately shrink well.
    static constexpr std::size_t kMaxRatio = 200;
    static constexpr std::size_t kRatioFreeBytes = 16 << 10;

    // The bytes must outlive the archive.
    CZipArchive(const char* bytes, std::size_t size);
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Reads the archive's directory. False, with *error saying why, for bytes that are not a zip
    // or a zip that is truncated or corrupt.
    bool open(wxString* error);

    bool contains(const std::string& name) const { return entries.count(name) != 0; }
    // Every entry's name, in the order of the names.
    std::vector<std::string> names() const;
    // Whether the entry's data is encrypted with the zip format's own encryption.
    bool isEncrypted(const std::string& name) const;

    // The whole uncompressed content of the named entry (names as stored, UTF-8, "/" between
    // folders). False, with *error naming the entry and the fault, when there is no such entry,
    // its data is corrupt or encrypted, or it breaks a limit.
    bool read(const std::string& name, std::string* content, wxString* error);

private:
    const char* bytes;
    std::size_t size;
    std::unique_ptr<wxMemoryInputStream> memory;
    std::unique_ptr<wxZipInputStream> zip;
    std::map<std::string, std::unique_ptr<wxZipEntry>> entries;
    // Uncompressed bytes handed out so far, against kMaxTotalBytes.
    std::size_t inflatedBytes = 0;
};

#endif

#include "import/ZipArchive.h"

#include "import/TextHelpers.h"

#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/zipstrm.h>

#include <algorithm>
#include <cstring>

namespace {

using textHelpers::quoted;

// The local header that starts a zip's first entry, and the end record that closes its
// directory (the only start an empty zip has).
const char kEntrySignature[] = "PK\x03\x04";
const char kEndSignature[] = "PK\x05\x06";
constexpr std::size_t kSignatureBytes = 4;
// The end record is 22 bytes followed by a comment of at most 65,535.
constexpr std::size_t kEndRecordSearch = 22 + 65535;
// The general-purpose flag of an entry whose data is encrypted.
constexpr int kEncryptedFlag = 0x1;
constexpr std::size_t kReadChunk = 64 << 10;

bool hasEndRecord(const char* bytes, std::size_t size) {
    const std::size_t from = size > kEndRecordSearch ? size - kEndRecordSearch : 0;
    const char* last = bytes + from;
    const char* end = bytes + size;
    return std::search(last, end, kEndSignature, kEndSignature + kSignatureBytes) != end;
}

} // namespace

CZipArchive::CZipArchive(const char* zipBytes, std::size_t zipSize)
    : bytes(zipBytes), size(zipSize) {}

CZipArchive::~CZipArchive() = default;

bool CZipArchive::open(wxString* error) {
    if (size < kSignatureBytes || (std::memcmp(bytes, kEntrySignature, kSignatureBytes) != 0 &&
                                   std::memcmp(bytes, kEndSignature, kSignatureBytes) != 0)) {
        *error = "it is not a zip archive";
        return false;
    }
    if (!hasEndRecord(bytes, size)) {
        *error = "the zip archive is truncated: the directory at its end is missing";
        return false;
    }
    // The stream reports its faults to the log; they come back here as the error instead.
    wxLogNull quiet;
    memory = std::make_unique<wxMemoryInputStream>(bytes, size);
    zip = std::make_unique<wxZipInputStream>(*memory, wxConvUTF8);
    while (wxZipEntry* entry = zip->GetNextEntry()) {
        std::unique_ptr<wxZipEntry> owned(entry);
        // A name stored twice is read as its first entry.
        entries.emplace(entry->GetInternalName().utf8_string(), std::move(owned));
    }
    if (zip->GetLastError() != wxSTREAM_EOF) {
        *error = "the zip archive is corrupt: its directory cannot be read";
        return false;
    }
    return true;
}

std::vector<std::string> CZipArchive::names() const {
    std::vector<std::string> all;
    for (const auto& entry : entries) {
        all.push_back(entry.first);
    }
    return all;
}

bool CZipArchive::isEncrypted(const std::string& name) const {
    const auto found = entries.find(name);
    return found != entries.end() && (found->second->GetFlags() & kEncryptedFlag) != 0;
}

bool CZipArchive::read(const std::string& name, std::string* content, wxString* error) {
    const auto found = entries.find(name);
    if (found == entries.end()) {
        *error = quoted(name) + " is missing from the zip archive";
        return false;
    }
    wxZipEntry& entry = *found->second;
    if (isEncrypted(name)) {
        *error = quoted(name) + " is encrypted and cannot be read";
        return false;
    }
    const wxString bomb = "the zip archive is refused as a zip bomb: " + quoted(name);
    const std::size_t compressed = std::min<std::size_t>(
        entry.GetCompressedSize() >= 0 ? static_cast<std::size_t>(entry.GetCompressedSize()) : size,
        size);
    const std::size_t ratioLimit = std::max(compressed * kMaxRatio, kRatioFreeBytes);
    // The header's size is only a hint for the first allocation: the bytes are counted as they
    // come.
    const wxFileOffset declared = entry.GetSize();
    const std::size_t hint = declared > 0 ? static_cast<std::size_t>(declared) : compressed;

    wxLogNull quiet;
    content->clear();
    content->reserve(std::min({hint, ratioLimit, kMaxEntryBytes}));
    if (!zip->OpenEntry(entry)) {
        *error = "the zip archive is corrupt: " + quoted(name) + " cannot be found in it";
        return false;
    }
    char buffer[kReadChunk];
    while (zip->IsOk()) {
        zip->Read(buffer, sizeof buffer);
        const std::size_t got = zip->LastRead();
        content->append(buffer, got);
        inflatedBytes += got;
        if (content->size() > kMaxEntryBytes) {
            *error = bomb + wxString::Format(" inflates past %zu MiB", kMaxEntryBytes >> 20);
            return false;
        }
        if (content->size() > ratioLimit) {
            *error = bomb + wxString::Format(" inflates to more than %zu times its size in the "
                                             "archive",
                                             kMaxRatio);
            return false;
        }
        if (inflatedBytes > kMaxTotalBytes) {
            *error = wxString::Format("the zip archive is refused as a zip bomb: its entries "
                                      "inflate past %zu MiB in all",
                                      kMaxTotalBytes >> 20);
            return false;
        }
    }
    if (zip->GetLastError() != wxSTREAM_EOF) {
        *error = "the zip archive is corrupt: " + quoted(name) + " cannot be inflated";
        return false;
    }
    zip->CloseEntry();
    return true;
}

#ifndef FLIT_IMPORT_FORMATENTRY_H
#define FLIT_IMPORT_FORMATENTRY_H

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/import/FormatImporter.h>

#include <cstddef>
#include <memory>

// What an importer declares about the format it reads. DocumentImporter.cpp lists the entries in
// one table, and the choice of a format, the names the --format option takes and the Open
// dialog's filter all come from it.
struct SFormatEntry {
    static constexpr std::size_t kMaxExtensions = 3;
    static constexpr std::size_t kMaxMimeTypes = 2;

    CDocumentImporter::eFormat format;
    // As the --format option takes it.
    const char* name;
    // What the name stands for, where it does not say what the format is; null otherwise.
    const char* gloss;
    // What the Open dialog calls such files.
    const char* description;
    // The file name extensions that say the format, lower case and without the dot; null after
    // the last.
    const char* extensions[kMaxExtensions];
    // Whether bytes are of the format whatever their file is named; null for a format known by
    // its name alone.
    bool (*startsAs)(const char* bytes, std::size_t size);
    // Whether the importer reads any bytes as text, so that a picture or a program opened by
    // mistake is refused before it gets them.
    bool readsAnyBytes;
    std::unique_ptr<CFormatImporter> (*make)();
    // The MIME types desktops give such files; null after the last. The desktop entry offers
    // the reader for each.
    const char* mimeTypes[kMaxMimeTypes];
};

// The factory of an importer made without arguments.
template <class TImporter> std::unique_ptr<CFormatImporter> makeImporter() {
    return std::make_unique<TImporter>();
}

#endif

#ifndef FLIT_IMPORT_TEXTIMPORTER_H
#define FLIT_IMPORT_TEXTIMPORTER_H

#include "import/FormatEntry.h"
#include <flitengine/import/FormatImporter.h>

#include <string>

// Plain text, and marked-up text (plain text with directives in braces): see CDocumentImporter
// for what each reads. Faults carry the line and column in the text.
//
// Both read the text's encoding the same way (decode): UTF-8, with or without its byte order
// mark; UTF-16 with its byte order mark; otherwise Windows-1252 when that decodes the bytes and
// they look like text. Bytes that are no text at all are refused as kNotADocument.
//
// Plain text turns every run of white space into one item: a space, or a newline where the run
// ends a paragraph (appendPlainText says which).
class CTextImporter : public CFormatImporter {
public:
    // The refusal of bytes that are no document of any format read here.
    static const char* const kNotADocument;
    // Their entries in the table of formats: "text" (any name not another format's, *.txt in
    // the Open dialog) and "flit" (*.flit).
    static const SFormatEntry kPlainTextFormat;
    static const SFormatEntry kMarkedUpFormat;

    explicit CTextImporter(bool withDirectives) : markedUp(withDirectives) {}

    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;

    // Makes UTF-8 text of the bytes: *text and *textSize give the text, which is either in the
    // caller's bytes (UTF-8, after its byte order mark) or in *converted. Sets report->notice
    // when the bytes were in another encoding. False with report->error (and the place, when
    // the fault has one) when the bytes are damaged UTF-8 or UTF-16, or no text at all.
    static bool decode(const char* bytes, std::size_t size, const char** text,
                       std::size_t* textSize, std::string* converted, SImportReport* report);

private:
    bool markedUp;
};

#endif

#include "document/PreparedDocument.h"

#include "library/Library.h"

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/MessageText.h>

#include <wx/filefn.h>
#include <wx/filename.h>

#include <exception>
#include <new>
#include <utility>

SPreparedDocument SPreparedDocument::prepare(SDocumentOrigin origin, const SPrepareRules& rules,
                                             const Progress& progress) {
    SPreparedDocument prepared;
    prepared.origin = std::move(origin);
    // Nothing thrown while a document is read ends the reader: a document that needs more
    // memory than there is, or that any other fault stops, is refused as one that cannot be read.
    try {
        prepared.read(rules, progress);
    } catch (const std::bad_alloc&) {
        prepared.fail("there is not enough memory to open it");
    } catch (const std::exception& fault) {
        prepared.fail(wxString::Format("it could not be read (%s)", fault.what()));
    } catch (...) {
        prepared.fail("it could not be read");
    }
    return prepared;
}

void SPreparedDocument::fail(const wxString& why) {
    navigator.reset();
    chapters = CChapterIndex();
    document.reset();
    hash.clear();
    notice.clear();
    error = why;
}

void SPreparedDocument::read(const SPrepareRules& rules, const Progress& progress) {
    SDocumentOrigin& from = origin;
    CDocumentImporter importer;
    importer.setKeepLineBreaks(rules.keepLineBreaks);
    importer.setProgress(progress);
    if (from.fromBytes) {
        document = importer.importBytes(from.bytes.data(), from.bytes.size(),
                                        CDocumentImporter::eAutomatic, from.label, wxGetCwd());
    } else {
        // The file is read once: its bytes are both imported and hashed for the library.
        std::string bytes;
        wxString reason;
        if (!CDocumentImporter::readFile(from.path, &bytes, &reason)) {
            error =
                wxString::Format("cannot read \"%s\": %s", CMessageText::cut(from.path), reason);
            return;
        }
        document = importer.importBytes(bytes.data(), bytes.size(), CDocumentImporter::eAutomatic,
                                        from.path, wxFileName(from.path).GetPath());
        if (document) {
            hash = CLibrary::hashOf(bytes.data(), bytes.size());
        }
    }
    if (!document) {
        error = importer.getError();
        return;
    }
    from.format = importer.getFormat();
    notice = importer.getNotice();
    if (progress && !progress(1, 1)) {
        document.reset();
        error = SImportContext::kCancelled;
        return;
    }
    prepareParts(rules);
}

void SPreparedDocument::prepareParts(const SPrepareRules& rules) {
    // Hyphenation depends on the document's language, known only now.
    const CHyphenation* hyphenation =
        rules.hyphenation ? rules.hyphenation(document->getLanguage()) : nullptr;
    navigator = std::make_unique<CReadingNavigator>(document.get(), rules.wordLength, rules.unit,
                                                    hyphenation, rules.cut);
    chapters = CChapterIndex(*document, *navigator);
}

#include "document/PreparedDocument.h"

#include "library/Library.h"

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/MessageText.h>

#include <wx/filefn.h>
#include <wx/filename.h>

#include <utility>

SPreparedDocument SPreparedDocument::prepare(SDocumentOrigin origin, const SPrepareRules& rules,
                                             const Progress& progress) {
    SPreparedDocument prepared;
    prepared.origin = std::move(origin);
    SDocumentOrigin& from = prepared.origin;
    CDocumentImporter importer;
    importer.setKeepLineBreaks(rules.keepLineBreaks);
    importer.setProgress(progress);
    if (from.fromBytes) {
        prepared.document =
            importer.importBytes(from.bytes.data(), from.bytes.size(),
                                 CDocumentImporter::eAutomatic, from.label, wxGetCwd());
    } else {
        // The file is read once: its bytes are both imported and hashed for the library.
        std::string bytes;
        wxString reason;
        if (!CDocumentImporter::readFile(from.path, &bytes, &reason)) {
            prepared.error =
                wxString::Format("cannot read \"%s\": %s", CMessageText::cut(from.path), reason);
            return prepared;
        }
        prepared.document =
            importer.importBytes(bytes.data(), bytes.size(), CDocumentImporter::eAutomatic,
                                 from.path, wxFileName(from.path).GetPath());
        if (prepared.document) {
            prepared.hash = CLibrary::hashOf(bytes.data(), bytes.size());
        }
    }
    if (!prepared.document) {
        prepared.error = importer.getError();
        return prepared;
    }
    from.format = importer.getFormat();
    prepared.notice = importer.getNotice();
    if (progress && !progress(1, 1)) {
        prepared.document.reset();
        prepared.error = SImportContext::kCancelled;
        return prepared;
    }
    prepared.prepareParts(rules);
    return prepared;
}

void SPreparedDocument::prepareParts(const SPrepareRules& rules) {
    navigator = std::make_unique<CReadingNavigator>(document.get(), rules.wordLength);
    // Hyphenation depends on the document's language: the frame applies it when it shows the
    // document, and the navigator sorts its words again only then.
    navigator->setFlashRules(rules.unit, nullptr);
    chapters = CChapterIndex(*document, *navigator);
}

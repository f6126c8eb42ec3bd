#include "document/DocumentSource.h"

#include <flitengine/outside/DataManager.h>

#include <wx/filename.h>

#include <utility>

SDocumentOrigin SDocumentOrigin::file(const wxString& path) {
    SDocumentOrigin origin;
    origin.path = path;
    origin.name = origin.subject = wxFileName(path).GetFullName();
    return origin;
}

bool SDocumentOrigin::standardInput(SDocumentOrigin* origin, wxString* reason) {
    *origin = SDocumentOrigin();
    origin->name = origin->subject = origin->label = "standard input";
    origin->fromBytes = true;
    return CDocumentImporter::readStandardInput(&origin->bytes, reason);
}

SDocumentOrigin SDocumentOrigin::clipboard(std::string text) {
    SDocumentOrigin origin;
    origin.name = "Clipboard text";
    origin.subject = "the clipboard's text";
    origin.label = "clipboard";
    origin.fromBytes = true;
    origin.bytes = std::move(text);
    return origin;
}

SDocumentOrigin SDocumentOrigin::imported(const wxString& name) {
    SDocumentOrigin origin;
    origin.name = origin.subject = name;
    origin.fromBytes = true;
    return origin;
}

wxString CDocumentSource::shownName(const CDataManager& document) const {
    return document.getTitle().empty() ? current.name : document.getTitle();
}

bool CDocumentSource::setKeepLineBreaks(bool keep) {
    keepLineBreaks = keep;
    return current.format == CDocumentImporter::ePlainText;
}

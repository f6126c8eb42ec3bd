#include <flitengine/outside/XMLWriter.h>

#include <flitengine/outside/MessageText.h>

#include <wx/log.h>
#include <wx/wfstream.h>

namespace {
// Spaces per nesting level in written files.
constexpr int kIndentStep = 2;
} // namespace

CXMLWriter::CXMLWriter(const char* path) : CFileWriter(path) {}

CXMLWriter::~CXMLWriter() = default;

bool CXMLWriter::doPreStore() {
    if (getWriteFilePath().empty()) {
        setStoreError("no file name was given");
        return false;
    }
    wxXmlNode* root = createDataAsXML();
    if (root == nullptr) {
        setStoreError("there is nothing to write");
        return false;
    }
    storedDocument = wxXmlDocument();
    storedDocument.SetFileEncoding("UTF-8");
    storedDocument.SetRoot(root);
    return true;
}

bool CXMLWriter::doStore() {
    bool written = false;
    unsigned long failure = 0;
    {
        // The temporary stream reports its own failures through the log; the caller gets them
        // as a sentence from getStoreError() instead.
        wxLogNull quiet;
        wxTempFileOutputStream out(getWriteFilePath());
        written = out.IsOk() && storedDocument.Save(out, kIndentStep) && out.Commit();
        if (!written) {
            // The system's reason, taken before discarding the temporary file can change it.
            failure = wxSysErrorCode();
            out.Discard();
        }
    }
    storedDocument = wxXmlDocument();
    if (!written) {
        // A write that stops short (a full disk, a file size limit) sets no error code.
        const wxString reason = failure != 0 ? wxSysErrorMsgStr(failure)
                                             : wxString("the file could not be written whole (is "
                                                        "the disk full?)");
        setStoreError(wxString::Format("cannot write '%s': %s",
                                       CMessageText::cut(getWriteFilePath()), reason));
    }
    return written;
}

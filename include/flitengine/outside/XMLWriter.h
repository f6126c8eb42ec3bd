#ifndef FLIT_OUTSIDE_XMLWRITER_H
#define FLIT_OUTSIDE_XMLWRITER_H

#include <flitengine/outside/FileWriter.h>

#include <wx/xml/xml.h>

// Writes the element tree that createDataAsXML returns as an indented UTF-8 XML document with
// an XML declaration. The document goes to a temporary file in the target's folder that is
// renamed over the target only once it is complete, so a failed save leaves any existing file
// as it was.
class FLIT_EXPORT CXMLWriter : public CFileWriter {
public:
    explicit CXMLWriter(const char* path);
    CXMLWriter(const CXMLWriter&) = default;
    CXMLWriter& operator=(const CXMLWriter&) = default;
    ~CXMLWriter() override;

protected:
    bool doPreStore() override;
    bool doStore() override;

    // A new tree whose root becomes the document's root element; the writer takes ownership.
    virtual wxXmlNode* createDataAsXML() = 0;

private:
    wxXmlDocument storedDocument;
};

#endif

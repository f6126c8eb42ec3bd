#ifndef FLIT_OUTSIDE_XMLPARSER_H
#define FLIT_OUTSIDE_XMLPARSER_H

#include "outside/FileParser.h"

#include <wx/xml/xml.h>

// Reads an XML file and hands its root element to loadFromXML. The element tree lives only for
// the duration of load(); loadFromXML is never called for a file that cannot be read or parsed.
class FLIT_EXPORT CXMLParser : public CFileParser {
public:
    explicit CXMLParser(const char* path);
    CXMLParser(const CXMLParser&) = default;
    CXMLParser& operator=(const CXMLParser&) = default;
    ~CXMLParser() override;

protected:
    bool doPreLoad() override;
    bool doLoad() override;

    // Takes the values it needs from the tree; false refuses the file.
    virtual bool loadFromXML(wxXmlNode* root) = 0;

private:
    wxXmlDocument parsedDocument;
};

#endif

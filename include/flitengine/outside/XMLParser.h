#ifndef FLIT_OUTSIDE_XMLPARSER_H
#define FLIT_OUTSIDE_XMLPARSER_H

#include <flitengine/outside/FileParser.h>

#include <wx/xml/xml.h>

#include <cstddef>

// Reads an XML file and hands its root element to loadFromXML. The element tree lives only for
// the duration of load(); loadFromXML is never called for a file that cannot be read or parsed.
//
// The files read are small settings files of our own, so anything unlike them is refused before
// it is parsed: a file larger than kMaxFileBytes, a document type declaration (which could
// define entities), elements nested more than kMaxDepth deep (the element tree is built and
// freed recursively, so deep nesting would exhaust the stack), or an element of more than
// kMaxAttributes attributes (each is appended to the end of a list, so many would take time
// that grows with their square). The markup is walked in the file's encoding: UTF-8 or another
// that keeps ASCII as it is, or UTF-16 by its byte order mark or first "<".
class FLIT_EXPORT CXMLParser : public CFileParser {
public:
    static const std::size_t kMaxFileBytes = 1 << 20;
    static const int kMaxDepth = 64;
    static const int kMaxAttributes = 64;

    explicit CXMLParser(const char* path);
    CXMLParser(const CXMLParser&) = default;
    CXMLParser& operator=(const CXMLParser&) = default;
    ~CXMLParser() override;

protected:
    bool doPreLoad() override;
    bool doLoad() override;

    // Takes the values it needs from the tree; false refuses the file. It may name the reason
    // with setLoadError, in a phrase that follows the file's name.
    virtual bool loadFromXML(wxXmlNode* root) = 0;

private:
    wxXmlDocument parsedDocument;
};

#endif

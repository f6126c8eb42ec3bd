#ifndef FLIT_OUTSIDE_WXXMLUTILS_H
#define FLIT_OUTSIDE_WXXMLUTILS_H

#include <flitengine/FlitExport.h>

#include <wx/string.h>

class wxXmlNode;

// Builds and reads the small text-only elements that settings files are made of. It keeps no
// state, so callers use a local instance. New elements belong to the caller until attached to a
// parent with wxXmlNode::AddChild.
class FLIT_EXPORT CwxXMLUtils {
public:
    // A new element with the name and no children.
    wxXmlNode* createElement(const char* name) const;
    // A new element whose only child is the text.
    wxXmlNode* createStringContentElement(const char* name, const char* text) const;
    // A new element whose only child is the value in plain decimal.
    wxXmlNode* createIntContentElement(const char* name, int value) const;

    // Stores the element's text content through out. False (out untouched) for a null element
    // or argument.
    bool parseStringContentElement(wxString* out, const wxXmlNode* element) const;
    // Stores the element's content read as a decimal integer through out. Surrounding white
    // space is allowed; anything else that is not a number within the range of int returns
    // false and leaves out untouched, so a field keeps its previous value.
    bool parseIntContentElement(int* out, const wxXmlNode* element) const;
};

#endif

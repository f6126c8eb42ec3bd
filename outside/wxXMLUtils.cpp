#include <flitengine/outside/wxXMLUtils.h>

#include <climits>

#include <wx/xml/xml.h>

wxXmlNode* CwxXMLUtils::createElement(const char* name) const {
    return new wxXmlNode(wxXML_ELEMENT_NODE, wxString::FromUTF8(name));
}

wxXmlNode* CwxXMLUtils::createStringContentElement(const char* name, const char* text) const {
    wxXmlNode* element = createElement(name);
    element->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), wxString::FromUTF8(text)));
    return element;
}

wxXmlNode* CwxXMLUtils::createIntContentElement(const char* name, int value) const {
    wxXmlNode* element = createElement(name);
    element->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), wxString::Format("%d", value)));
    return element;
}

bool CwxXMLUtils::parseStringContentElement(wxString* out, const wxXmlNode* element) const {
    if (out == nullptr || element == nullptr) {
        return false;
    }
    *out = element->GetNodeContent();
    return true;
}

bool CwxXMLUtils::parseIntContentElement(int* out, const wxXmlNode* element) const {
    if (out == nullptr || element == nullptr) {
        return false;
    }
    wxString text = element->GetNodeContent();
    text.Trim(true).Trim(false);
    long value = 0;
    if (text.empty() || !text.ToCLong(&value) || value < INT_MIN || value > INT_MAX) {
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

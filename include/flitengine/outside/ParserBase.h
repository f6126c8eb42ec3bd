#ifndef FLIT_OUTSIDE_PARSERBASE_H
#define FLIT_OUTSIDE_PARSERBASE_H

#include <flitengine/FlitExport.h>

#include <wx/string.h>

// Root of the reading side of a serializer: load() runs the three steps that a concrete parser
// provides and reports the outcome as a bool. When it fails, getLoadError() names the problem
// in a sentence fit to show a user.
class FLIT_EXPORT CParserBase {
public:
    CParserBase() = default;
    CParserBase(const CParserBase&) = default;
    CParserBase& operator=(const CParserBase&) = default;
    virtual ~CParserBase();

    virtual bool load();

    const wxString& getLoadError() const { return loadError; }

protected:
    // Opens and reads the source; false stops the load before doLoad.
    virtual bool doPreLoad() = 0;
    // Hands what was read to the concrete serializer.
    virtual bool doLoad() = 0;
    // Runs after every load, successful or not.
    virtual bool doPostLoad();

    void setLoadError(const wxString& message) { loadError = message; }

private:
    wxString loadError;
};

#endif

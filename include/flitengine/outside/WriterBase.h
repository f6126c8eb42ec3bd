#ifndef FLIT_OUTSIDE_WRITERBASE_H
#define FLIT_OUTSIDE_WRITERBASE_H

#include <flitengine/FlitExport.h>

#include <wx/string.h>

// Root of the writing side of a serializer: store() runs the three steps that a concrete writer
// provides and reports the outcome as a bool. When it fails, getStoreError() names the problem.
class FLIT_EXPORT CWriterBase {
public:
    CWriterBase() = default;
    CWriterBase(const CWriterBase&) = default;
    CWriterBase& operator=(const CWriterBase&) = default;
    virtual ~CWriterBase();

    bool store();

    const wxString& getStoreError() const { return storeError; }

protected:
    // Builds what is to be written; false stops the store before doStore.
    virtual bool doPreStore() = 0;
    // Writes it out.
    virtual bool doStore() = 0;
    // Runs after every store, successful or not.
    virtual bool doPostStore();

    void setStoreError(const wxString& message) { storeError = message; }

private:
    wxString storeError;
};

#endif

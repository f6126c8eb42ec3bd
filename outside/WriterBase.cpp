#include <flitengine/outside/WriterBase.h>

CWriterBase::~CWriterBase() = default;

bool CWriterBase::store() {
    storeError.clear();
    const bool stored = doPreStore() && doStore();
    return doPostStore() && stored;
}

bool CWriterBase::doPostStore() {
    return true;
}

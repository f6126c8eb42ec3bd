#include <flitengine/outside/ParserBase.h>

CParserBase::~CParserBase() = default;

bool CParserBase::load() {
    loadError.clear();
    const bool loaded = doPreLoad() && doLoad();
    return doPostLoad() && loaded;
}

bool CParserBase::doPostLoad() {
    return true;
}

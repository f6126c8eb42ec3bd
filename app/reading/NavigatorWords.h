#ifndef FLIT_APP_NAVIGATORWORDS_H
#define FLIT_APP_NAVIGATORWORDS_H

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/outside/DataInfo.h>

// The navigator's view of an item, shared by its files.
namespace navigatorWords {

// A word item the engine flashes.
inline bool isShownWord(const wxCDataInfoListNode* node) {
    return node->GetData()->getDataInfoType() == eDITWord &&
           CFlashedWords::isShown(static_cast<const CDITWord*>(node->GetData())->getWord());
}

// The text of a word item.
inline const char* wordOf(const wxCDataInfoListNode* node) {
    return static_cast<const CDITWord*>(node->GetData())->getWord();
}

} // namespace navigatorWords

#endif

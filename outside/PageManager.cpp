#include "outside/PageManager.h"

CPageManager::CPageManager() {
    pages.DeleteContents(true);
}

CPageManager::~CPageManager() = default;

wxCPageInfoListNode* CPageManager::addPage(unsigned int pageType, unsigned int pageNum) {
    return pages.Append(new CPageInfo(pageType, pageNum));
}

CPageInfo* CPageManager::getPageInfoAt(wxCPageInfoListNode* node) const {
    return node != nullptr ? node->GetData() : nullptr;
}

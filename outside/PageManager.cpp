#include <flitengine/outside/PageManager.h>

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

bool CPageManager::holds(const wxCPageInfoListNode* node) const {
    for (const wxCPageInfoListNode* page = pages.GetFirst(); page != nullptr;
         page = page->GetNext()) {
        if (page == node) {
            return true;
        }
    }
    return false;
}

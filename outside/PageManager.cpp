#include <flitengine/outside/PageManager.h>

CPageManager::CPageManager() {
    pages.DeleteContents(true);
}

CPageManager::~CPageManager() = default;

wxCPageInfoListNode* CPageManager::addPage(unsigned int pageType, unsigned int pageNum) {
    wxCPageInfoListNode* node = pages.Append(new CPageInfo(pageType, pageNum));
    nodes.insert(node);
    return node;
}

CPageInfo* CPageManager::getPageInfoAt(wxCPageInfoListNode* node) const {
    return node != nullptr ? node->GetData() : nullptr;
}

bool CPageManager::holds(const wxCPageInfoListNode* node) const {
    return node != nullptr && nodes.count(node) != 0;
}

#ifndef FLIT_OUTSIDE_PAGEMANAGER_H
#define FLIT_OUTSIDE_PAGEMANAGER_H

#include <flitengine/FlitExport.h>
#include <flitengine/outside/DocumentRecords.h>

#include <unordered_set>

// The page records of a document. Owns them.
class FLIT_EXPORT CPageManager {
public:
    CPageManager();
    ~CPageManager();
    CPageManager(const CPageManager&) = delete;
    CPageManager& operator=(const CPageManager&) = delete;

    // Adds a page record and returns its node.
    wxCPageInfoListNode* addPage(unsigned int pageType, unsigned int pageNum);

    // The record at node (null for a null node).
    CPageInfo* getPageInfoAt(wxCPageInfoListNode* node) const;

    // Whether node is the node of one of this document's page records. Takes the same time
    // however many pages there are: a builder asks it for every page marker it appends.
    bool holds(const wxCPageInfoListNode* node) const;

    size_t getPageCount() const { return pages.GetCount(); }

private:
    CPageInfoList pages;
    // The nodes of pages, to answer holds without walking the list.
    std::unordered_set<const wxCPageInfoListNode*> nodes;
};

#endif

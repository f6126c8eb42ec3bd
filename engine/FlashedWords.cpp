#include <flitengine/engine/FlashedWords.h>

#include "engine/ReadingCut.h"

#include <flitengine/engine/Hyphenation.h>
#include <flitengine/engine/ReadingRules.h>

#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/outside/Utf8.h>

#include <cstdio>
#include <cstring>

namespace {

const char kHyphen = '-';

} // namespace

const char* const CFlashedWords::kLinkWord = "<LINK>";

SFlashedWord CFlashedWords::linkWord() {
    return {kLinkWord, COvriChars::kNullByte};
}

std::vector<SFlashedWord> CFlashedWords::emailItemWords(unsigned int value) {
    char number[24];
    std::snprintf(number, sizeof number, "%ld", static_cast<long>(value) + 1);
    return {{"Email", COvriChars::kSpaceChar},
            {"Item", COvriChars::kSpaceChar},
            {"#", COvriChars::kSpaceChar},
            {number, COvriChars::kNewlineChar}};
}

std::vector<SFlashedWord> CFlashedWords::attachmentAnnouncementWords() {
    const int kRepeats = 3;
    const std::vector<SFlashedWord> line = {{"Press", COvriChars::kSpaceChar},
                                            {"'A'", COvriChars::kSpaceChar},
                                            {"to", COvriChars::kSpaceChar},
                                            {"read", COvriChars::kSpaceChar},
                                            {"attachment", COvriChars::kNewlineChar}};
    std::vector<SFlashedWord> words;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        words.insert(words.end(), line.begin(), line.end());
    }
    return words;
}

bool CFlashedWords::isShown(const char* word) {
    const std::size_t size = std::strlen(word);
    return size > 0 && CUtf8::findInvalid(word, size) == CUtf8::kAllValid;
}

std::vector<SFlashedWord> CFlashedWords::wordsOf(const CDataManager& document,
                                                 const wxCDataInfoListNode* node) {
    const CDataInfo* item = node->GetData();
    switch (item->getDataInfoType()) {
    case eDITWord: {
        const char* word = static_cast<const CDITWord*>(item)->getWord();
        if (!isShown(word)) {
            return {};
        }
        return {{word, CReadingRules::separatorAfter(document, node)}};
    }
    case eDITLinkInfoRef: {
        const CLinkInfo* link =
            document.getLinkAt(static_cast<const CDITLinkInfoRef*>(item)->getLinkInfoListNode());
        if (link != nullptr && (link->linkType == eLinkWeb || link->linkType == eLinkMailto)) {
            return {linkWord()};
        }
        return {};
    }
    case eDITEmailItem:
        return emailItemWords(static_cast<const CDITEmailItem*>(item)->getValue());
    case eDITEmailItemAttachmentAnnounce:
        return attachmentAnnouncementWords();
    default:
        return {};
    }
}

bool CFlashedWords::passesOver(const wxCDataInfoListNode* node, bool passingOver) {
    const eDataInfoType type = node->GetData()->getDataInfoType();
    return type == eDITEmailItemAttachmentSkip || (passingOver && type != eDITEmailItem);
}

wxCDataInfoListNode* CFlashedWords::nextReadNode(wxCDataInfoListNode* node) {
    wxCDataInfoListNode* next = node->GetNext();
    if (passesOver(node, false)) {
        while (next != nullptr && passesOver(next, true)) {
            next = next->GetNext();
        }
    }
    return next;
}

std::vector<std::string> CFlashedWords::chunksOf(const std::string& word,
                                                 unsigned int displayLength) {
    const std::size_t count =
        CReadingRules::shapeOf(word.data(), word.size(), displayLength).chunks;
    std::vector<std::string> chunks;
    const char* rest = word.data();
    std::size_t restBytes = word.size();
    for (std::size_t chunk = 1; chunk < count; ++chunk) {
        const std::size_t bytes = CUtf8::clusterPrefixBytes(rest, restBytes, displayLength - 1);
        chunks.emplace_back(rest, bytes);
        chunks.back() += kHyphen;
        rest += bytes;
        restBytes -= bytes;
    }
    chunks.emplace_back(rest, restBytes);
    return chunks;
}

std::vector<std::string> CFlashedWords::chunksOf(const std::string& word,
                                                 unsigned int displayLength,
                                                 const CHyphenation* hyphenation) {
    if (hyphenation == nullptr || !CReadingRules::limits(displayLength)) {
        return chunksOf(word, displayLength);
    }
    // Where each character (grapheme cluster) begins, and the end.
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < word.size();) {
        starts.push_back(at);
        const std::size_t bytes = CUtf8::clusterBytes(word.data() + at, word.size() - at);
        at += bytes > 0 ? bytes : word.size() - at;
    }
    starts.push_back(word.size());
    const std::size_t count = starts.size() - 1;
    if (count <= displayLength) {
        return {word};
    }
    // Which characters a chunk may end before: a break that falls inside a character (before a
    // combining mark) is none.
    const std::vector<std::size_t> breaks = hyphenation->breaksOf(word);
    std::vector<bool> breakBefore(count + 1, false);
    for (std::size_t i = 0, b = 0; i <= count && b < breaks.size(); ++i) {
        while (b < breaks.size() && breaks[b] < starts[i]) {
            ++b;
        }
        breakBefore[i] = b < breaks.size() && breaks[b] == starts[i];
    }
    std::vector<std::string> chunks;
    std::size_t position = 0;
    while (count - position > displayLength) {
        std::size_t end = position + displayLength - 1;
        while (end > position && !breakBefore[end]) {
            --end;
        }
        if (end == position) {
            end = position + displayLength - 1;
        }
        chunks.push_back(word.substr(starts[position], starts[end] - starts[position]));
        if (chunks.back().back() != kHyphen) {
            chunks.back() += kHyphen;
        }
        position = end;
    }
    chunks.push_back(word.substr(starts[position]));
    return chunks;
}

std::vector<std::string> CFlashedWords::chunksOf(const std::string& word,
                                                 unsigned int displayLength,
                                                 const CHyphenation* hyphenation, eChunkCut cut) {
    if (cut == eCutForReading && CReadingRules::limits(displayLength)) {
        std::vector<std::string> parts = readingCut::partsOf(word, displayLength, hyphenation);
        if (!parts.empty()) {
            return parts;
        }
    }
    return chunksOf(word, displayLength, hyphenation);
}

std::string CFlashedWords::timedPart(const std::string& word, unsigned int displayLength) {
    return word.substr(0, CReadingRules::timedBytes(word.data(), word.size(), displayLength));
}

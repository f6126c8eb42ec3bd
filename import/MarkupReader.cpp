#include "import/MarkupReader.h"

#include "import/TextHelpers.h"
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/MessageText.h>
#include <flitengine/outside/TextTokenizer.h>

#include <wx/filename.h>

#include <cstring>
#include <string>

namespace {

// The numbers the directives take. Rests, sustains and holds stop well past any wait a reader
// would sit through; speeds are those the engine reads at; numbers that reach the host as
// themselves stop where the int of its events does (an email item is shown as its number plus
// one).
const unsigned int kMaxUnits = 1000;
const unsigned int kMaxHoldSeconds = 3600;
const unsigned int kMinSpeed = 100;
const unsigned int kMaxSpeed = 950;
const unsigned int kMaxReference = 2147483647;
const unsigned int kMaxEmailItem = kMaxReference - 1;
// Views and commands are taken whatever their number (see readView).
const unsigned int kMaxType = 4294967295U;

// The bytes of the blank that text[at..end) starts with, 0 when it starts with none.
std::size_t blankAt(const char* text, std::size_t at, std::size_t end) {
    return CTextTokenizer::blankLength(text + at, end - at);
}

bool equals(const char* data, std::size_t size, const char* word) {
    return std::strlen(word) == size && std::memcmp(data, word, size) == 0;
}

enum eNumberResult { eNumberOk, eNotANumber, eNumberTooLarge };

// An unsigned decimal number no larger than maximum: digits only, no sign, no space.
eNumberResult parseNumber(const char* data, std::size_t size, unsigned int maximum,
                          unsigned int* value) {
    if (size == 0) {
        return eNotANumber;
    }
    unsigned long long result = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] < '0' || data[i] > '9') {
            return eNotANumber;
        }
        result = result * 10 + static_cast<unsigned long long>(data[i] - '0');
        if (result > maximum) {
            return eNumberTooLarge;
        }
    }
    *value = static_cast<unsigned int>(result);
    return eNumberOk;
}

// "#RRGGBB" as 0xRRGGBB.
bool parseColour(const char* data, std::size_t size, unsigned long* rgb) {
    if (size != 7 || data[0] != '#') {
        return false;
    }
    unsigned long value = 0;
    for (std::size_t i = 1; i < size; ++i) {
        const int digit = textHelpers::hexDigit(data[i]);
        if (digit < 0) {
            return false;
        }
        value = value * 16 + static_cast<unsigned long>(digit);
    }
    *rgb = value;
    return true;
}

} // namespace

const CMarkupReader::SDirectiveEntry CMarkupReader::kDirectives[] = {
    {"rest", &CMarkupReader::readRest},
    {"sustain", &CMarkupReader::readSustain},
    {"colour", &CMarkupReader::readColour},
    {"bold", &CMarkupReader::readBold},
    {"/bold", &CMarkupReader::readBoldEnd},
    {"highlight", &CMarkupReader::readHighlight},
    {"/highlight", &CMarkupReader::readHighlightEnd},
    {"page", &CMarkupReader::readPage},
    {"background", &CMarkupReader::readBackground},
    {"lgraphic", &CMarkupReader::readLGraphic},
    {"bgraphic", &CMarkupReader::readBGraphic},
    {"sound", &CMarkupReader::readSound},
    {"video", &CMarkupReader::readVideo},
    {"speed", &CMarkupReader::readSpeed},
    {"assessment", &CMarkupReader::readAssessment},
    {"link", &CMarkupReader::readWebLink},
    {"mailto", &CMarkupReader::readMailto},
    {"note", &CMarkupReader::readNote},
    {"dogear", &CMarkupReader::readDogear},
    {"review", &CMarkupReader::readReview},
    {"email", &CMarkupReader::readEmail},
    {"attachment", &CMarkupReader::readAttachment},
    {"view", &CMarkupReader::readView},
    {"command", &CMarkupReader::readCommand},
};

CMarkupReader::CMarkupReader(CDataManager* documentIn, const wxString& baseDirIn)
    : document(documentIn), baseDir(baseDirIn), colourTag(nullptr), background(nullptr),
      wordBackground(nullptr), wordColourTag(nullptr), errorOffset(0) {}

bool CMarkupReader::applyDirective(const char* text, std::size_t open, std::size_t close) {
    SDirective d = {};
    d.text = text;
    d.open = open;
    d.close = close;
    // The first word is the name, the others its arguments.
    bool named = false;
    std::size_t i = open + 1;
    while (i < close) {
        if (const std::size_t blank = blankAt(text, i, close)) {
            i += blank;
            continue;
        }
        const std::size_t start = i;
        while (i < close && blankAt(text, i, close) == 0) {
            ++i;
        }
        d.end = i;
        const SArgument word = {text + start, i - start, start};
        if (!named) {
            d.name = word;
            named = true;
        } else {
            if (d.count < kMaxArguments) {
                d.arguments[d.count] = word;
            }
            ++d.count;
        }
    }
    if (!named) {
        return fail(open, "empty directive " + quotedDirective(d));
    }
    for (const SDirectiveEntry& entry : kDirectives) {
        if (equals(d.name.data, d.name.size, entry.name)) {
            return (this->*entry.handler)(d);
        }
    }
    return fail(open, "unknown directive " + quotedDirective(d));
}

// --- The directives ---

bool CMarkupReader::readRest(const SDirective& d) {
    unsigned int units = 0;
    if (!needNumber(d, 0, "rest needs a whole number of units", kMaxUnits, &units) ||
        !takesAtMost(d, 1)) {
        return false;
    }
    items()->appendRest(units);
    return true;
}

bool CMarkupReader::readSustain(const SDirective& d) {
    unsigned int units = 0;
    if (!needNumber(d, 0, "sustain needs a whole number of units", kMaxUnits, &units) ||
        !takesAtMost(d, 1)) {
        return false;
    }
    items()->appendSustain(units);
    return true;
}

// {colour} goes back to the default colour; {colour #RRGGBB [flag]} switches to a colour.
bool CMarkupReader::readColour(const SDirective& d) {
    if (d.count == 0) {
        colourTag = nullptr;
        items()->appendTagInfoRef(nullptr);
        return true;
    }
    unsigned long rgb = 0;
    const SArgument& colour = d.arguments[0];
    if (!parseColour(colour.data, colour.size, &rgb)) {
        return fail(colour.offset, wxString::Format("colour needs a colour written #RRGGBB, not "
                                                    "\"%s\"",
                                                    CMessageText::cut(colour.data, colour.size)));
    }
    const bool flag = d.count > 1;
    if (flag && !equals(d.arguments[1].data, d.arguments[1].size, "flag")) {
        return fail(d.arguments[1].offset, "colour takes only \"flag\" after the colour");
    }
    if (!takesAtMost(d, 2)) {
        return false;
    }
    const unsigned long key = rgb << 1 | (flag ? 1 : 0);
    auto known = tagsByColour.find(key);
    if (known == tagsByColour.end()) {
        const wxColour tagColour(static_cast<unsigned char>(rgb >> 16),
                                 static_cast<unsigned char>(rgb >> 8),
                                 static_cast<unsigned char>(rgb));
        known = tagsByColour.emplace(key, document->addTag(tagColour, flag)).first;
    }
    colourTag = known->second;
    items()->appendTagInfoRef(colourTag);
    return true;
}

bool CMarkupReader::readBold(const SDirective& d) {
    return switchStyle(d, eStyleBold, true);
}

bool CMarkupReader::readBoldEnd(const SDirective& d) {
    return switchStyle(d, eStyleBold, false);
}

bool CMarkupReader::readHighlight(const SDirective& d) {
    return switchStyle(d, eStyleHighlight, true);
}

bool CMarkupReader::readHighlightEnd(const SDirective& d) {
    return switchStyle(d, eStyleHighlight, false);
}

// {page N} marks a page the reader is shown; {page N hidden} one that is only counted.
bool CMarkupReader::readPage(const SDirective& d) {
    unsigned int number = 0;
    if (!needNumber(d, 0, "page needs a whole page number", kMaxReference, &number)) {
        return false;
    }
    const bool hidden = d.count > 1;
    if (hidden && !equals(d.arguments[1].data, d.arguments[1].size, "hidden")) {
        return fail(d.arguments[1].offset, "page takes only \"hidden\" after the number");
    }
    if (!takesAtMost(d, 2)) {
        return false;
    }
    items()->appendPageInfoRef(document->addPage(hidden ? CPageInfo::kHiddenPageType : 0, number));
    return true;
}

// {background FILE [SECONDS]} gives the words after it that background; {background} ends it
// and appends nothing. The hold is paid once, where the directive stands: its own item keeps
// it, while the words carry a link to the same file without one, since the engine shows a
// word's background again after every graphic and at every start.
bool CMarkupReader::readBackground(const SDirective& d) {
    if (d.count == 0) {
        background = nullptr;
        return true;
    }
    wxCLinkInfoListNode* link = nullptr;
    if (!readFileLink(d, eLinkBackground, true, false, &link)) {
        return false;
    }
    const CLinkInfo* info = document->getLinkAt(link);
    background =
        info->linkParam.empty() ? link : document->addLink(eLinkBackground, info->linkData);
    return true;
}

bool CMarkupReader::readLGraphic(const SDirective& d) {
    return readFileLink(d, eLinkLGraphic, true, false, nullptr);
}

bool CMarkupReader::readBGraphic(const SDirective& d) {
    return readFileLink(d, eLinkBGraphic, true, true, nullptr);
}

bool CMarkupReader::readSound(const SDirective& d) {
    return readFileLink(d, eLinkSound, false, false, nullptr);
}

bool CMarkupReader::readVideo(const SDirective& d) {
    return readFileLink(d, eLinkVideo, false, false, nullptr);
}

bool CMarkupReader::readSpeed(const SDirective& d) {
    static const char* const kNeedSpeed = "speed needs a whole number of words per minute";
    unsigned int wpm = 0;
    if (!needNumber(d, 0, kNeedSpeed, kMaxSpeed, &wpm) || !takesAtMost(d, 1)) {
        return false;
    }
    const SArgument& speed = d.arguments[0];
    if (wpm < kMinSpeed) {
        return fail(speed.offset, wxString::Format("%s, and %u is too small (at least %u)",
                                                   kNeedSpeed, wpm, kMinSpeed));
    }
    items()->appendLinkInfoRef(
        document->addLink(eLinkSpeed, wxString::FromUTF8(speed.data, speed.size)));
    return true;
}

// The text is everything after the name, blanks inside it kept.
bool CMarkupReader::readAssessment(const SDirective& d) {
    if (d.count == 0) {
        return fail(d.open, "assessment needs a text");
    }
    const std::size_t begin = d.arguments[0].offset;
    items()->appendLinkInfoRef(
        document->addLink(eLinkAssessment, wxString::FromUTF8(d.text + begin, d.end - begin)));
    return true;
}

bool CMarkupReader::readWebLink(const SDirective& d) {
    return readTextLink(d, eLinkWeb, "link needs a URL");
}

bool CMarkupReader::readMailto(const SDirective& d) {
    return readTextLink(d, eLinkMailto, "mailto needs an address");
}

bool CMarkupReader::readNote(const SDirective& d) {
    static const struct {
        const char* kind;
        eDataInfoType type;
    } kinds[] = {
        {"glossary", eDITGlossaryNoteRef},
        {"course", eDITCourseNoteRef},
        {"rapid", eDITRapidNoteRef},
        {"user", eDITUserNoteRef},
    };
    static const char* const kNeedKind = "note needs glossary, course, rapid or user";
    if (d.count == 0) {
        return fail(d.open, kNeedKind);
    }
    const SArgument& kind = d.arguments[0];
    for (const auto& known : kinds) {
        if (!equals(kind.data, kind.size, known.kind)) {
            continue;
        }
        unsigned int number = 0;
        if (!needNumber(d, 1, "note needs a whole note number after its kind", kMaxReference,
                        &number) ||
            !takesAtMost(d, 2)) {
            return false;
        }
        items()->appendValueRef(known.type, number);
        return true;
    }
    return fail(kind.offset, wxString::Format("%s, not \"%s\"", kNeedKind,
                                              CMessageText::cut(kind.data, kind.size)));
}

bool CMarkupReader::readDogear(const SDirective& d) {
    return readValueRef(d, eDITDogearRef, "dogear needs a whole dogear number", kMaxReference);
}

bool CMarkupReader::readReview(const SDirective& d) {
    if (!takesAtMost(d, 0)) {
        return false;
    }
    items()->appendMarker(eDITAssessmentReview);
    return true;
}

bool CMarkupReader::readEmail(const SDirective& d) {
    return readValueRef(d, eDITEmailItem, "email needs a whole item number", kMaxEmailItem);
}

bool CMarkupReader::readAttachment(const SDirective& d) {
    static const struct {
        const char* kind;
        eDataInfoType type;
    } kinds[] = {
        {"announce", eDITEmailItemAttachmentAnnounce},
        {"skip", eDITEmailItemAttachmentSkip},
        {"info", eDITEmailItemAttachmentInfoRef},
    };
    static const char* const kNeedKind = "attachment needs announce, skip or info";
    if (d.count == 0) {
        return fail(d.open, kNeedKind);
    }
    const SArgument& kind = d.arguments[0];
    for (const auto& known : kinds) {
        if (equals(kind.data, kind.size, known.kind)) {
            if (!takesAtMost(d, 1)) {
                return false;
            }
            items()->appendMarker(known.type);
            return true;
        }
    }
    return fail(kind.offset, wxString::Format("%s, not \"%s\"", kNeedKind,
                                              CMessageText::cut(kind.data, kind.size)));
}

// Any number is taken: the engine passes over view and command types it does not know, so a
// document may carry types that only a newer engine acts on.
bool CMarkupReader::readView(const SDirective& d) {
    unsigned int view = 0;
    if (!needNumber(d, 0, "view needs a whole view type number", kMaxType, &view) ||
        !takesAtMost(d, 1)) {
        return false;
    }
    items()->appendChangeView(static_cast<CDITChangeView::eViewType>(view));
    return true;
}

bool CMarkupReader::readCommand(const SDirective& d) {
    unsigned int command = 0;
    if (!needNumber(d, 0, "command needs a whole command type number", kMaxType, &command) ||
        !takesAtMost(d, 1)) {
        return false;
    }
    items()->appendFlitCommand(static_cast<CDITFlitCommand::eFlitCommandType>(command));
    return true;
}

// --- Shared parts ---

void CMarkupReader::appendToWord(const char* bytes, std::size_t size) {
    if (pendingWord.empty()) {
        wordStyle = style;
        wordBackground = background;
        wordColourTag = colourTag;
    } else {
        wordStyle = CStyleInfo(wordStyle.getStyles() | style.getStyles());
    }
    pendingWord.append(bytes, size);
}

void CMarkupReader::endWord() {
    if (!pendingWord.empty()) {
        document->appendWord(pendingWord.c_str(), wordStyle, wordBackground, wordColourTag);
        pendingWord.clear();
    }
}

CDataManager* CMarkupReader::items() {
    endWord();
    return document;
}

bool CMarkupReader::fail(std::size_t offset, const wxString& message) {
    errorOffset = offset;
    errorMessage = message;
    return false;
}

bool CMarkupReader::takesAtMost(const SDirective& d, std::size_t count) {
    if (d.count <= count) {
        return true;
    }
    const SArgument& extra = d.arguments[count];
    return fail(extra.offset,
                wxString::Format("unexpected \"%s\" in %s",
                                 CMessageText::cut(extra.data, extra.size), quotedDirective(d)));
}

bool CMarkupReader::needNumber(const SDirective& d, std::size_t index, const char* what,
                               unsigned int maximum, unsigned int* value) {
    if (index >= d.count) {
        return fail(d.open, what);
    }
    const SArgument& number = d.arguments[index];
    const wxString written = CMessageText::cut(number.data, number.size);
    switch (parseNumber(number.data, number.size, maximum, value)) {
    case eNumberOk:
        return true;
    case eNumberTooLarge:
        return fail(number.offset, wxString::Format("%s, and %s is too large (at most %u)", what,
                                                    written, maximum));
    case eNotANumber:
        break;
    }
    return fail(number.offset, wxString::Format("%s, not \"%s\"", what, written));
}

bool CMarkupReader::readValueRef(const SDirective& d, eDataInfoType type, const char* what,
                                 unsigned int maximum) {
    unsigned int value = 0;
    if (!needNumber(d, 0, what, maximum, &value) || !takesAtMost(d, 1)) {
        return false;
    }
    items()->appendValueRef(type, value);
    return true;
}

// Styles switch on and off without nesting. Switching on a style that is on, or off one that
// is off, is refused: it means the author's markup does not say what the author thinks it
// says. A style still on at the end of the text simply lasts to the end.
bool CMarkupReader::switchStyle(const SDirective& d, eStyleInfoType styleBit, bool on) {
    if (!takesAtMost(d, 0)) {
        return false;
    }
    const char* name = styleBit == eStyleBold ? "bold" : "highlight";
    if (style.isOn(styleBit) == on) {
        return fail(d.open, on ? wxString::Format("{%s} while %s is already on", name, name)
                               : wxString::Format("{/%s} without {%s}", name, name));
    }
    style.setOn(styleBit, on);
    return true;
}

bool CMarkupReader::readFileLink(const SDirective& d, eLinkInfoType type, bool holdAllowed,
                                 bool pauseAllowed, wxCLinkInfoListNode** link) {
    const wxString name = wxString::FromUTF8(d.name.data, d.name.size);
    if (d.count == 0) {
        return fail(d.open, name + " needs a file");
    }
    wxString hold;
    if (holdAllowed && d.count > 1) {
        const SArgument& seconds = d.arguments[1];
        unsigned int unused = 0;
        if (!(pauseAllowed && equals(seconds.data, seconds.size, "pause")) &&
            !needNumber(d, 1,
                        pauseAllowed ? "the file's hold must be a whole number of seconds or "
                                       "\"pause\""
                                     : "the file's hold must be a whole number of seconds",
                        kMaxHoldSeconds, &unused)) {
            return false;
        }
        hold = wxString::FromUTF8(seconds.data, seconds.size);
    }
    wxString dataName;
    if (!takesAtMost(d, holdAllowed ? 2 : 1) || !loadFile(d.arguments[0], &dataName)) {
        return false;
    }
    wxCLinkInfoListNode* node = document->addLink(type, dataName, hold);
    items()->appendLinkInfoRef(node);
    if (link != nullptr) {
        *link = node;
    }
    return true;
}

bool CMarkupReader::readTextLink(const SDirective& d, eLinkInfoType type, const char* what) {
    if (d.count == 0) {
        return fail(d.open, what);
    }
    if (!takesAtMost(d, 1)) {
        return false;
    }
    const SArgument& data = d.arguments[0];
    items()->appendLinkInfoRef(document->addLink(type, wxString::FromUTF8(data.data, data.size)));
    return true;
}

bool CMarkupReader::loadFile(const SArgument& file, wxString* name) {
    *name = wxString::FromUTF8(file.data, file.size);
    if (document->hasLinkFileData(*name)) {
        return true;
    }
    wxFileName path(*name);
    if (path.IsRelative()) {
        path.MakeAbsolute(baseDir);
    }
    std::string bytes;
    wxString reason;
    if (!CDocumentImporter::readFile(path.GetFullPath(), &bytes, &reason)) {
        return fail(file.offset,
                    wxString::Format("cannot read \"%s\": %s", CMessageText::cut(*name), reason));
    }
    document->storeLinkFileData(*name, bytes.data(), bytes.size());
    return true;
}

wxString CMarkupReader::quotedDirective(const SDirective& d) const {
    return "\"" + CMessageText::cut(d.text + d.open, d.close + 1 - d.open) + "\"";
}

#include <flitengine/engine/Hyphenation.h>

#include <flitengine/outside/MessageText.h>
#include <hyphen.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>

const char* const CHyphenation::kDictionaryFolder = "/usr/share/hyphen";

struct CHyphenation::SDictionary {
    HyphenDict* patterns = nullptr;
    // Encodes words into the dictionary's 8-bit charset; null for a UTF-8 dictionary.
    UConverter* encoder = nullptr;

    ~SDictionary() {
        if (encoder != nullptr) {
            ucnv_close(encoder);
        }
        if (patterns != nullptr) {
            hnj_hyphen_free(patterns);
        }
    }
};

namespace {

// No break closer to either end of a run of letters than this: a chunk never ends or begins
// with a lone letter.
constexpr int kMinSyllableEdge = 2;
// libhyphen writes a few bytes past the word into the breaks it returns.
constexpr std::size_t kHyphensSlack = 5;
// A run of letters shorter than this has no break.
constexpr std::size_t kMinHyphenatedLetters = static_cast<std::size_t>(2) * kMinSyllableEdge;

// Every dictionary loaded, by its file's real path (the system links one file under several
// names), and what each normalised tag found (null: nothing).
std::mutex cacheMutex;
std::map<std::string, std::unique_ptr<CHyphenation>>& loaded() {
    static std::map<std::string, std::unique_ptr<CHyphenation>> dictionaries;
    return dictionaries;
}
std::map<std::string, const CHyphenation*>& byTag() {
    static std::map<std::string, const CHyphenation*> found;
    return found;
}

// "en-gb", "EN_GB" and "en-Latn-GB" all give the language "en" and the region "GB".
void splitTag(const std::string& tag, std::string* language, std::string* region) {
    std::vector<std::string> parts(1);
    for (char c : tag) {
        if (c == '-' || c == '_') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    *language = parts[0];
    std::transform(language->begin(), language->end(), language->begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    region->clear();
    for (std::size_t i = 1; i < parts.size() && region->empty(); ++i) {
        if (parts[i].size() == 2) {
            *region = parts[i];
            std::transform(region->begin(), region->end(), region->begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        }
    }
}

bool isPlainName(const std::string& part) {
    return !part.empty() && std::all_of(part.begin(), part.end(),
                                        [](unsigned char c) { return std::isalnum(c) != 0; });
}

std::string findDictionary(const std::string& language, const std::string& region) {
    namespace fs = std::filesystem;
    const fs::path folder(CHyphenation::kDictionaryFolder);
    std::error_code error;
    if (!region.empty() &&
        fs::exists(folder / ("hyph_" + language + "_" + region + ".dic"), error)) {
        return (folder / ("hyph_" + language + "_" + region + ".dic")).string();
    }
    if (fs::exists(folder / ("hyph_" + language + ".dic"), error)) {
        return (folder / ("hyph_" + language + ".dic")).string();
    }
    std::vector<std::string> withRegion;
    const std::string prefix = "hyph_" + language + "_";
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0 && it->path().extension() == ".dic") {
            withRegion.push_back(it->path().string());
        }
    }
    std::sort(withRegion.begin(), withRegion.end());
    return withRegion.empty() ? std::string() : withRegion.front();
}

// Letters and the marks on them are hyphenated; anything else bounds a run.
bool isWordLetter(UChar32 c) {
    if (c < 0) {
        return false;
    }
    const int8_t type = u_charType(c);
    return u_isalpha(c) || type == U_NON_SPACING_MARK || type == U_COMBINING_SPACING_MARK;
}

bool isHyphen(UChar32 c) {
    return c == '-' || c == 0x2010;
}

} // namespace

namespace {

// The key a tag is cached under: "en", "en_GB".
std::string keyOf(const std::string& tag, std::string* language, std::string* region) {
    splitTag(tag, language, region);
    return region->empty() ? *language : *language + "_" + *region;
}

// What the cache holds for a key; false when it has not been looked for.
bool cachedFor(const std::string& key, const CHyphenation** dictionary) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    const auto found = byTag().find(key);
    if (found == byTag().end()) {
        return false;
    }
    *dictionary = found->second;
    return true;
}

// One load at a time, outside cacheMutex: a window asking whether a language is ready is never
// held up by a load of seconds.
std::mutex loadMutex;

} // namespace

bool CHyphenation::isResolved(const std::string& tag) {
    std::string language;
    std::string region;
    const CHyphenation* dictionary = nullptr;
    return cachedFor(keyOf(tag, &language, &region), &dictionary);
}

const CHyphenation* CHyphenation::forLanguage(const std::string& tag, wxString* notice) {
    std::string language;
    std::string region;
    const std::string key = keyOf(tag, &language, &region);
    const CHyphenation* dictionary = nullptr;
    if (!cachedFor(key, &dictionary)) {
        std::lock_guard<std::mutex> loading(loadMutex);
        if (!cachedFor(key, &dictionary)) {
            std::string path = isPlainName(language) && (region.empty() || isPlainName(region))
                                   ? findDictionary(language, region)
                                   : std::string();
            std::error_code error;
            if (!path.empty()) {
                path = std::filesystem::canonical(path, error).string();
            }
            bool known = false;
            {
                std::lock_guard<std::mutex> lock(cacheMutex);
                const auto same = loaded().find(path);
                if (same != loaded().end()) {
                    dictionary = same->second.get();
                    known = true;
                }
            }
            if (!known) {
                dictionary = load(tag, path);
            }
            std::lock_guard<std::mutex> lock(cacheMutex);
            byTag().emplace(key, dictionary);
        }
    }
    if (dictionary == nullptr && notice != nullptr) {
        *notice = tag.empty() ? wxString("No language to hyphenate in is known: long words are "
                                         "cut at the display length")
                              : wxString::Format("No hyphenation dictionary for the language "
                                                 "'%s' in %s: long words are cut at the display "
                                                 "length",
                                                 CMessageText::cut(tag.data(), tag.size()),
                                                 kDictionaryFolder);
    }
    return dictionary;
}

const CHyphenation* CHyphenation::load(const std::string& tag, const std::string& path) {
    auto dictionary = std::make_unique<SDictionary>();
    if (!path.empty()) {
        dictionary->patterns = hnj_hyphen_load(path.c_str());
    }
    if (dictionary->patterns != nullptr && !dictionary->patterns->utf8) {
        UErrorCode status = U_ZERO_ERROR;
        dictionary->encoder = ucnv_open(dictionary->patterns->cset, &status);
        if (U_FAILURE(status)) {
            dictionary.reset();
        } else {
            // A character the charset lacks stops the conversion: that word gets no breaks.
            ucnv_setFromUCallBack(dictionary->encoder, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr,
                                  nullptr, &status);
        }
    }
    if (!dictionary || dictionary->patterns == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(cacheMutex);
    std::unique_ptr<CHyphenation>& kept = loaded()[path];
    kept.reset(new CHyphenation(tag, path, std::move(dictionary)));
    return kept.get();
}

std::vector<std::string> CHyphenation::installedLanguages() {
    namespace fs = std::filesystem;
    std::vector<std::string> languages;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(kDictionaryFolder), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().stem().string();
        if (name.compare(0, 5, "hyph_") == 0 && it->path().extension() == ".dic") {
            languages.push_back(name.substr(5, name.find('_', 5) - 5));
        }
    }
    std::sort(languages.begin(), languages.end());
    languages.erase(std::unique(languages.begin(), languages.end()), languages.end());
    return languages;
}

CHyphenation::CHyphenation(std::string languageIn, std::string pathIn,
                           std::unique_ptr<SDictionary> dictionaryIn)
    : language(std::move(languageIn)), path(std::move(pathIn)),
      dictionary(std::move(dictionaryIn)) {}

CHyphenation::~CHyphenation() = default;

std::vector<std::size_t> CHyphenation::breaksOf(const std::string& word) const {
    std::vector<std::size_t> breaks;
    // The word's code points, lower-cased as the dictionaries' patterns are, and where each
    // begins in the word.
    std::vector<UChar32> lowered;
    std::vector<std::size_t> starts;
    const int32_t size = static_cast<int32_t>(word.size());
    for (int32_t at = 0; at < size;) {
        starts.push_back(static_cast<std::size_t>(at));
        UChar32 c = 0;
        U8_NEXT(word.data(), at, size, c);
        lowered.push_back(c < 0 ? c : u_tolower(c));
    }
    starts.push_back(word.size());

    std::lock_guard<std::mutex> lock(mutex);
    HyphenDict* patterns = dictionary->patterns;
    std::string encoded;
    std::vector<char> hyphens;
    for (std::size_t first = 0; first < lowered.size();) {
        if (isHyphen(lowered[first]) && first > 0 && first + 1 < lowered.size()) {
            breaks.push_back(starts[first + 1]);
        }
        if (!isWordLetter(lowered[first])) {
            ++first;
            continue;
        }
        std::size_t end = first;
        while (end < lowered.size() && isWordLetter(lowered[end])) {
            ++end;
        }
        const std::size_t letters = end - first;
        // The run in the dictionary's encoding, one byte per code point for an 8-bit one.
        encoded.clear();
        bool encodable = true;
        for (std::size_t i = first; i < end && encodable; ++i) {
            if (dictionary->encoder == nullptr) {
                char bytes[U8_MAX_LENGTH];
                int32_t length = 0;
                U8_APPEND_UNSAFE(bytes, length, lowered[i]);
                encoded.append(bytes, static_cast<std::size_t>(length));
            } else {
                UChar units[2];
                int32_t count = 0;
                U16_APPEND_UNSAFE(units, count, lowered[i]);
                char byte[4];
                UErrorCode status = U_ZERO_ERROR;
                ucnv_reset(dictionary->encoder);
                const int32_t length =
                    ucnv_fromUChars(dictionary->encoder, byte, sizeof byte, units, count, &status);
                encodable = U_SUCCESS(status) && length == 1;
                encoded += byte[0];
            }
        }
        if (encodable && letters >= kMinHyphenatedLetters) {
            hyphens.assign(encoded.size() + kHyphensSlack, '\0');
            char** replacements = nullptr;
            int* positions = nullptr;
            int* cuts = nullptr;
            hnj_hyphen_hyphenate3(patterns, encoded.data(), static_cast<int>(encoded.size()),
                                  hyphens.data(), nullptr, &replacements, &positions, &cuts,
                                  kMinSyllableEdge, kMinSyllableEdge, kMinSyllableEdge,
                                  kMinSyllableEdge);
            // hyphens is indexed by code point: a break after the i-th letter. A break that
            // would change the spelling (a replacement) is not taken.
            for (std::size_t i = 0; i + 1 < letters; ++i) {
                const bool replaced = replacements != nullptr && replacements[i] != nullptr;
                if ((hyphens[i] & 1) != 0 && !replaced) {
                    breaks.push_back(starts[first + i + 1]);
                }
            }
            if (replacements != nullptr) {
                for (std::size_t i = 0; i < encoded.size(); ++i) {
                    std::free(replacements[i]);
                }
                std::free(replacements);
                std::free(positions);
                std::free(cuts);
            }
        }
        first = end;
    }
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
    return breaks;
}

#ifndef FLIT_ENGINE_HYPHENATION_H
#define FLIT_ENGINE_HYPHENATION_H

#include <flitengine/FlitExport.h>

#include <wx/string.h>

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The syllable breaks of one language's words, from a hyphenation dictionary of the system
// (libhyphen's, in /usr/share/hyphen). Dictionaries are loaded once per process, on the first
// request for their language, and live until the process ends, so a pointer to one may be
// handed to the presentation thread and kept; finding the breaks of a word is safe from any
// thread.
class FLIT_EXPORT CHyphenation {
public:
    // Where the dictionaries are looked for.
    static const char* const kDictionaryFolder;

    // The dictionary for a language tag ("en", "en-GB", "de_DE", "pt-BR"...): the one for the
    // language and region, else the one for the language alone, else the first for the language
    // with any region. Null when there is none or it cannot be read, with notice saying so
    // (the reader then cuts long words at the display length); asking again for the same
    // language neither loads nor searches again. Loading a large dictionary takes seconds (the
    // German one, of a megabyte): a host asks for it before reading, not while.
    static const CHyphenation* forLanguage(const std::string& tag, wxString* notice = nullptr);

    // Whether forLanguage has been asked for this language already, so that asking again
    // neither loads nor searches. Never waits for a load in progress.
    static bool isResolved(const std::string& tag);

    // The languages that have a dictionary, as the first part of their names ("de", "en"),
    // sorted.
    static std::vector<std::string> installedLanguages();

    ~CHyphenation();
    CHyphenation(const CHyphenation&) = delete;
    CHyphenation& operator=(const CHyphenation&) = delete;

    // The language the dictionary was found for, as asked, and the dictionary's file.
    const std::string& getLanguage() const { return language; }
    const std::string& getPath() const { return path; }

    // The byte offsets within a UTF-8 word at which it may be hyphenated, in increasing order:
    // the breaks inside its run of letters (leading and trailing punctuation stays whole), and
    // after a hyphen the word already holds.
    std::vector<std::size_t> breaksOf(const std::string& word) const;

private:
    struct SDictionary;
    // Loads the dictionary at path into the cache (null when it cannot); the caller holds the
    // load lock.
    static const CHyphenation* load(const std::string& tag, const std::string& path);
    CHyphenation(std::string language, std::string path, std::unique_ptr<SDictionary> dictionary);

    std::string language;
    std::string path;
    std::unique_ptr<SDictionary> dictionary;
    // libhyphen's matching and the charset converter keep state while they work: one word at a
    // time per dictionary.
    mutable std::mutex mutex;
};

#endif

#ifndef FLIT_APP_HYPHENATIONLOADING_H
#define FLIT_APP_HYPHENATIONLOADING_H

#include <string>

// Loads hyphenation dictionaries off the GUI thread. A large dictionary takes seconds to load
// (the German one about five), which the window must not freeze for: until it is loaded, long
// words are cut at the display length.
namespace hyphenationLoading {

// Whether the dictionary for a language tag has been looked for already, so that asking for
// it costs nothing.
bool isReady(const std::string& tag);

// Starts loading the dictionary for tag on a thread of its own, unless it is loading already.
// When it is done, every reader window applies its reading rules again on the GUI thread.
void start(const std::string& tag);

// Waits for the loads still running; the application calls it as it exits.
void finish();

} // namespace hyphenationLoading

#endif

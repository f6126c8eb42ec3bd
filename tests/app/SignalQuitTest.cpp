// The reader asked to end by a signal while it reads (a logout, a shutdown, Ctrl+C in its
// terminal) ends as File > Quit does: the place and the reading since the last pause are in
// the library.

#include "library/Library.h"

#include "support/ReaderWindowTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

class SignalQuitTest : public ReaderWindowTest, public testing::WithParamInterface<int> {
protected:
    // The words (not the blanks) the reader's record says it flashed.
    static int wordsFlashed(const wxString& record) {
        const std::string events = read(record);
        int words = 0;
        for (std::size_t at = events.find("\tWORD\t"); at != std::string::npos;
             at = events.find("\tWORD\t", at + 1)) {
            words += events[at + 6] != '\t';
        }
        return words;
    }
};

TEST_P(SignalQuitTest, TheReaderKeepsThePlaceAndTheReading) {
    std::string text;
    for (int word = 0; word < 3000; ++word) {
        text += "word ";
    }
    const wxString document = write("long.txt", text);
    const wxString record = folder + "/record.tsv";
    std::vector<std::string> arguments = {FLITREADER_PATH,       "--wpm",    "950",
                                          "--autostart",         "--record", record.ToStdString(),
                                          document.ToStdString()};
    std::vector<std::string> environment = {"XDG_DATA_HOME=" + folder.ToStdString(),
                                            "XDG_CONFIG_HOME=" + folder.ToStdString()};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.emplace_back(*variable);
    }
    std::vector<char*> argv, envp;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    for (std::string& variable : environment) {
        envp.push_back(variable.data());
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    // The reader starts with the signals' default actions, whatever this process has.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, GetParam());
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t reader = 0;
    ASSERT_EQ(
        0, posix_spawn(&reader, FLITREADER_PATH, nullptr, &attributes, argv.data(), envp.data()));
    posix_spawnattr_destroy(&attributes);

    int status = 0;
    bool exited = false;
    const auto ended = [&] {
        return exited = exited || waitpid(reader, &status, WNOHANG) == reader;
    };
    const bool reading =
        pumpUntil([&] { return wordsFlashed(record) >= 20; }, std::chrono::seconds(60));
    kill(reader, reading ? GetParam() : SIGKILL);
    ASSERT_TRUE(pumpUntil(ended, std::chrono::seconds(60)));
    ASSERT_TRUE(reading);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    CLibrary library(folder + "/flitreader/library.sqlite3");
    const std::vector<CLibrary::SDocument> documents = library.documents();
    ASSERT_EQ(1u, documents.size());
    EXPECT_GE(documents[0].position, 19);
    EXPECT_LT(documents[0].position, 3000);
    const std::vector<CLibrary::SSession> sessions =
        library.sessionsSince(wxDateTime(static_cast<time_t>(0)));
    ASSERT_EQ(1u, sessions.size());
    EXPECT_GE(sessions[0].wordsShown, 19);
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalQuitTest, testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const testing::TestParamInfo<int>& signal) {
                             return std::string(sigabbrev_np(signal.param));
                         });

} // namespace

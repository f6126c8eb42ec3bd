#ifndef FLIT_TESTS_SUPPORT_WATCHDOG_H
#define FLIT_TESTS_SUPPORT_WATCHDOG_H

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <string>
#include <thread>

// Fails the whole run, with a message, when the scope it guards goes a whole deadline without
// progress: a hang in the engine must end the test rather than the CI job. Without calls to
// progress() the deadline holds for the whole scope; each call gives a new one. The context, when
// given, is asked at the moment of the hang for what the test was doing.
class CWatchdog {
public:
    CWatchdog(const char* what, std::chrono::seconds deadline,
              std::function<std::string()> context = nullptr)
        : watcher([this, what, deadline, context, done = ended.get_future()] {
              for (unsigned long seen = ~0ul; seen != steps;) {
                  seen = steps;
                  if (done.wait_for(deadline) == std::future_status::ready) {
                      return;
                  }
              }
              std::fprintf(stderr, "watchdog: %s made no progress within %lld s%s%s\n", what,
                           static_cast<long long>(deadline.count()), context ? ": " : "",
                           context ? context().c_str() : "");
              std::abort();
          }) {}
    ~CWatchdog() {
        ended.set_value();
        watcher.join();
    }

    void progress() { ++steps; }

private:
    std::promise<void> ended; // set when the scope ends, to stop the watcher
    std::atomic<unsigned long> steps{0};
    std::thread watcher;
};

#endif

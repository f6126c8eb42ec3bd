#ifndef FLIT_TESTS_TESTENVIRONMENT_H
#define FLIT_TESTS_TESTENVIRONMENT_H

#include <stdexcept>

// Thrown by the test assert handler, so a failed wxASSERT fails the test that caused it
// instead of opening a dialog that would hang the run.
class CWxAssertFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Installs the throwing assert handler and a logger that writes to standard error. Called by
// both test mains before anything else runs.
void installTestEnvironment();

#endif

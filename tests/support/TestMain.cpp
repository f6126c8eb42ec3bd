// Main of the tests that need only the base library: no windows, no display.

#include "TestEnvironment.h"

#include <gtest/gtest.h>
#include <wx/init.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk()) {
        return 1;
    }
    installTestEnvironment();
    return RUN_ALL_TESTS();
}

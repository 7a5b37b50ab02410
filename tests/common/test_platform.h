#pragma once
// What the tests may assume of the system they run on. They run under Wine
// here and on Windows PCs from the test bundle (run-tests.cmd): tests that need
// administrator rights, or that hold to what only Wine does, skip elsewhere
// with their reason.

#ifdef __cplusplus
extern "C" {
#else
#include <stdbool.h>
#endif

// True under Wine, whose ntdll exports wine_get_version.
bool RunningUnderWine(void);

// True when the process's token is elevated (or, where elevation cannot be
// asked, holds the Administrators group): writing under HKLM, Program Files
// and System32 and trusting a root in the machine's store need it on Windows.
// False whatever the token when WARESEEK_TESTS_AS_STANDARD_USER is set.
bool RunningElevated(void);

#ifdef __cplusplus
}
#endif

// The reason a test that needs elevation gives when it skips.
#define WARESEEK_NEEDS_ELEVATION "needs administrator rights on Windows (run elevated): "

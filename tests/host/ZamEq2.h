#pragma once
// ZamEQ2, a third-party plug-in from Debian's zam-plugins package, is the real
// plug-in some host tests drive. Where it is not installed those tests skip
// and say why, rather than fail for a reason that is not theirs.

#include <gtest/gtest.h>

#include <filesystem>

// Ends the running test (its body or its fixture's SetUp) as skipped when
// ZamEQ2 is missing.
#define TESSEL_SKIP_WITHOUT_ZAMEQ2()                                   \
    if (!std::filesystem::exists(TESSEL_ZAMEQ2_PLUGIN))                \
    GTEST_SKIP() << "ZamEQ2 is not installed at " TESSEL_ZAMEQ2_PLUGIN \
                    " (Debian package zam-plugins, installed by scripts/setup.sh)"

// SPDX-License-Identifier: MIT
// Unit tests: which Windows write errors mean that the reader has gone.

#include "windows_pipe.h"

#include <gtest/gtest.h>

// The codes as winerror.h numbers them, written out here so that a wrong
// constant in the program is caught too.
TEST(WindowsPipe, OnlyAGoneReaderIsQuiet) {
    const struct {
        unsigned long code;
        const char *name;
        bool gone;
    } rows[] = {
        {109, "ERROR_BROKEN_PIPE", true},
        {232, "ERROR_NO_DATA, Windows' own for a closed reader", true},
        {233, "ERROR_PIPE_NOT_CONNECTED, Wine's for a closed reader", true},
        {112, "ERROR_DISK_FULL", false},
        {39, "ERROR_HANDLE_DISK_FULL", false},
        {5, "ERROR_ACCESS_DENIED", false},
        {0, "no Windows error at all", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(readerHasGone(row.code), row.gone) << row.name;
}

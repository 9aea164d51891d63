// SPDX-License-Identifier: MIT
// Telling, from a Windows error code alone, that the reader of a pipe has gone.

#pragma once

// The codes winerror.h gives them; the Windows build checks that they match.
namespace windowsError {
inline constexpr unsigned long brokenPipe = 109;       // ERROR_BROKEN_PIPE
inline constexpr unsigned long noData = 232;           // ERROR_NO_DATA
inline constexpr unsigned long pipeNotConnected = 233; // ERROR_PIPE_NOT_CONNECTED
} // namespace windowsError

// Whether a failed write's Windows error means that the reader of the
// output pipe has gone. Windows says so with ERROR_NO_DATA ("the pipe is
// being closed") or ERROR_BROKEN_PIPE, Wine with ERROR_PIPE_NOT_CONNECTED;
// the C runtime turns most of them into EINVAL, so only this code tells them
// from a real failure.
constexpr bool readerHasGone(unsigned long error) {
    return error == windowsError::brokenPipe || error == windowsError::noData ||
           error == windowsError::pipeNotConnected;
}

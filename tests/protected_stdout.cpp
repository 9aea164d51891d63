// SPDX-License-Identifier: MIT
// Runs a Windows program with its standard output handle protected from
// closing, as a launcher may hand it over: writes through it work, and
// closing it fails. The end-to-end table runs the Windows program so.
//
// usage: protected_stdout.exe PROGRAM [ARGUMENT...]

#include <windows.h>

namespace {

// The command line after this program's own name, as it was given.
char *afterOwnName(char *line) {
    const bool quoted = *line == '"';
    line += quoted;
    while (*line != '\0' && *line != (quoted ? '"' : ' '))
        ++line;
    line += quoted && *line == '"';
    while (*line == ' ')
        ++line;
    return line;
}

} // namespace

int main() {
    constexpr int cannotRun = 125;
    HANDLE out = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(),
                         &out, 0, TRUE, DUPLICATE_SAME_ACCESS) ||
        !SetHandleInformation(out, HANDLE_FLAG_PROTECT_FROM_CLOSE, HANDLE_FLAG_PROTECT_FROM_CLOSE))
        return cannotRun;
    STARTUPINFOA start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = out;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(nullptr, afterOwnName(GetCommandLineA()), nullptr, nullptr, TRUE, 0,
                        nullptr, nullptr, &start, &child))
        return cannotRun;
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = cannotRun;
    GetExitCodeProcess(child.hProcess, &status);
    return static_cast<int>(status);
}

// The process's last-resort error handler.
#ifndef KIVO_LAST_RESORT_WIN_H
#define KIVO_LAST_RESORT_WIN_H

#include <exception>

// Shows the task-modal "Application Error" box for an error that nothing handled and
// ends the process with exit code 1.
[[noreturn]] void EndWithLastResortBox(const std::exception& error);

// Runs one of our own operations inside a Win32 callback. No C++ exception may unwind
// through the dialog manager's frames, so whatever escapes the operation ends here.
template <typename Operation>
void RunGuarded(Operation&& operation) {
    try {
        operation();
    } catch (const std::exception& error) {
        EndWithLastResortBox(error);
    }
}

#endif

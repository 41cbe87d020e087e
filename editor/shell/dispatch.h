// The main window's message dispatch as a plain function: the Win32 window
// procedure hands every message to `dispatch` and, when told to, passes it
// on to the default window procedure.
#ifndef PIVOLA_SHELL_DISPATCH_H
#define PIVOLA_SHELL_DISPATCH_H

#include <cstdint>

#include "core/state.h"

namespace pivola {

struct Outcome {
    bool usedefault = false;   // call the default window procedure and answer its result
    std::intptr_t result = 0;  // the answer when usedefault is false
    bool operator==(const Outcome&) const = default;
};

inline Outcome answered(std::intptr_t result = 0) {
    return Outcome{false, result};
}
inline Outcome passon() {
    return Outcome{true, 0};
}

Outcome dispatch(App& app, Port& port, std::uint32_t message, std::uintptr_t wparam,
                 std::intptr_t lparam);

}  // namespace pivola

#endif

// Runs one step of a handler; a step that fails is abandoned silently and the handler goes on.
#pragma once

#include <exception>

template <typename Step> void SkipOnError(Step&& step) {
    try {
        step();
    } catch (const std::exception&) { // NOLINT(bugprone-empty-catch): skipping is the point
    }
}

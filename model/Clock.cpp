#include "model/Clock.h"

#include <chrono>

namespace NoteEditEngine {

namespace {

int32_t SystemTime() noexcept {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    return static_cast<int32_t>(seconds);
}

TimeSource g_source = &SystemTime;

}  // namespace

int32_t CurrentTime() noexcept {
    return g_source();
}

void SetTimeSource(TimeSource source) noexcept {
    g_source = source != nullptr ? source : &SystemTime;
}

}  // namespace NoteEditEngine

#pragma once

#include <cstdint>

namespace NoteEditEngine {

// Seconds since 1970-01-01 00:00 UTC, as the model stamps created and modified times.
using TimeSource = int32_t (*)();

[[nodiscard]] int32_t CurrentTime() noexcept;
// Replaces the clock (tests pin time with it); null restores the system clock.
void SetTimeSource(TimeSource source) noexcept;

}  // namespace NoteEditEngine

#pragma once

#include <QString>

// The user's settings, in the program's settings store; value names are matched without regard to
// case, as the stored names have always been.
namespace ProfileSettings {

[[nodiscard]] int ReadInt(const QString& section, const QString& name, int defaultValue);
void WriteInt(const QString& section, const QString& name, int value);

}  // namespace ProfileSettings

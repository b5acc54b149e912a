#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "storage/ProfileSettings.h"

namespace TestSupport {

// Profile settings in memory, "section/entry" -> value, and a recovery folder of the test's
// choosing.
class CFakeSettings final : public NoteTreeEngine::CProfileSettings {
public:
    explicit CFakeSettings(std::filesystem::path recoveryFolder = {})
        : m_recoveryFolder(std::move(recoveryFolder)) {}

    std::u16string GetProfileString(std::u16string_view section,
                                    std::u16string_view entry) override {
        const auto found = values.find(Key(section, entry));
        return found == values.end() ? std::u16string() : found->second;
    }
    void WriteProfileString(std::u16string_view section, std::u16string_view entry,
                            std::u16string_view value) override {
        values[Key(section, entry)] = std::u16string(value);
    }
    std::filesystem::path RecoveryFolder() override { return m_recoveryFolder; }

    static std::u16string Key(std::u16string_view section, std::u16string_view entry) {
        return std::u16string(section) + u"/" + std::u16string(entry);
    }
    std::map<std::u16string, std::u16string> values;

private:
    std::filesystem::path m_recoveryFolder;
};

}  // namespace TestSupport

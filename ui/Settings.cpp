#include "ui/Settings.h"

#include <QSettings>
#include <optional>

namespace Settings {

namespace {

// The file a batch holds open, if any.
QSettings* batchFile = nullptr;

// A value is read and rewritten under the spelling already stored, whatever its case.
QString StoredName(const QSettings& settings, const char* name) {
    const QString wanted = QLatin1String(name);
    for (const QString& key : settings.childKeys())
        if (key.compare(wanted, Qt::CaseInsensitive) == 0) return key;
    return wanted;
}

// Runs `use` on the batch's file, else on one opened for the call.
template <typename Use>
auto WithFile(const char* section, Use use) {
    std::optional<QSettings> own;
    QSettings& settings = batchFile != nullptr ? *batchFile
                                               : own.emplace(QLatin1String(kOrganization),
                                                             QLatin1String(kApplication));
    settings.beginGroup(QLatin1String(section));
    struct EndGroup {
        QSettings& settings;
        ~EndGroup() { settings.endGroup(); }
    } end{settings};
    return use(settings);
}

QVariant Value(const char* section, const char* name) {
    return WithFile(section, [name](QSettings& settings) {
        return settings.value(StoredName(settings, name));
    });
}

void SetValue(const char* section, const char* name, const QVariant& value) {
    WithFile(section, [name, &value](QSettings& settings) {
        const QString stored = StoredName(settings, name);
        // A value stored already is not written again: the file is then left alone, not
        // rewritten and synced at every exit. The store gives back what it read as text.
        if (settings.contains(stored) && settings.value(stored).toString() == value.toString())
            return;
        settings.setValue(stored, value);
    });
}

}  // namespace

int Read(const IntKey& key) {
    return Read(key, key.defaultValue);
}

int Read(const IntKey& key, int defaultValue) {
    bool ok = false;
    const int value = Value(key.section, key.name).toInt(&ok);
    return ok ? value : defaultValue;
}

std::u16string Read(const TextKey& key) {
    return Value(key.section, key.name).toString().toStdU16String();
}

void Write(const IntKey& key, int value) {
    SetValue(key.section, key.name, value);
}

void Write(const TextKey& key, std::u16string_view value) {
    SetValue(key.section, key.name, QString::fromUtf16(value.data(), qsizetype(value.size())));
}

CBatch::CBatch() {
    if (batchFile != nullptr) return;
    batchFile = new QSettings(QLatin1String(kOrganization), QLatin1String(kApplication));
    m_outermost = true;
}

CBatch::~CBatch() {
    if (!m_outermost) return;
    delete batchFile;  // writes the file out
    batchFile = nullptr;
}

}  // namespace Settings

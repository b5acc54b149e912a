// The settings store: defaults for what is missing or bad, and the spelling other versions read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QSettings>

#include "ui/Settings.h"

namespace {

QSettings Store() {
    return QSettings(QStringLiteral("OrvaneInc"), QStringLiteral("Jotwell"));
}

QStringList Keys(const char* section) {
    QSettings settings = Store();
    settings.beginGroup(QLatin1String(section));
    return settings.childKeys();
}

}  // namespace

TEST(Settings, MissingOrBadValuesGiveTheDefaultAndWritesKeepTheStoredSpelling) {
    {
        QSettings settings = Store();
        settings.remove(QStringLiteral("TextFormatting"));
        settings.remove(QStringLiteral("NoteStore"));
    }
    EXPECT_EQ(Settings::Read(Settings::kTextScale), Settings::kTextScale.defaultValue);
    EXPECT_EQ(Settings::Read(Settings::kNotesFolder), u"");
    Store().setValue(QStringLiteral("TextFormatting/scale"), QStringLiteral("big"));
    EXPECT_EQ(Settings::Read(Settings::kTextScale), Settings::kTextScale.defaultValue);
    Settings::Write(Settings::kTextScale, 4);
    EXPECT_EQ(Keys("TextFormatting"), QStringList{"scale"});
    EXPECT_EQ(Settings::Read(Settings::kTextScale), 4);
    Settings::Write(Settings::kNotesFolder, u"/home/u/Notes \u00e4");
    EXPECT_EQ(Store().value(QStringLiteral("NoteStore/NoteStorePath")),
              QStringLiteral("/home/u/Notes \u00e4"));
    EXPECT_EQ(Settings::Read(Settings::kNotesFolder), u"/home/u/Notes \u00e4");
    // Writing what is stored leaves the file alone (it is replaced whole when written).
    const QString file = Store().fileName();
    struct stat before {};
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &before), 0);
    {
        Settings::CBatch batch;
        Settings::Write(Settings::kTextScale, 4);
        Settings::Write(Settings::kNotesFolder, u"/home/u/Notes \u00e4");
    }
    struct stat after {};
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

#pragma once

#include <QDialog>

// The About box: the program's icon, its name and version, and OK.
class CAboutBox final : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kVersionLine =
        QT_TRANSLATE_NOOP("CAboutBox", "Jotwell Version 1.11");

    explicit CAboutBox(const QIcon& icon, QWidget* parent = nullptr);
};

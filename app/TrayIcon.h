#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

class QAction;
class QMenu;
class QWidget;

// True when the desktop has a notification area. Where it has none the frame minimises on Close
// instead of hiding, since a hidden window would have no way back.
[[nodiscard]] bool IsTrayAvailable();

// The program's icon in the notification area, with its menu Open / New Note / Exit. A left
// click or a double click asks for Open; the right button opens the menu. The frame owns it and
// answers its signals.
class CTrayIcon final : public QObject {
    Q_OBJECT

public:
    explicit CTrayIcon(QObject* parent = nullptr);
    ~CTrayIcon() override;
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Puts the icon into the notification area with the tooltip; false, the icon left out,
    // where the desktop has none.
    bool Create(const QIcon& icon, const QString& tooltip = QStringLiteral("Jotwell"));
    // Changes the icon while it is shown.
    void SetIcon(const QIcon& icon);
    [[nodiscard]] bool IsEnabled() const noexcept { return m_enabled; }

    [[nodiscard]] QMenu* Menu() const noexcept { return m_menu.get(); }
    // The icon's activation, as the notification area reports it.
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    // Hides the window to the tray.
    static void HideToTray(QWidget* window);
    // Shows the window again: shown if hidden, restored if minimised, raised and activated.
    static void ShowFromTray(QWidget* window);

signals:
    void OpenRequested();
    void NewNoteRequested();
    void ExitRequested();

private:
    QAction* AddItem(const QString& text, int id, void (CTrayIcon::*signal)());

    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon m_icon;
    bool m_enabled = false;
};

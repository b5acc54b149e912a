#include "app/TrayIcon.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "base/CommandIds.h"

bool IsTrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent), m_menu(std::make_unique<QMenu>()) {
    QAction* open = AddItem(tr("Open"), CommandIds::kOpen, &CTrayIcon::OpenRequested);
    m_menu->setDefaultAction(open);
    m_menu->addSeparator();
    AddItem(tr("New Note"), CommandIds::kNewNoteFromTray, &CTrayIcon::NewNoteRequested);
    AddItem(tr("Exit"), CommandIds::kExit, &CTrayIcon::ExitRequested);
    m_icon.setContextMenu(m_menu.get());
    connect(&m_icon, &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
}

CTrayIcon::~CTrayIcon() {
    m_icon.hide();
    m_icon.setContextMenu(nullptr);
}

QAction* CTrayIcon::AddItem(const QString& text, int id, void (CTrayIcon::*signal)()) {
    QAction* action = m_menu->addAction(text);
    action->setData(id);
    connect(action, &QAction::triggered, this, signal);
    return action;
}

bool CTrayIcon::Create(const QIcon& icon, const QString& tooltip) {
    m_enabled = false;
    if (!IsTrayAvailable()) return false;
    m_icon.setIcon(icon);
    m_icon.setToolTip(tooltip);
    m_icon.show();
    m_enabled = m_icon.isVisible();
    return m_enabled;
}

void CTrayIcon::SetIcon(const QIcon& icon) {
    if (m_enabled) m_icon.setIcon(icon);
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    // The context menu belongs to the icon itself; a middle click does nothing.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        emit OpenRequested();
}

void CTrayIcon::HideToTray(QWidget* window) {
    window->hide();
}

void CTrayIcon::ShowFromTray(QWidget* window) {
    if (window->isHidden()) window->show();
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->raise();
    window->activateWindow();
}

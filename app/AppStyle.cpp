#include "app/AppStyle.h"

#include "app/DataFolder.h"
#include "ui/SvgIconEngine.h"

QIcon CAppStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                              const QWidget* widget) const {
    if (standardIcon == SP_ToolBarHorizontalExtensionButton ||
        standardIcon == SP_ToolBarVerticalExtensionButton) {
        const QString file = standardIcon == SP_ToolBarHorizontalExtensionButton
                                 ? QStringLiteral("/icons/toolbar/extension-horizontal.svg")
                                 : QStringLiteral("/icons/toolbar/extension-vertical.svg");
        const QIcon icon = CSvgIconEngine::Icon(DataFolder::Path() + file);
        if (!icon.isNull()) return icon;
    }
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}

#pragma once

#include <QMimeData>
#include <QPointer>

class CDragAndDropTreeView;

// The data of a drag out of the tree, given only when a receiver asks for it: every request goes
// to the view, so that the tree file is written only if someone wants it. It offers the private
// MIME type with this process's identity and text/uri-list for the tree file.
class CDragData : public QMimeData {
    Q_OBJECT

public:
    explicit CDragData(CDragAndDropTreeView* view);

    [[nodiscard]] QStringList formats() const override;

protected:
    [[nodiscard]] QVariant retrieveData(const QString& mimeType,
                                        QMetaType preferredType) const override;

private:
    // The view may go away while a receiver still holds the data.
    QPointer<CDragAndDropTreeView> m_view;
};

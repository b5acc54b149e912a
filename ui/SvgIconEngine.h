#pragma once

#include <QIcon>
#include <QIconEngine>
#include <QPixmap>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <tuple>

class QSvgRenderer;

// An icon drawn from an SVG file (a path or a resource) when it is first shown, at the size asked
// for. Qt's own SVG icons load an icon plugin, parse every file once when the icon is made, to
// check it, and again when it is drawn: a few milliseconds of every start for the window's
// forty icons. This one parses its file once, on its first drawing, and keeps what it drew per
// size, mode and state. A mode other than Normal is the style's rendering of the Normal pixmap,
// as with Qt's icons, so that a disabled button looks the same.
//
// Null when the file does not exist; a file that exists but holds no image draws nothing.
class CSvgIconEngine final : public QIconEngine {
public:
    explicit CSvgIconEngine(QString path);
    ~CSvgIconEngine() override;
    CSvgIconEngine(const CSvgIconEngine&) = delete;
    CSvgIconEngine& operator=(const CSvgIconEngine&) = delete;

    // An icon of the SVG file at `path`.
    [[nodiscard]] static QIcon Icon(const QString& path);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    [[nodiscard]] QIconEngine* clone() const override;
    [[nodiscard]] QString key() const override;
    [[nodiscard]] bool isNull() override;

private:
    // The parsed file, parsed on first use; null when it holds no image.
    QSvgRenderer* Renderer();

    QString m_path;
    std::unique_ptr<QSvgRenderer> m_renderer;
    bool m_parsed = false;
    std::optional<bool> m_exists;  // looked at once: asked at every paint of a tool button
    std::map<std::tuple<int, int, int, int>, QPixmap> m_drawn;
};

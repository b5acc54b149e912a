#include "ui/SvgIconEngine.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <utility>

CSvgIconEngine::CSvgIconEngine(QString path) : m_path(std::move(path)) {}

CSvgIconEngine::~CSvgIconEngine() = default;

QIcon CSvgIconEngine::Icon(const QString& path) {
    return QIcon(new CSvgIconEngine(path));
}

QSvgRenderer* CSvgIconEngine::Renderer() {
    if (!std::exchange(m_parsed, true)) {
        auto renderer = std::make_unique<QSvgRenderer>(m_path);
        if (renderer->isValid()) m_renderer = std::move(renderer);
    }
    return m_renderer.get();
}

QSize CSvgIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
    QSvgRenderer* renderer = Renderer();
    if (renderer == nullptr) return {};
    QSize actual = renderer->defaultSize();
    if (!actual.isNull()) actual.scale(size, Qt::KeepAspectRatio);
    return actual;
}

QPixmap CSvgIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    const auto key = std::make_tuple(size.width(), size.height(), int(mode), int(state));
    if (const auto found = m_drawn.find(key); found != m_drawn.end()) return found->second;
    const QSize actual = actualSize(size, mode, state);
    if (actual.isEmpty()) return {};
    QImage image(actual, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);
    QPainter painter(&image);
    m_renderer->render(&painter);
    painter.end();
    QPixmap drawn = QPixmap::fromImage(std::move(image));
    if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QStyleOption option;
        option.palette = QGuiApplication::palette();
        const QPixmap generated = QApplication::style()->generatedIconPixmap(mode, drawn, &option);
        if (!generated.isNull()) drawn = generated;
    }
    m_drawn.emplace(key, drawn);
    return drawn;
}

void CSvgIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                           QIcon::State state) {
    QSize size = rect.size();
    if (painter->device() != nullptr) size *= painter->device()->devicePixelRatio();
    painter->drawPixmap(rect, pixmap(size, mode, state));
}

QIconEngine* CSvgIconEngine::clone() const {
    return new CSvgIconEngine(m_path);
}

QString CSvgIconEngine::key() const {
    return QStringLiteral("svg");
}

bool CSvgIconEngine::isNull() {
    // A look at the file, not a parse: asked while toolbars are laid out, long before a drawing.
    if (!m_exists) m_exists = QFileInfo::exists(m_path);
    return !*m_exists;
}

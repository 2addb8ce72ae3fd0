#include "gui/FileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace gui {

QString DroppedFile(const QMimeData* mime, const QStringList& suffixes)
{
    if (!mime || !mime->hasUrls())
        return {};
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString path = urls.front().toLocalFile();
    for (const QString& suffix : suffixes)
        if (path.endsWith(suffix, Qt::CaseInsensitive) && path.size() > suffix.size())
            return path;
    return {};
}

FileDropTarget::FileDropTarget(QWidget& window, QStringList suffixes, std::function<bool(const QString&)> wants,
                               std::function<void(const QString&)> open)
    : QObject(&window), m_suffixes(std::move(suffixes)), m_wants(std::move(wants)), m_open(std::move(open))
{
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

QString FileDropTarget::Wanted(const QMimeData* mime) const
{
    const QString path = DroppedFile(mime, m_suffixes);
    return !path.isEmpty() && m_wants(path) ? path : QString();
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (Wanted(drag->mimeData()).isEmpty())
            drag->ignore();
        else
            drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = Wanted(drop->mimeData());
        if (path.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        QTimer::singleShot(0, this, [this, path] { m_open(path); });
        return true;
    }
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace gui

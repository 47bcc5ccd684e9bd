#include "dialog/photo_drop.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <utility>

std::optional<QString> FirstLocalFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return std::nullopt;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) return url.toLocalFile();
    }
    return std::nullopt;
}

PhotoDropTarget::PhotoDropTarget(QWidget& window, std::function<bool(const QString&)> onDrop)
    : onDrop_(std::move(onDrop)) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    for (QWidget* child : window.findChildren<QWidget*>()) child->installEventFilter(this);
}

bool PhotoDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!FirstLocalFile(drag->mimeData())) return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<QString> file = FirstLocalFile(drop->mimeData());
        if (!file) return false;
        if (onDrop_(*file)) {
            drop->acceptProposedAction();
        } else {
            drop->ignore();
        }
        return true;
    }
    default: return QObject::eventFilter(watched, event);
    }
}

#pragma once
// Files dropped on the converter's window. The window and every control in
// it take a drag that carries a local file (an edit box would otherwise take
// the file's address as text); the first local file of the drop is handed
// on. Drags of anything else are left to the controls as before.

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QMimeData;
class QWidget;

// The first local file the data names, if any.
std::optional<QString> FirstLocalFile(const QMimeData* data);

class PhotoDropTarget final : public QObject {
public:
    // `onDrop` is given the file and says whether it took it.
    PhotoDropTarget(QWidget& window, std::function<bool(const QString&)> onDrop);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool(const QString&)> onDrop_;
};

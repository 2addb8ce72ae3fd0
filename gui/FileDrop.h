#pragma once
// Files dropped onto a program's window. A drag is taken only when it carries exactly one
// local file the window wants; anything else (several files, a web address, text) is refused
// before it lands, so the pointer shows that it will not be taken.

#include <functional>

#include <QObject>
#include <QString>
#include <QStringList>

class QMimeData;
class QWidget;

namespace gui {

// The one local file mime carries, when its name ends in one of suffixes (".tex"; any case);
// empty otherwise.
QString DroppedFile(const QMimeData* mime, const QStringList& suffixes);

// Makes window a drop target. wants(path) decides whether a file DroppedFile found is taken
// (it may depend on the document's state); open(path) runs once the drop is over, so that
// the questions it asks do not hold up the program the file was dragged from.
class FileDropTarget final : public QObject {
public:
    FileDropTarget(QWidget& window, QStringList suffixes, std::function<bool(const QString&)> wants,
                   std::function<void(const QString&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString Wanted(const QMimeData* mime) const;

    QStringList m_suffixes;
    std::function<bool(const QString&)> m_wants;
    std::function<void(const QString&)> m_open;
};

} // namespace gui

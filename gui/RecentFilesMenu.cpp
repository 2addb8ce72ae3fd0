#include "gui/RecentFilesMenu.h"

#include <algorithm>

#include <QAction>
#include <QMenu>

#include "gui/Settings.h"

namespace gui {

RecentFilesMenu::RecentFilesMenu(QMenu& menu, QAction& placeholder, const RecentFileList& list,
                                 std::function<void(int)> open)
    : m_menu(menu), m_placeholder(placeholder), m_list(list), m_open(std::move(open))
{
    QObject::connect(&m_menu, &QMenu::aboutToShow, &m_menu, [this] { Rebuild(); });
    Rebuild();
}

void RecentFilesMenu::Rebuild()
{
    for (QAction* a : m_entries) {
        m_menu.removeAction(a);
        // It may be the entry whose trigger is running now.
        a->deleteLater();
    }
    m_entries.clear();
    const int count = static_cast<int>(std::min<qsizetype>(m_list.Files().size(), m_list.Size()));
    m_placeholder.setVisible(count == 0);
    const int firstId = m_placeholder.data().toInt();
    for (int i = 0; i < count; ++i) {
        auto* action = new QAction(m_list.MenuText(i), &m_menu);
        action->setData(firstId + i);
        action->setStatusTip(m_placeholder.statusTip());
        QObject::connect(action, &QAction::triggered, &m_menu, [this, i] { m_open(i); });
        m_menu.insertAction(&m_placeholder, action);
        m_entries.push_back(action);
    }
}

std::vector<QAction*> RecentFilesMenu::Shown() const
{
    return m_entries.empty() ? std::vector<QAction*>{&m_placeholder} : m_entries;
}

QAction* RecentFilesMenu::Entry(int id) const
{
    for (QAction* a : m_entries)
        if (a->data().toInt() == id)
            return a;
    return nullptr;
}

} // namespace gui

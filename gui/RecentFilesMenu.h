#pragma once
// The recent-file entries of a File menu, shown where its greyed "Recent File" placeholder
// stands: "&1 path" .. "&4 path", or the placeholder alone while the list is empty.

#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace gui {

class RecentFileList;

class RecentFilesMenu {
public:
    // placeholder is the menu's "Recent File" command; its id is the first entry's id and its
    // status prompt every entry's. open receives the index of the chosen entry.
    RecentFilesMenu(QMenu& menu, QAction& placeholder, const RecentFileList& list, std::function<void(int)> open);

    // Rebuilt before the menu shows and whenever the list changed.
    void Rebuild();
    // The entries as shown, or the placeholder alone.
    std::vector<QAction*> Shown() const;
    // The entry with this id; null when none.
    QAction* Entry(int id) const;

private:
    QMenu& m_menu;
    QAction& m_placeholder;
    const RecentFileList& m_list;
    std::function<void(int)> m_open;
    std::vector<QAction*> m_entries;
};

} // namespace gui

#pragma once
// The command model of both programs. Each command is one row: its id, texts, keys, icon,
// check behaviour, the rules that enable and check it, and its handler. Menus and toolbars
// are built from layout lists of ids, and one update pass sets every enabled state and check
// mark from the rules. Adding a command means adding a row and writing its handler.

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QIcon>
#include <QKeySequence>
#include <QList>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace gui {

// In layout lists: a separator in a menu, a gap in a toolbar.
inline constexpr int kSeparator = 0;

struct Command {
    int id = 0;
    // Menu text with its access key (&) and, after a tab, the shortcut text exactly as the menu
    // shows it; empty for a command reached only from the keyboard.
    const char* text = "";
    // Status-bar prompt; the part after '\n' is the tooltip. Null when there is none.
    const char* prompt = nullptr;
    // Shortcuts, the first shown by Qt when text has no tab part; second accelerators follow.
    QList<QKeySequence> keys = {};
    // The toolbar image; menus show text only.
    QIcon icon = {};
    bool checkable = false;
    // Commands naming the same group are a radio set: choosing one checks it and unchecks the
    // rest (shown with check marks). A group member is checkable.
    const char* group = nullptr;
    // The keys act only while this widget or one of its children has focus (single letters of
    // a view); null: anywhere in the window.
    QWidget* focusScope = nullptr;
    // Enabling rule; null: enabled whenever there is a handler.
    std::function<bool()> enabled = {};
    // Check rule; null: the mark follows the user's choices.
    std::function<bool()> checked = {};
    // The handler; null: nothing handles the command and it stays disabled.
    std::function<void()> run = {};
};

// One entry of a menu layout: a command id, kSeparator, or a submenu with its entries.
struct MenuItem {
    MenuItem(int commandId) : id(commandId) {}
    MenuItem(const char* submenuTitle, std::initializer_list<MenuItem> entries) : title(submenuTitle), items(entries) {}
    int id = kSeparator;
    const char* title = nullptr;
    std::vector<MenuItem> items;
};

// The menu bar: its menus, each a title with its entries.
using MenuLayout = std::vector<MenuItem>;

class CommandModel {
public:
    // window parents the actions and carries the keys that act anywhere in it.
    explicit CommandModel(QWidget& window);
    ~CommandModel();
    CommandModel(const CommandModel&) = delete;
    CommandModel& operator=(const CommandModel&) = delete;

    QAction* Add(Command command);
    // Null for an unknown id.
    QAction* Action(int id) const;
    const Command* Find(int id) const;

    // Fills bar with the layout's menus; every menu runs the update pass before it shows.
    // Returns the top-level menus in order.
    std::vector<QMenu*> BuildMenuBar(QMenuBar& bar, const MenuLayout& layout);
    void FillMenu(QMenu& menu, const std::vector<MenuItem>& items);
    void FillToolBar(QToolBar& bar, const std::vector<int>& ids);

    // Sets every command's enabled state and check mark from its rules.
    void UpdateActions();
    // Runs after every update pass, for state the rules do not cover.
    void SetAfterUpdate(std::function<void()> hook) { m_afterUpdate = std::move(hook); }

    // The status-bar and tooltip halves of a prompt.
    static QString StatusPart(const char* prompt);
    static QString TipPart(const char* prompt);

private:
    struct Entry {
        Command command;
        QAction* action = nullptr;
    };
    void Trigger(const Entry& entry);

    QWidget& m_window;
    std::vector<std::unique_ptr<Entry>> m_entries;
    std::map<int, Entry*> m_byId;
    std::map<std::string, std::vector<QAction*>> m_groups;
    std::function<void()> m_afterUpdate;
};

} // namespace gui

#include "gui/CommandModel.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <QWidget>

namespace gui {

namespace {

// While a menu or another popup is open, a key pressed without Ctrl, Alt or Meta belongs to
// it: its access keys, arrows, Enter and Escape. Qt tries shortcuts before the popup sees the
// key, and a view's single-letter shortcut still matches while the view keeps the focus
// behind an open menu; claiming the key here stops the shortcut and lets the popup have it.
class PopupKeyFilter : public QObject {
public:
    using QObject::QObject;

    static void Install()
    {
        static QPointer<PopupKeyFilter> filter;
        if (!filter && qApp) {
            filter = new PopupKeyFilter(qApp);
            qApp->installEventFilter(filter);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride && QApplication::activePopupWidget()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            constexpr Qt::KeyboardModifiers chords = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
            if (!(key->modifiers() & chords)) {
                event->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

CommandModel::CommandModel(QWidget& window) : m_window(window)
{
    PopupKeyFilter::Install();
}

CommandModel::~CommandModel() = default;

QString CommandModel::StatusPart(const char* prompt)
{
    if (!prompt)
        return {};
    const QString p = QString::fromUtf8(prompt);
    const qsizetype nl = p.indexOf('\n');
    return nl < 0 ? p : p.left(nl);
}

QString CommandModel::TipPart(const char* prompt)
{
    if (!prompt)
        return {};
    const QString p = QString::fromUtf8(prompt);
    const qsizetype nl = p.indexOf('\n');
    return nl < 0 ? QString() : p.mid(nl + 1);
}

QAction* CommandModel::Add(Command command)
{
    auto entry = std::make_unique<Entry>();
    entry->command = std::move(command);
    const Command& c = entry->command;
    auto* action = new QAction(QString::fromUtf8(c.text), &m_window);
    entry->action = action;
    action->setData(c.id);
    action->setStatusTip(StatusPart(c.prompt));
    const QString tip = TipPart(c.prompt);
    if (!tip.isEmpty())
        action->setToolTip(tip);
    action->setCheckable(c.checkable || c.group);
    if (!c.icon.isNull()) {
        action->setIcon(c.icon);
        // Images belong to the toolbar; menu items keep plain text and their check marks.
        action->setIconVisibleInMenu(false);
    }
    if (!c.keys.isEmpty()) {
        action->setShortcuts(c.keys);
        // A key works wherever its widget carries the action, whether or not a menu shows it.
        if (c.focusScope) {
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            c.focusScope->addAction(action);
        } else {
            m_window.addAction(action);
        }
    }
    if (c.group)
        m_groups[c.group].push_back(action);
    action->setEnabled(bool(c.run));

    const Entry* raw = entry.get();
    QObject::connect(action, &QAction::triggered, &m_window, [this, raw] { Trigger(*raw); });
    m_byId[c.id] = entry.get();
    m_entries.push_back(std::move(entry));
    return action;
}

void CommandModel::Trigger(const Entry& entry)
{
    const Command& c = entry.command;
    if (c.group)
        for (QAction* member : m_groups[c.group])
            member->setChecked(member == entry.action);
    if (c.run)
        c.run();
    UpdateActions();
}

QAction* CommandModel::Action(int id) const
{
    auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second->action;
}

const Command* CommandModel::Find(int id) const
{
    auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : &it->second->command;
}

std::vector<QMenu*> CommandModel::BuildMenuBar(QMenuBar& bar, const MenuLayout& layout)
{
    std::vector<QMenu*> menus;
    for (const MenuItem& top : layout) {
        QMenu* menu = bar.addMenu(QString::fromUtf8(top.title));
        QObject::connect(menu, &QMenu::aboutToShow, &m_window, [this] { UpdateActions(); });
        FillMenu(*menu, top.items);
        menus.push_back(menu);
    }
    return menus;
}

void CommandModel::FillMenu(QMenu& menu, const std::vector<MenuItem>& items)
{
    for (const MenuItem& item : items) {
        if (item.title) {
            QMenu* sub = menu.addMenu(QString::fromUtf8(item.title));
            QObject::connect(sub, &QMenu::aboutToShow, &m_window, [this] { UpdateActions(); });
            FillMenu(*sub, item.items);
        } else if (item.id == kSeparator) {
            menu.addSeparator();
        } else if (QAction* action = Action(item.id)) {
            menu.addAction(action);
        }
    }
}

void CommandModel::FillToolBar(QToolBar& bar, const std::vector<int>& ids)
{
    for (int id : ids) {
        if (id == kSeparator)
            bar.addSeparator();
        else if (QAction* action = Action(id))
            bar.addAction(action);
    }
}

void CommandModel::UpdateActions()
{
    for (const auto& entry : m_entries) {
        const Command& c = entry->command;
        entry->action->setEnabled(c.run && (!c.enabled || c.enabled()));
        if (c.checked)
            entry->action->setChecked(c.checked());
    }
    if (m_afterUpdate)
        m_afterUpdate();
}

} // namespace gui

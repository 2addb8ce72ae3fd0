#pragma once
// Walks every menu of a main window by keyboard, as a keyboard user would: Alt and the menu's
// access key, then each item's access key, down into submenus. Every enabled item must run
// (its action triggers) or open its submenu, and no two items of one menu may share an access
// key. Whatever an item opens modally is closed at once; the window is shown again if an item
// closed it.

#include <functional>
#include <map>
#include <optional>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include "gui/GuiPrompt.h"

namespace menuwalk {

// The prompt of a walk: every question and dialog is answered with Cancel or No.
class CancellingPrompt : public gui::IGuiPrompt {
public:
    void ShowMessage(const std::string&, common::MessageIcon) override {}
    bool AskYesNo(const std::string&, common::MessageIcon) override { return false; }
    std::optional<QString> GetOpenFileName(const gui::FileDialogOptions&) override { return std::nullopt; }
    std::optional<QString> GetSaveFileName(const gui::FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::uint32_t> ChooseColor(std::uint32_t) override { return std::nullopt; }
    gui::SaveChangesAnswer AskSaveChanges(const QString&) override { return gui::SaveChangesAnswer::Cancel; }
};

// The access key of a menu text, lower case; none for a text without one.
inline std::optional<QChar> AccessKey(const QString& text)
{
    const QString label = text.section('\t', 0, 0);
    for (qsizetype i = 0; i + 1 < label.size(); ++i) {
        if (label[i] != '&')
            continue;
        if (label[i + 1] == '&') {
            ++i;
            continue;
        }
        return label[i + 1].toLower();
    }
    return std::nullopt;
}

inline std::optional<Qt::Key> KeyOf(QChar c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<Qt::Key>(Qt::Key_A + (c.unicode() - 'a'));
    if (c >= '0' && c <= '9')
        return static_cast<Qt::Key>(Qt::Key_0 + (c.unicode() - '0'));
    return std::nullopt;
}

// Items of one menu sharing an access key, as "menu: key: item, item".
inline QStringList DuplicateKeys(const QString& where, const QList<QAction*>& actions)
{
    std::map<QChar, QStringList> byKey;
    for (QAction* a : actions)
        if (!a->isSeparator() && a->isVisible())
            if (const auto key = AccessKey(a->text()))
                byKey[*key] << a->text();
    QStringList out;
    for (const auto& [key, items] : byKey)
        if (items.size() > 1)
            out << where + ": " + QString(key) + ": " + items.join(", ");
    return out;
}

class Walker {
public:
    // focus: the pane that holds the keyboard focus while each menu is opened.
    Walker(QMainWindow& window, std::function<QWidget*()> focus) : m_window(window), m_focus(std::move(focus))
    {
        // Any modal dialog an item opens is closed as soon as its event loop runs.
        m_closer.setInterval(0);
        QObject::connect(&m_closer, &QTimer::timeout, [] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                d->reject();
            else if (QWidget* w = QApplication::activeModalWidget())
                w->close();
        });
    }

    // Every failure found, one line each; empty when the walk passed.
    QStringList Run()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        m_closer.start();
        m_failures.clear();
        m_failures << DuplicateKeys("menu bar", m_window.menuBar()->actions());
        for (QAction* top : m_window.menuBar()->actions()) {
            const auto key = AccessKey(top->text());
            if (!top->menu() || !key) {
                m_failures << "menu without an access key: " + top->text();
                continue;
            }
            Walk(top->text(), {*key}, *top->menu());
        }
        m_closer.stop();
        return m_failures;
    }

    // Items that ran, and submenus that opened, by their path.
    const QStringList& Reached() const { return m_reached; }

private:
    void Walk(const QString& path, const QList<QChar>& keys, QMenu& menu)
    {
        if (!Open(keys, &menu)) {
            m_failures << path + ": does not open with its access key";
            CloseAll();
            return;
        }
        // The menu's items as it shows them once its update pass has run. A menu may build
        // some items afresh each time it opens (the recent files): each item is taken from
        // the menu as just opened, by its place.
        m_failures << DuplicateKeys(path, menu.actions());
        const qsizetype count = menu.actions().size();
        CloseAll();
        for (qsizetype i = 0; i < count; ++i) {
            if (!Open(keys, &menu)) {
                m_failures << path + ": does not open with its access key";
                CloseAll();
                return;
            }
            const QList<QAction*> actions = menu.actions();
            if (i >= actions.size())
                break;
            QAction* a = actions[i];
            if (a->isSeparator() || !a->isVisible()) {
                CloseAll();
                continue;
            }
            const QString itemPath = path + " > " + a->text();
            const auto key = AccessKey(a->text());
            if (!key) {
                m_failures << itemPath + ": no access key";
                CloseAll();
                continue;
            }
            QList<QChar> itemKeys = keys;
            itemKeys << *key;
            if (QMenu* sub = a->menu()) {
                CloseAll();
                Walk(itemPath, itemKeys, *sub);
                continue;
            }
            if (!a->isEnabled()) {
                CloseAll();
                continue;
            }
            int runs = 0;
            QPointer<QAction> watched(a);
            const auto c = QObject::connect(a, &QAction::triggered, [&runs] { ++runs; });
            Press(*key);
            if (watched)
                QObject::disconnect(c);
            if (runs == 1)
                m_reached << itemPath;
            else
                m_failures << itemPath + ": did not run on its access key";
            CloseAll();
        }
    }

    // Alt and the first key open a top-level menu; each further key picks from the menu
    // open. True when expected is the popup open at the end.
    bool Open(const QList<QChar>& keys, QMenu* expected)
    {
        Prepare();
        QTest::keyClick(m_window.windowHandle(), *KeyOf(keys.front()), Qt::AltModifier);
        for (qsizetype i = 1; i < keys.size(); ++i) {
            if (!QApplication::activePopupWidget())
                return false;
            Press(keys[i]);
        }
        if (QApplication::activePopupWidget() != expected)
            return false;
        m_reached << "open " + QString(keys.size(), QChar('>')) + " " + expected->title();
        return true;
    }

    // A plain key, where the keyboard sends it: to the open popup when there is one.
    void Press(QChar c)
    {
        const std::optional<Qt::Key> key = KeyOf(c);
        if (!key)
            return;
        QWidget* popup = QApplication::activePopupWidget();
        QWindow* target = popup && popup->windowHandle() ? popup->windowHandle() : m_window.windowHandle();
        QTest::keyClick(target, *key);
    }

    void Prepare()
    {
        CloseAll();
        if (!m_window.isVisible())
            m_window.show();
        m_window.activateWindow();
        if (!m_window.isActiveWindow())
            (void)QTest::qWaitForWindowActive(&m_window, 1000);
        if (QWidget* f = m_focus())
            f->setFocus(Qt::OtherFocusReason);
        // Ends a keyboard mode an item may have left behind (moving the splitter).
        QTest::keyClick(m_window.windowHandle(), Qt::Key_Escape);
        QCoreApplication::processEvents();
    }

    void CloseAll()
    {
        for (int guard = 0; guard < 8 && QApplication::activePopupWidget(); ++guard)
            QApplication::activePopupWidget()->close();
        QCoreApplication::processEvents();
    }

    QMainWindow& m_window;
    std::function<QWidget*()> m_focus;
    QTimer m_closer;
    QStringList m_failures;
    QStringList m_reached;
};

} // namespace menuwalk

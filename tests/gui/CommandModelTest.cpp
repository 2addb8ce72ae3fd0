// The command model: the update pass applies every rule, radio groups keep one mark, keys
// of a focus scope act only there, and menus come out as their layout lists say.

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QtTest>

#include "gui/CommandModel.h"

namespace {

enum { ID_A = 1, ID_UNHANDLED, ID_TOP, ID_FRONT, ID_SIDE, ID_RED, ID_GREEN, ID_WIRE };

// The ids and submenu titles of a built menu, separators as kSeparator.
void Flatten(QMenu& menu, QStringList& out)
{
    for (QAction* a : menu.actions()) {
        if (a->menu()) {
            out << "[" + a->text();
            Flatten(*a->menu(), out);
            out << "]";
        } else {
            out << QString::number(a->isSeparator() ? gui::kSeparator : a->data().toInt());
        }
    }
}

void Flatten(const std::vector<gui::MenuItem>& items, QStringList& out)
{
    for (const gui::MenuItem& item : items) {
        if (item.title) {
            out << "[" + QString(item.title);
            Flatten(item.items, out);
            out << "]";
        } else {
            out << QString::number(item.id);
        }
    }
}

} // namespace

class CommandModelTest : public QObject {
    Q_OBJECT

private slots:
    void updatePassAppliesEnableAndCheckRulesAndRadioGroups()
    {
        QMainWindow window;
        gui::CommandModel model(window);
        bool loaded = false;
        int projection = 0, runs = 0;
        model.Add({.id = ID_A, .text = "&A", .enabled = [&] { return loaded; }, .run = [&] { ++runs; }});
        model.Add({.id = ID_UNHANDLED, .text = "&Undo", .enabled = [] { return true; }});
        for (int value : {0, 1, 2})
            model.Add({.id = ID_TOP + value,
                       .group = "projection",
                       .enabled = [&] { return loaded; },
                       .checked = [&, value] { return projection == value; },
                       .run = [&, value] { projection = value; }});
        // A group without check rules: the mark follows the choice.
        model.Add({.id = ID_RED, .group = "channel", .run = [] {}});
        model.Add({.id = ID_GREEN, .group = "channel", .run = [] {}});

        auto checks = [&] {
            return QList<bool>{model.Action(ID_TOP)->isChecked(), model.Action(ID_FRONT)->isChecked(),
                               model.Action(ID_SIDE)->isChecked()};
        };
        model.UpdateActions();
        QVERIFY(!model.Action(ID_A)->isEnabled() && !model.Action(ID_UNHANDLED)->isEnabled());
        QVERIFY(!model.Action(ID_FRONT)->isEnabled());
        QCOMPARE(checks(), (QList<bool>{true, false, false}));
        model.Action(ID_A)->trigger();
        QCOMPARE(runs, 0); // disabled commands do not run

        loaded = true;
        model.UpdateActions();
        QVERIFY(model.Action(ID_A)->isEnabled() && model.Action(ID_FRONT)->isEnabled());
        QVERIFY(!model.Action(ID_UNHANDLED)->isEnabled()); // nothing handles it
        model.Action(ID_SIDE)->trigger();
        QCOMPARE(projection, 2);
        QCOMPARE(checks(), (QList<bool>{false, false, true}));
        model.Action(ID_SIDE)->trigger(); // choosing the chosen one keeps its mark
        QCOMPARE(checks(), (QList<bool>{false, false, true}));
        projection = 1; // changed elsewhere: the next pass follows
        model.UpdateActions();
        QCOMPARE(checks(), (QList<bool>{false, true, false}));

        model.Action(ID_GREEN)->trigger();
        model.Action(ID_GREEN)->trigger();
        QVERIFY(model.Action(ID_GREEN)->isChecked() && !model.Action(ID_RED)->isChecked());
        model.Action(ID_RED)->trigger();
        QVERIFY(!model.Action(ID_GREEN)->isChecked() && model.Action(ID_RED)->isChecked());
    }

    void singleLetterKeyActsOnlyWhileItsWidgetHasFocus()
    {
        QMainWindow window;
        auto* central = new QWidget(&window);
        auto* view = new QWidget(central);
        auto* other = new QWidget(central);
        view->setGeometry(0, 0, 50, 50);
        other->setGeometry(50, 0, 50, 50);
        view->setFocusPolicy(Qt::StrongFocus);
        other->setFocusPolicy(Qt::StrongFocus);
        window.setCentralWidget(central);
        gui::CommandModel model(window);
        int runs = 0;
        model.Add({.id = ID_WIRE, .keys = {Qt::Key_W}, .focusScope = view, .run = [&] { ++runs; }});
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        other->setFocus();
        QTest::keyClick(other, Qt::Key_W);
        QCOMPARE(runs, 0);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_W);
        QCOMPARE(runs, 1);
    }

    void menusAndToolbarAreBuiltFromTheirLayoutLists()
    {
        QMainWindow window;
        gui::CommandModel model(window);
        for (int id : {ID_A, ID_TOP, ID_FRONT, ID_SIDE, ID_RED})
            model.Add({.id = id, .text = "x", .icon = QIcon(QPixmap(16, 16)), .run = [] {}});
        const gui::MenuLayout layout = {
            {"&File", {ID_A, gui::kSeparator, {"&Sub", {ID_RED}}, gui::kSeparator}},
            {"&View", {ID_TOP, ID_FRONT, ID_SIDE}},
        };
        const std::vector<QMenu*> menus = model.BuildMenuBar(*window.menuBar(), layout);
        QCOMPARE(menus.size(), layout.size());
        for (std::size_t m = 0; m < menus.size(); ++m) {
            QStringList built, listed;
            Flatten(*menus[m], built);
            Flatten(layout[m].items, listed);
            QCOMPARE(menus[m]->title(), QString(layout[m].title));
            QCOMPARE(built, listed);
        }
        QToolBar* bar = window.addToolBar("t");
        model.FillToolBar(*bar, {ID_A, gui::kSeparator, ID_TOP});
        QCOMPARE(bar->actions().size(), qsizetype(3));
        QVERIFY(bar->actions()[1]->isSeparator());
        QCOMPARE(bar->actions()[2], model.Action(ID_TOP));
        QVERIFY(!model.Action(ID_TOP)->isIconVisibleInMenu());
    }
};

QTEST_MAIN(CommandModelTest)
#include "CommandModelTest.moc"

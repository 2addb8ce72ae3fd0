// The main window driven headless: command enabling, menus, documents, recent files,
// colours, and the tree pane with its selection and context menus.

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

#include "DropSimulation.h"
#include "EditorFixtures.h"
#include "MenuWalk.h"
#include "ScriptedGuiPrompt.h"
#include "editor/app/Commands.h"
#include "editor/app/MainFrame.h"
#include "editor/app/QM4EditApp.h"
#include "editor/tree/QM4EditTreeView.h"
#include "editor/dialogs/ImportExportTypeDlg.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/tools/VertexTool.h"
#include "editor/app/UndoHistory.h"
#include "interchange/ModelExport.h"
#include "scene/SceneMessages.h"

using namespace qm4edit;

namespace {

// An application object with a scripted prompt; the prompt stays reachable for scripting.
struct TestApp {
    ScriptedGuiPrompt* prompt = nullptr;
    std::unique_ptr<CQM4EditApp> app;

    explicit TestApp(const QString& file = {}, bool* ok = nullptr)
    {
        auto p = std::make_unique<ScriptedGuiPrompt>();
        prompt = p.get();
        app = std::make_unique<CQM4EditApp>(std::move(p));
        QStringList args{"QM4Edit"};
        if (!file.isEmpty())
            args << file;
        const bool started = app->InitInstance(args, false);
        if (ok)
            *ok = started;
        if (app->GetMainWnd())
            app->GetMainWnd()->SetDialogRunner([this](QDialog& d) {
                dialogs << d.windowTitle();
                return int(QDialog::Rejected);
            });
    }
    QStringList dialogs; // captions of the modal dialogs run, each closed at once
    CMainFrame& frame() { return *app->GetMainWnd(); }
    CQM4EditTreeView& tree() { return *frame().GetTreeView(); }
    CQM4EditView& view() { return *frame().GetSceneView(); }
    scene::CQM4EditDoc& doc() { return app->GetDocument(); }
    bool Enabled(int id) { return frame().Action(id)->isEnabled(); }
    bool Checked(int id) { return frame().Action(id)->isChecked(); }
};

QStringList MenuTexts(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-") : a->menu() ? "[" + a->text() + "]" : a->text());
    return out;
}

QMenu* TopMenu(CMainFrame& frame, const QString& title)
{
    for (QAction* a : frame.menuBar()->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

QModelIndex Item(const CQM4EditTreeView& tree, std::initializer_list<int> path)
{
    QModelIndex idx;
    for (int row : path)
        idx = tree.model()->index(row, 0, idx);
    return idx;
}

// A point on the item's label, after making the item visible.
QPoint OnLabel(CQM4EditTreeView& tree, const QModelIndex& item)
{
    tree.scrollTo(item);
    const QRect r = tree.visualRect(item);
    return QPoint(r.left() + 6, r.center().y());
}

// Where the view draws a point, as the mouse would press it.
QPoint PixelOf(const CQM4EditView& v, const scene::ObjectVertex& p)
{
    std::int64_t px = 0, py = 0;
    ProjectToPixel(v.State(), v.width(), v.height(), p, px, py);
    return QPoint(int(px), int(py));
}

} // namespace

class FrameTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("settings"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("settings"));
        m_twoObjects = fixtures::WriteFile(m_dir.path(), "two.qm4", fixtures::Bytes(fixtures::TwoObjects()));
        QVERIFY(!m_twoObjects.isEmpty());
    }

    void init() { QSettings(gui::kCompanyKey, "QM4Edit").clear(); }

    void commandsFollowLoadedAndModified()
    {
        TestApp t;
        const int loadedOnly[] = {ID_VIEW_TOP,          ID_VIEW_FRONT,        ID_VIEW_SIDE,      ID_VIEW_ZOOMIN,
                                  ID_VIEW_ZOOMOUT,      ID_VIEW_RESET,        ID_FILE_IMPORT,    ID_FILE_EXPORT,
                                  ID_FILE_EXPORT_MODEL, ID_FILE_IMPORT_MODEL, ID_EDIT_VERTEXTOOL};
        const int always[] = {ID_FILE_OPEN,
                              ID_APP_EXIT,
                              ID_OVERLAY_ALP,
                              ID_OVERLAY_REC,
                              ID_VIEW_TOOLBAR,
                              ID_VIEW_STATUS_BAR,
                              ID_WINDOW_SPLIT,
                              ID_OPTIONS_PRIMARYCOLOR,
                              ID_OPTIONS_SECONDARYCOLOR1,
                              ID_OPTIONS_SECONDARYCOLOR2,
                              ID_OPTIONS_HIGHLIGHTCOLOR,
                              ID_OPTIONS_OVERLAYCOLOR,
                              ID_OPTIONS_ASSOCIATIONS,
                              ID_APP_ABOUT,
                              ID_FILE_NEW};
        const int never[] = {ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE};
        auto check = [&](bool loaded, bool modified) {
            for (int id : loadedOnly)
                QVERIFY2(t.Enabled(id) == loaded, qPrintable(QString::number(id)));
            for (int id : always)
                QVERIFY2(t.Enabled(id), qPrintable(QString::number(id)));
            for (int id : never)
                QVERIFY2(!t.Enabled(id), qPrintable(QString::number(id)));
            QCOMPARE(t.Enabled(ID_FILE_SAVE), loaded && modified);
            QCOMPARE(t.Enabled(ID_FILE_SAVE_AS), loaded && modified);
        };

        check(false, false);
        QCOMPARE(t.frame().OpenDocumentFile(m_twoObjects), OpenOutcome::Opened);
        check(true, false);
        t.doc().UpdateGeometry(); // recomputing alone is no edit
        check(true, false);
        t.doc().SetVertex(0, 1, 2, 3);
        check(true, true);
        QVERIFY(t.frame().isWindowModified());
    }

    // Keyboard users reach every item by Alt, the menu's key and the item's key, also while a
    // pane whose single-letter keys match an access key (F, P, W, V, G) has the focus.
    void everyMenuItemAnswersItsAccessKeyWhicheverPaneHasFocus()
    {
        // File > Save writes the scene: a copy of its own.
        const QString file = fixtures::WriteFile(m_dir.path(), "walk.qm4", fixtures::Bytes(fixtures::TwoObjects()));
        CQM4EditApp app(std::make_unique<menuwalk::CancellingPrompt>());
        QVERIFY(app.InitInstance({"QM4Edit", file}, false));
        CMainFrame& frame = *app.GetMainWnd();
        frame.SetDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        app.GetDocument().SetVertex(0, 1, 2, 3);
        frame.UpdateActions();

        for (QWidget* pane :
             {static_cast<QWidget*>(frame.GetSceneView()), static_cast<QWidget*>(frame.GetTreeView())}) {
            menuwalk::Walker walk(frame, [pane] { return pane; });
            const QStringList failures = walk.Run();
            QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
            // The walk reached the items whose keys the focused view also binds.
            for (const char* item : {"&View > &Front", "&View > Fit Se&lection\tF", "&View > &Grid\tG",
                                     "&Options > Set &Primary Color", "&Options > Set &Wire Color"})
                QVERIFY2(walk.Reached().contains(item), item);
            QVERIFY(walk.Reached().contains("&View > &Controls > &Toolbar"));
        }
    }

    void exactlyOneProjectionIsChecked()
    {
        TestApp t(m_twoObjects);
        const int ids[3] = {ID_VIEW_TOP, ID_VIEW_FRONT, ID_VIEW_SIDE};
        QVERIFY(t.Checked(ID_VIEW_TOP) && !t.Checked(ID_VIEW_FRONT) && !t.Checked(ID_VIEW_SIDE));
        for (int p : {2, 1, 1, 0}) {
            t.frame().Action(ids[p])->trigger();
            QCOMPARE(t.view().GetProjection(), Projection(p));
            for (int q = 0; q < 3; ++q)
                QCOMPARE(t.Checked(ids[q]), p == q);
        }
        t.view().SetProjection(Projection::Side);
        t.frame().Action(ID_VIEW_RESET)->trigger();
        QCOMPARE(t.view().GetProjection(), Projection::Top);
        QVERIFY(t.Checked(ID_VIEW_TOP));
    }

    void menusToolbarAndStatusBarAreAsListed()
    {
        TestApp t;
        CMainFrame& f = t.frame();
        QStringList titles;
        for (QAction* a : f.menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, QStringList({"&File", "&Edit", "&View", "&Options", "&Help"}));
        QCOMPARE(
            MenuTexts(TopMenu(f, "&File")),
            QStringList({"&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-", "&Import...", "&Export...",
                         "Export &Model...", "Import Mo&del...", "-", "[O&verlay]", "-", "Recent File", "-", "E&xit"}));
        QCOMPARE(MenuTexts(TopMenu(f, "&Edit")),
                 QStringList({"&Undo\tCtrl+Z", "&Redo\tCtrl+Y", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V",
                              "-", "&Vertex Tool\tV"}));
        QMenu* view = TopMenu(f, "&View");
        QCOMPARE(MenuTexts(view),
                 QStringList({"[&Controls]",
                              "-",
                              "&Top",
                              "&Front",
                              "&Side",
                              "P&erspective\tP",
                              "-",
                              "Zoom &In",
                              "Zoom &Out",
                              "-",
                              "&Reset View",
                              "-",
                              "Fit Sce&ne\tHome",
                              "Fit Se&lection\tF",
                              "-",
                              "&Wireframe\tW",
                              "-",
                              "&Grid\tG",
                              "&Halve Grid Step\t[",
                              "&Double Grid Step\t]",
                              "-",
                              "Flip Texture &V",
                              "-",
                              "Te&xtures"}));
        QCOMPARE(MenuTexts(view->actions().first()->menu()), QStringList({"&Toolbar", "&Status Bar", "S&plit"}));
        QCOMPARE(MenuTexts(TopMenu(f, "&Options")),
                 QStringList({"Set &Primary Color", "Set Secondary Color &1", "Set Secondary Color &2",
                              "Set &Highlight Color", "Set &Overlay Color", "Set &Wire Color", "&Associations..."}));
        QCOMPARE(MenuTexts(TopMenu(f, "&Help")), QStringList({"&About QM4Edit..."}));
        QCOMPARE(MenuTexts(TopMenu(f, "&File")->actions()[9]->menu()), QStringList({"&ALP", "&REC"}));

        // Keys, including the second accelerators of the edit commands.
        QCOMPARE(f.Action(ID_FILE_NEW)->shortcut(), QKeySequence("Ctrl+N"));
        QCOMPARE(f.Action(ID_EDIT_UNDO)->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
        QCOMPARE(f.Action(ID_EDIT_REDO)->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
        QCOMPARE(f.Action(ID_EDIT_CUT)->shortcuts().value(1), QKeySequence("Shift+Del"));
        QCOMPARE(f.Action(ID_EDIT_COPY)->shortcuts().value(1), QKeySequence("Ctrl+Ins"));
        QCOMPARE(f.Action(ID_EDIT_PASTE)->shortcuts().value(1), QKeySequence("Shift+Ins"));
        QCOMPARE(f.Action(ID_NEXT_PANE)->shortcut(), QKeySequence("F6"));
        QCOMPARE(f.Action(ID_PREV_PANE)->shortcut(), QKeySequence("Shift+F6"));

        // Prompts split into status text and tooltip.
        QCOMPARE(f.Action(ID_VIEW_TOP)->statusTip(), QString("Set view to Overhead (X-Z)"));
        QCOMPARE(f.Action(ID_VIEW_TOP)->toolTip(), QString("Overhead View"));
        QCOMPARE(f.Action(ID_VIEW_RESET)->statusTip(),
                 QString("Go back to default view - Overhead, Zoom Factor 1, Center"));
        QCOMPARE(f.Action(ID_OPTIONS_OVERLAYCOLOR)->statusTip(),
                 QString("Set color used to draw alpha objects and AI line laid over view."));

        QList<int> buttons;
        for (QAction* a : f.GetToolBar()->actions())
            buttons << (a->isSeparator() ? 0 : a->data().toInt());
        QCOMPARE(buttons,
                 QList<int>({ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_VIEW_ZOOMIN,
                             ID_VIEW_ZOOMOUT, 0, ID_VIEW_TOP, ID_VIEW_FRONT, ID_VIEW_SIDE, ID_VIEW_PERSPECTIVE, 0,
                             ID_VIEW_RESET, 0, ID_VIEW_WIREFRAME, ID_EDIT_VERTEXTOOL}));
        for (QAction* a : f.GetToolBar()->actions())
            QVERIFY(a->isSeparator() || !a->icon().isNull());

        auto* ready = f.statusBar()->findChild<QLabel*>();
        QVERIFY(ready);
        QCOMPARE(ready->text(), QString("Ready"));

        // Toolbar and status bar toggles carry their check mark.
        f.show();
        QVERIFY(t.Checked(ID_VIEW_TOOLBAR) && t.Checked(ID_VIEW_STATUS_BAR));
        f.Action(ID_VIEW_TOOLBAR)->trigger();
        QVERIFY(f.GetToolBar()->isHidden());
        QVERIFY(!t.Checked(ID_VIEW_TOOLBAR));
        f.Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(f.statusBar()->isHidden());
        QVERIFY(!t.Checked(ID_VIEW_STATUS_BAR));
        f.Action(ID_VIEW_TOOLBAR)->trigger();
        QVERIFY(!f.GetToolBar()->isHidden());
    }

    void inertCommandsDoNothing()
    {
        TestApp t(m_twoObjects);
        const int redraws = t.view().RedrawCount();
        for (int id : {ID_OVERLAY_ALP, ID_OVERLAY_REC, ID_OPTIONS_OVERLAYCOLOR})
            t.frame().Action(id)->trigger();
        QCOMPARE(t.view().RedrawCount(), redraws);
        QVERIFY(t.prompt->All().empty());
        QVERIFY(t.dialogs.isEmpty());
        QVERIFY(!t.doc().IsModified());
    }

    void startsOnTheFileNamedOnTheCommandLine()
    {
        bool ok = false;
        TestApp t(m_twoObjects, &ok);
        QVERIFY(ok);
        QVERIFY(t.doc().IsLoaded());
        QCOMPARE(t.frame().windowTitle(), QString("two.qm4[*] - QM4Edit"));
        QCOMPARE(t.tree().model()->rowCount(), 2);

        TestApp none;
        QCOMPARE(none.frame().windowTitle(), QString("Untitled[*] - QM4Edit"));

        // A file that cannot be opened ends the program after its message.
        TestApp missing(m_dir.filePath("nowhere.qm4"), &ok);
        QVERIFY(!ok);
        QVERIFY(!missing.app->GetMainWnd());
        QCOMPARE(missing.prompt->All().size(), size_t(1));
        QVERIFY(QString::fromStdString(missing.prompt->All()[0].text).contains("nowhere.qm4"));
    }

    void damagedFileLeavesAnEmptyTreeAndNoSaving()
    {
        auto bytes = fixtures::Bytes(fixtures::TwoObjects());
        bytes[3] = 'x';
        const QString bad = fixtures::WriteFile(m_dir.path(), "bad.qm4", bytes);
        TestApp t(m_twoObjects);
        t.doc().SetVertex(0, 5, 5, 5);
        t.prompt->QueueSaveChanges(gui::SaveChangesAnswer::No);
        QCOMPARE(t.frame().OpenDocumentFile(bad), OpenOutcome::Opened);
        QCOMPARE(t.prompt->All().back().text, std::string(scene::MSG_BAD_FORMAT));
        QCOMPARE(t.prompt->All().back().icon, common::MessageIcon::Stop);
        QCOMPARE(t.tree().model()->rowCount(), 0);
        QVERIFY(!t.doc().IsLoaded());
        QVERIFY(!t.Enabled(ID_FILE_SAVE) && !t.Enabled(ID_FILE_SAVE_AS) && !t.Enabled(ID_VIEW_ZOOMIN));
        // It still counts as opened: title and recent files show it.
        QCOMPARE(t.frame().windowTitle(), QString("bad.qm4[*] - QM4Edit"));
        QVERIFY(t.app->GetRecentFiles().Files().first().endsWith("bad.qm4"));

        // A file cut inside the version field does not open; the old name stays.
        bytes[3] = 'r';
        const QString cut = fixtures::WriteFile(m_dir.path(), "cut.qm4", {bytes.begin(), bytes.begin() + 33});
        QCOMPARE(t.frame().OpenDocumentFile(cut), OpenOutcome::Failed);
        QCOMPARE(t.frame().windowTitle(), QString("bad.qm4[*] - QM4Edit"));
    }

    void asksBeforeReplacingOrClosingAModifiedScene()
    {
        const QString copy = m_dir.filePath("copy.qm4");
        QFile::remove(copy);
        QVERIFY(QFile::copy(m_twoObjects, copy));
        TestApp t(copy);
        t.frame().show();

        // Cancel keeps everything.
        t.doc().SetVertex(0, 7, 8, 9);
        t.prompt->QueueSaveChanges(gui::SaveChangesAnswer::Cancel);
        t.frame().Action(ID_FILE_NEW)->trigger();
        QVERIFY(t.doc().IsLoaded() && t.doc().IsModified());
        QCOMPARE(t.prompt->All().back().text, std::string("Save changes to copy.qm4?"));
        t.prompt->QueueSaveChanges(gui::SaveChangesAnswer::Cancel);
        QVERIFY(!t.frame().close());
        QVERIFY(t.frame().isVisible());

        // Yes saves first, then the new document replaces the scene.
        t.prompt->QueueSaveChanges(gui::SaveChangesAnswer::Yes);
        t.frame().Action(ID_FILE_NEW)->trigger();
        QVERIFY(!t.doc().IsLoaded());
        QCOMPARE(t.frame().windowTitle(), QString("Untitled[*] - QM4Edit"));
        scene::CQM4EditDoc reread;
        QVERIFY(reread.OnOpenDocument(common::PathFromUtf8(copy.toStdString())).Ok());
        QCOMPARE(reread.GetVertex(0).z, 9.0f);

        // No discards.
        QCOMPARE(t.frame().OpenDocumentFile(copy), OpenOutcome::Opened);
        t.doc().SetVertex(0, 1, 1, 1);
        t.prompt->QueueSaveChanges(gui::SaveChangesAnswer::No);
        QVERIFY(t.frame().close());
        QVERIFY(reread.OnOpenDocument(common::PathFromUtf8(copy.toStdString())).Ok());
        QCOMPARE(reread.GetVertex(0).z, 9.0f);
        QVERIFY(t.prompt->ScriptUsedUp());
    }

    void droppedSceneOpensAfterTheSaveQuestion()
    {
        const QString copy = m_dir.filePath("dropped.qm4");
        QFile::remove(copy);
        QVERIFY(QFile::copy(m_twoObjects, copy));
        TestApp t(m_twoObjects);
        t.doc().SetVertex(0, 7, 8, 9);
        QVERIFY(!DropUrls(&t.frame(), {QUrl::fromLocalFile(m_dir.filePath("notes.txt"))}));
        QVERIFY(!DropUrls(&t.frame(), {QUrl::fromLocalFile(copy), QUrl::fromLocalFile(copy)}));
        QVERIFY(!DropUrls(&t.frame(), {QUrl("https://example.com/dropped.qm4")}));
        t.prompt->QueueSaveChanges(gui::SaveChangesAnswer::Cancel);
        QVERIFY(DropUrls(&t.frame(), {QUrl::fromLocalFile(copy)}));
        QVERIFY(t.doc().IsModified());
        t.prompt->QueueSaveChanges(gui::SaveChangesAnswer::No);
        QVERIFY(DropUrls(&t.frame(), {QUrl::fromLocalFile(copy)}));
        QCOMPARE(t.frame().windowTitle(), QString("dropped.qm4[*] - QM4Edit"));
        QVERIFY(t.prompt->ScriptUsedUp());
    }

    void saveAsWritesTheFileAndAFailedOneLeavesNothing()
    {
        TestApp t(m_twoObjects);
        t.doc().SetVertex(2, 4, 5, 6);
        const QString target = m_dir.filePath("saved");
        QFile::remove(target + ".qm4");
        t.prompt->QueueFileName(target + ".qm4");
        t.frame().Action(ID_FILE_SAVE_AS)->trigger();
        const gui::FileDialogOptions& o = t.prompt->FileDialogs().back();
        QCOMPARE(o.filter, QString("Morvel QM4 Files (*.qm4)|*.qm4|All Files (*.*)|*.*||"));
        QCOMPARE(o.defaultExt, QString("qm4"));
        QVERIFY(o.overwritePrompt);
        QVERIFY(o.initialName.isEmpty());
        QVERIFY(QFile::exists(target + ".qm4"));
        QCOMPARE(t.frame().windowTitle(), QString("saved.qm4[*] - QM4Edit"));
        QVERIFY(!t.doc().IsModified() && !t.Enabled(ID_FILE_SAVE));
        QVERIFY(t.app->GetRecentFiles().Files().first().endsWith("saved.qm4"));

        // Into a folder that does not exist: the message, no file, the old name, still modified.
        t.doc().SetVertex(2, 0, 0, 0);
        const QString nowhere = m_dir.filePath("no/such/folder/x.qm4");
        t.prompt->QueueFileName(nowhere);
        t.frame().Action(ID_FILE_SAVE_AS)->trigger();
        QCOMPARE(t.prompt->All().back().text, std::string(scene::MSG_SAVE_FAILED));
        QVERIFY(!QFile::exists(nowhere));
        QVERIFY(!QDir(m_dir.filePath("no")).exists());
        QVERIFY(t.frame().GetPathName().endsWith("saved.qm4"));
        QVERIFY(t.doc().IsModified() && t.Enabled(ID_FILE_SAVE));

        // Cancelled dialog: nothing happens.
        t.prompt->QueueFileName(std::nullopt);
        t.frame().Action(ID_FILE_SAVE_AS)->trigger();
        QVERIFY(t.doc().IsModified());

        // Plain Save goes to the document's own path.
        t.frame().Action(ID_FILE_SAVE)->trigger();
        QVERIFY(!t.doc().IsModified());
        scene::CQM4EditDoc reread;
        QVERIFY(reread.OnOpenDocument(common::PathFromUtf8((target + ".qm4").toStdString())).Ok());
        QCOMPARE(reread.GetVertex(2).x, 0.0f);
    }

    void openDialogAndRecentFilesKeepTheFourNewest()
    {
        TestApp t;
        QStringList paths;
        for (int i = 1; i <= 5; ++i)
            paths << fixtures::WriteFile(m_dir.path(), QString("r%1.qm4").arg(i),
                                         fixtures::Bytes(fixtures::TwoObjects()));
        QVERIFY(!t.frame().RecentFileActions()[0]->isEnabled()); // the greyed "Recent File"
        QCOMPARE(t.frame().RecentFileActions()[0]->text(), QString("Recent File"));

        for (const QString& p : paths) {
            t.prompt->QueueFileName(p);
            t.frame().Action(ID_FILE_OPEN)->trigger();
        }
        const gui::FileDialogOptions& o = t.prompt->FileDialogs().back();
        QVERIFY(o.fileMustExist);
        QVERIFY(o.defaultExt.isEmpty());
        QCOMPARE(o.filter, QString("Morvel QM4 Files (*.qm4)|*.qm4|All Files (*.*)|*.*||"));

        const auto& entries = t.frame().RecentFileActions();
        QCOMPARE(entries.size(), size_t(4));
        QCOMPARE(entries[0]->text(), "&1 " + QDir::toNativeSeparators(paths[4]));
        QCOMPARE(entries[3]->text(), "&4 " + QDir::toNativeSeparators(paths[1]));
        QCOMPARE(entries[0]->statusTip(), QString("Open this document"));
        QSettings s(gui::kCompanyKey, "QM4Edit");
        QCOMPARE(s.value("Recent File List/File1").toString(), QDir::toNativeSeparators(paths[4]));

        // Choosing an entry opens it; one whose file is gone leaves the list.
        entries[2]->trigger();
        QVERIFY(t.frame().GetPathName().endsWith("r3.qm4"));
        QCOMPARE(t.frame().RecentFileActions()[0]->text(), "&1 " + QDir::toNativeSeparators(paths[2]));
        QVERIFY(QFile::remove(paths[1]));
        t.frame().RecentFileActions()[3]->trigger();
        QCOMPARE(t.frame().RecentFileActions().size(), size_t(3));
        QVERIFY(t.frame().GetPathName().endsWith("r3.qm4"));

        // The list survives into the next run.
        TestApp next;
        QCOMPARE(next.frame().RecentFileActions().size(), size_t(3));
    }

    void coloursSurviveARestartAndCancelChangesNothing()
    {
        {
            TestApp first;
            first.prompt->QueueColor(std::nullopt);
            first.frame().Action(ID_OPTIONS_PRIMARYCOLOR)->trigger();
            QCOMPARE(first.prompt->ColorInitials().back(), 0u);
            QCOMPARE(first.view().GetMainColor(), 0u);
            QVERIFY(!QSettings(gui::kCompanyKey, "QM4Edit").contains("Settings/MainColor"));

            first.prompt->QueueColor(0x00112233);
            first.frame().Action(ID_OPTIONS_PRIMARYCOLOR)->trigger();
            first.prompt->QueueColor(0x00445566);
            first.frame().Action(ID_OPTIONS_SECONDARYCOLOR1)->trigger();
            first.prompt->QueueColor(0x00778899);
            first.frame().Action(ID_OPTIONS_SECONDARYCOLOR2)->trigger();
            first.prompt->QueueColor(0x00AABBCC);
            first.frame().Action(ID_OPTIONS_HIGHLIGHTCOLOR)->trigger();
            QCOMPARE(first.prompt->ColorInitials(), std::vector<std::uint32_t>({0, 0, 0x808080, 0xFFFFFF, 0x0000FF}));
        }
        TestApp second;
        QCOMPARE(second.view().GetMainColor(), 0x00112233u);
        QCOMPARE(second.view().GetExtraColor1(), 0x00445566u);
        QCOMPARE(second.view().GetExtraColor2(), 0x00778899u);
        QCOMPARE(second.view().GetHiliteColor(), 0x00AABBCCu);
    }

    void aboutShowsCaptionIconVersionAndOk()
    {
        TestApp t;
        bool ran = false;
        t.frame().SetDialogRunner([&](QDialog& d) {
            ran = true;
            [&] {
                QCOMPARE(d.windowTitle(), QString("About QM4Edit"));
                auto* icon = d.findChild<QLabel*>("icon");
                QVERIFY(icon && !icon->pixmap().isNull());
                auto* version = d.findChild<QLabel*>("version");
                QVERIFY(version);
                QCOMPARE(version->text(), QString("QM4Edit Version 1.03"));
                auto buttons = d.findChildren<QPushButton*>();
                QCOMPARE(buttons.size(), qsizetype(1));
                QCOMPARE(buttons[0]->text(), QString("OK"));
            }();
            return int(QDialog::Accepted);
        });
        t.frame().Action(ID_APP_ABOUT)->trigger();
        QVERIFY(ran);
    }

    void splitterOpensWithTheTreeAtHundredFiftyAndF6SwitchesPanes()
    {
        TestApp t(m_twoObjects);
        t.frame().show();
        QVERIFY(QTest::qWaitForWindowActive(&t.frame()));
        QCOMPARE(t.frame().GetSplitter()->sizes().value(0), 150);
        QCOMPARE(t.tree().width(), 150);

        t.tree().setFocus();
        QTest::keyClick(&t.tree(), Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(&t.view()));
        QTest::keyClick(&t.view(), Qt::Key_F6, Qt::ShiftModifier);
        QVERIFY(t.tree().hasFocus());

        // Split: arrows move the bar, Escape puts it back, Enter keeps it.
        t.frame().Action(ID_WINDOW_SPLIT)->trigger();
        QVERIFY(t.frame().IsInSplitMode());
        QTest::keyClick(&t.tree(), Qt::Key_Right);
        QCOMPARE(t.frame().GetSplitter()->sizes().value(0), 158);
        QTest::keyClick(&t.tree(), Qt::Key_Escape);
        QCOMPARE(t.frame().GetSplitter()->sizes().value(0), 150);
        t.frame().Action(ID_WINDOW_SPLIT)->trigger();
        QTest::keyClick(&t.tree(), Qt::Key_Left);
        QTest::keyClick(&t.tree(), Qt::Key_Return);
        QVERIFY(!t.frame().IsInSplitMode());
        QCOMPARE(t.frame().GetSplitter()->sizes().value(0), 142);
    }

    // ---- the tree pane ----

    void treeShowsTheTwoObjectExample()
    {
        TestApp t(m_twoObjects);
        const CQM4EditTreeView& tree = t.tree();
        QCOMPARE(tree.Model().TotalItemCount(), std::uint64_t(18));
        int counted = 0;
        std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int r = 0; r < tree.model()->rowCount(parent); ++r) {
                ++counted;
                walk(tree.model()->index(r, 0, parent));
            }
        };
        walk({});
        QCOMPARE(counted, 18);

        const QModelIndex obj2 = Item(tree, {1});
        QCOMPARE(obj2.data().toString(), QString("Object 2"));
        QCOMPARE(tree.GetItemData(obj2), 1);
        QCOMPARE(tree.GetItemKind(obj2), TreeItemKind::Object);
        const QModelIndex poly = Item(tree, {1, 0});
        QCOMPARE(poly.data().toString(), QString("Polygon 1"));
        QCOMPARE(tree.GetItemData(poly), 0);
        QCOMPARE(tree.GetItemKind(poly), TreeItemKind::Polygon);
        QCOMPARE(tree.GetItemData(Item(tree, {0, 2})), 2);
        QCOMPARE(Item(tree, {0, 2}).data().toString(), QString("Polygon 3"));
        const char* labels[3] = {"Vertex 1", "Vertex 2", "Vertex 3"};
        const int corners[3] = {3, 4, 5};
        for (int c = 0; c < 3; ++c) {
            const QModelIndex v = Item(tree, {1, 0, c});
            QCOMPARE(v.data().toString(), QString(labels[c]));
            QCOMPARE(tree.GetItemData(v), corners[c]);
            QCOMPARE(tree.GetItemKind(v), TreeItemKind::Vertex);
            QCOMPARE(v.parent(), poly);
        }
        QCOMPARE(poly.parent(), obj2);
        QVERIFY(!tree.GetSelectedItem().isValid());
        QCOMPARE(tree.GetSelectedData(), -1);
        QCOMPARE(tree.GetSelectedKind(), TreeItemKind::None);
    }

    void selectionQueriesAndTheirRedraw()
    {
        scenegen::GenScene s = fixtures::TwoObjects();
        s.objects.push_back({}); // an object without polygons
        const QString path = fixtures::WriteFile(m_dir.path(), "three.qm4", fixtures::Bytes(s));
        TestApp t(path);
        CQM4EditTreeView& tree = t.tree();
        int a, b, c;

        const int redraws = t.view().RedrawCount();
        tree.setCurrentIndex(Item(tree, {0, 1}));
        QVERIFY(t.view().RedrawCount() > redraws);
        QCOMPARE(tree.GetSelectedKind(), TreeItemKind::Polygon);
        QCOMPARE(tree.GetSelectedPolygonCount(), 1);
        for (int k : {0, 5}) { // a polygon is its own only polygon
            tree.GetSelectedPolygonVertices(k, a, b, c);
            QCOMPARE((std::array{a, b, c}), (std::array{1, 3, 2}));
        }

        tree.setCurrentIndex(Item(tree, {0}));
        QCOMPARE(tree.GetSelectedPolygonCount(), 3);
        tree.GetSelectedPolygonVertices(2, a, b, c);
        QCOMPARE((std::array{a, b, c}), (std::array{0, 2, 4}));
        tree.GetSelectedPolygonVertices(3, a, b, c);
        QCOMPARE((std::array{a, b, c}), (std::array{-1, -1, -1}));

        tree.setCurrentIndex(Item(tree, {2}));
        QCOMPARE(tree.GetSelectedKind(), TreeItemKind::Object);
        QCOMPARE(tree.GetSelectedPolygonCount(), 0);
        QVERIFY(!tree.model()->hasChildren(Item(tree, {2})));

        tree.setCurrentIndex(Item(tree, {1, 0, 2}));
        QCOMPARE(tree.GetSelectedKind(), TreeItemKind::Vertex);
        QCOMPARE(tree.GetSelectedData(), 5);
        QCOMPARE(tree.GetSelectedPolygonCount(), 0);
        tree.GetSelectedPolygonVertices(0, a, b, c);
        QCOMPARE(a, -1);

        // The frame answers the viewport with the tree's selection.
        QCOMPARE(t.frame().GetSelectedKind(), TreeItemKind::Vertex);
        QCOMPARE(t.frame().GetSelectedData(), 5);

        // Opening a file again leaves no selection.
        QCOMPARE(t.frame().OpenDocumentFile(path), OpenOutcome::Opened);
        QCOMPARE(tree.GetSelectedKind(), TreeItemKind::None);
    }

    void contextMenusActOnTheClickedItem()
    {
        TestApp t(m_twoObjects);
        t.frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.frame()));
        CQM4EditTreeView& tree = t.tree();
        tree.expandAll();

        QStringList shown;
        QString choose;
        tree.SetPopupRunner([&](QMenu& menu, const QPoint&) -> QAction* {
            shown = MenuTexts(&menu);
            for (QAction* a : menu.actions())
                if (a->text() == choose)
                    return a;
            return nullptr;
        });
        QSignalSpy polyInfo(&tree, &CQM4EditTreeView::PolygonInfoRequested);
        QSignalSpy objInfo(&tree, &CQM4EditTreeView::ObjectInfoRequested);
        QSignalSpy objExport(&tree, &CQM4EditTreeView::ExportObjectRequested);
        QSignalSpy editVertex(&tree, &CQM4EditTreeView::EditVertexRequested);

        // Select one polygon, right-click another and view it.
        tree.setCurrentIndex(Item(tree, {0, 0}));
        choose = "&View...";
        const QPoint onPoly = OnLabel(tree, Item(tree, {0, 2}));
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, onPoly);
        QCOMPARE(shown, QStringList({"&View...", "&Export..."}));
        QCOMPARE(polyInfo.size(), 1);
        QCOMPARE(polyInfo[0], QVariantList({0, 2}));
        QCOMPARE(tree.GetSelectedItem(), Item(tree, {0, 0})); // the selection did not move
        QCOMPARE(tree.GetContextPoint(), QPoint(0, 0));

        choose = "&Export...";
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, OnLabel(tree, Item(tree, {1})));
        QCOMPARE(objExport.size(), 1);
        QCOMPARE(objExport[0][0].toInt(), 1);
        choose = "&View...";
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, OnLabel(tree, Item(tree, {1})));
        QCOMPARE(objInfo.size(), 1);
        QCOMPARE(objInfo[0][0].toInt(), 1);

        choose = "&Edit...";
        const QPoint onVertex = OnLabel(tree, Item(tree, {1, 0, 1}));
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, onVertex);
        QCOMPARE(shown, QStringList({"&Edit..."}));
        QCOMPARE(editVertex.size(), 1);
        QCOMPARE(editVertex[0][0].toInt(), 4);

        // Dismissed: no command, and the point is kept for the menu's owner to ask about.
        choose.clear();
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, onVertex);
        QCOMPARE(tree.GetContextPoint(), onVertex);
        QCOMPARE(tree.GetContextItemKind(), TreeItemKind::Vertex);

        // Beside a label, no menu at all. How wide a label is depends on the system's font.
        shown.clear();
        const QRect r = tree.visualRect(Item(tree, {1}));
        const QPoint beside(r.left() + tree.fontMetrics().horizontalAdvance(Item(tree, {1}).data().toString()) + 20,
                            r.center().y());
        QVERIFY(r.contains(beside));
        QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, beside);
        QVERIFY(shown.isEmpty());
        QVERIFY(!tree.HitTest(beside).isValid());
        QVERIFY(!tree.HitTest(QPoint(r.left() - 3, r.center().y())).isValid());
    }

    void doubleClickOpensTheVertexEditorOnlyForVertices()
    {
        TestApp t(m_twoObjects);
        t.frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.frame()));
        CQM4EditTreeView& tree = t.tree();
        tree.expandAll();
        QSignalSpy editVertex(&tree, &CQM4EditTreeView::EditVertexRequested);

        const QPoint onPoly = OnLabel(tree, Item(tree, {0, 1}));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onPoly);
        QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, onPoly);
        QCOMPARE(editVertex.size(), 0);

        const QPoint onVertex = OnLabel(tree, Item(tree, {0, 1, 1}));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onVertex);
        QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, onVertex);
        QCOMPARE(editVertex.size(), 1);
        QCOMPARE(editVertex[0][0].toInt(), 3);
    }

    void treeClicksBesideLabelsOrOnEmptySpaceChangeNothing()
    {
        TestApp t(m_twoObjects);
        t.frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.frame()));
        CQM4EditTreeView& tree = t.tree();
        tree.expand(Item(tree, {0}));
        QWidget* vp = tree.viewport();
        const QModelIndex poly = Item(tree, {0, 1});
        QTest::mouseClick(vp, Qt::LeftButton, {}, OnLabel(tree, poly));
        QCOMPARE(tree.GetSelectedItem(), poly);

        const QRect last = tree.visualRect(Item(tree, {1}));
        const QRect other = tree.visualRect(Item(tree, {0, 2}));
        for (const auto& [point, modifiers] :
             {std::pair{QPoint(20, last.bottom() + 30), Qt::KeyboardModifiers()}, // below the items
              {QPoint(other.left() + 120, other.center().y()), Qt::KeyboardModifiers()}, // right of a label
              {OnLabel(tree, poly), Qt::KeyboardModifiers(Qt::ControlModifier)}}) { // Ctrl on the selection
            QTest::mouseClick(vp, Qt::LeftButton, modifiers, point);
            QCOMPARE(tree.GetSelectedItem(), poly);
            QCOMPARE(tree.currentIndex(), poly);
        }
        QTest::mouseDClick(vp, Qt::LeftButton, {}, QPoint(other.left() + 120, other.center().y()));
        QCOMPARE(tree.GetSelectedItem(), poly);

        // Collapsing hides the selection: it moves up to the collapsed object and is drawn.
        tree.expand(poly);
        tree.setCurrentIndex(Item(tree, {0, 1, 2}));
        const int redraws = t.view().RedrawCount();
        tree.collapse(Item(tree, {0}));
        QCOMPARE(tree.GetSelectedItem(), Item(tree, {0}));
        QVERIFY(t.view().RedrawCount() > redraws);
    }

    void keyboardOpensTheContextMenuAndEnterRunsItsFirstCommand()
    {
        TestApp t(m_twoObjects);
        t.frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.frame()));
        CQM4EditTreeView& tree = t.tree();
        QStringList shown;
        tree.SetPopupRunner([&](QMenu& menu, const QPoint&) -> QAction* {
            shown = MenuTexts(&menu);
            return menu.actions().first();
        });
        QSignalSpy polyInfo(&tree, &CQM4EditTreeView::PolygonInfoRequested);
        QSignalSpy objInfo(&tree, &CQM4EditTreeView::ObjectInfoRequested);
        QSignalSpy editVertex(&tree, &CQM4EditTreeView::EditVertexRequested);
        tree.setFocus();
        tree.setCurrentIndex(Item(tree, {0, 2}));
        QTest::keyClick(&tree, Qt::Key_Menu);
        QCOMPARE(shown, QStringList({"&View...", "&Export..."}));
        QCOMPARE(polyInfo.size(), 1);
        QCOMPARE(polyInfo[0], QVariantList({0, 2}));
        tree.setCurrentIndex(Item(tree, {1, 0, 1}));
        QTest::keyClick(&tree, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(shown, QStringList({"&Edit..."}));
        QCOMPARE(editVertex.size(), 1);
        QCOMPARE(editVertex[0][0].toInt(), 4);

        QTest::keyClick(&tree, Qt::Key_Return);
        QCOMPARE(editVertex.size(), 2);
        tree.setCurrentIndex(Item(tree, {1}));
        QTest::keyClick(&tree, Qt::Key_Enter);
        QCOMPARE(objInfo.size(), 1);
        QCOMPARE(objInfo[0][0].toInt(), 1);
    }

    void clickInTheViewportSelectsTheVertexAndKeysActOnlyThere()
    {
        scenegen::GenScene s = fixtures::TwoObjects();
        s.vertices.push_back({100, 0, -100}); // vertex 6: no polygon uses it
        const QString path = fixtures::WriteFile(m_dir.path(), "unused.qm4", fixtures::Bytes(s));
        TestApp t(path);
        t.frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.frame()));
        CQM4EditView& view = t.view();
        CQM4EditTreeView& tree = t.tree();
        const int cx = view.width() / 2, cy = view.height() / 2;

        // Vertex 2 (0, 0, 30): first used by corner 3 of "Polygon 1" of "Object 1".
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(cx + 1, cy - 31));
        QCOMPARE(tree.GetSelectedItem(), Item(tree, {0, 0, 2}));
        QVERIFY(tree.isExpanded(Item(tree, {0})) && tree.isExpanded(Item(tree, {0, 0})));
        QCOMPARE(t.frame().statusBar()->currentMessage(), QString("Vertex 2: (0, 0, 30), used by 3 corners"));

        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(cx + 100, cy + 100));
        QCOMPARE(t.frame().statusBar()->currentMessage(), QString("Vertex 6: (100, 0, -100), used by 0 corners"));
        QCOMPARE(tree.GetSelectedItem(), Item(tree, {0, 0, 2}));
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(cx - 70, cy + 70));
        QCOMPARE(tree.GetSelectedItem(), Item(tree, {0, 0, 2}));

        // Status panes.
        QStringList panes;
        for (QLabel* l : t.frame().statusBar()->findChildren<QLabel*>())
            panes << l->text();
        QVERIFY(panes.contains("Top (X-Z)") && panes.contains("1 px/unit"));

        // Single keys belong to the viewport; in the tree they stay type-ahead.
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_W);
        QVERIFY(view.IsWireframe());
        QVERIFY(t.Checked(ID_VIEW_WIREFRAME));
        QTest::keyClick(&view, Qt::Key_Home);
        QCOMPARE(view.GetZoom(), 16.0f);
        tree.setFocus();
        QTest::keyClick(&tree, Qt::Key_W);
        QVERIFY(view.IsWireframe());

        t.prompt->QueueColor(0x112233);
        t.frame().Action(ID_OPTIONS_WIRECOLOR)->trigger();
        QCOMPARE(view.GetWireColor(), 0x112233u);
        t.app.reset();
        QSettings settings(gui::kCompanyKey, "QM4Edit");
        QCOMPARE(settings.value("Settings/WireColor").toInt(), 0x112233);
        QCOMPARE(settings.value("Settings/Wireframe").toInt(), 1);
    }

    void viewportInTheWindowOutlinesTheTreeSelection()
    {
        TestApp t(m_twoObjects);
        t.frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.frame()));
        CQM4EditView& view = t.view();
        const int w = view.width(), h = view.height();
        // Vertex 3 (40, 0, 30) and vertex 4 (-40, 0, -30) of "Object 2".
        t.tree().setCurrentIndex(Item(t.tree(), {1}));
        QImage img = view.grab().toImage();
        const int cx = w / 2, cy = h / 2;
        QCOMPARE(fixtures::ColorrefAt(img, cx + 40, cy - 30), 0u);
        QCOMPARE(fixtures::ColorrefAt(img, cx + 20, cy - 15), 0x0000FFu); // halfway along the edge 3-4
        t.tree().clearSelection();
        img = view.grab().toImage();
        QCOMPARE(fixtures::ColorrefAt(img, cx + 20, cy - 15), 0xFFFFFFu);
    }

    void undoHistoryForgetsTheOldestStepsPastItsBudget()
    {
        TestApp t(m_twoObjects);
        CUndoHistory history(1); // every step is over budget: only the newest stays
        for (int i = 1; i <= 3; ++i) {
            scene::CVertexEdit edit({{0, float(i), 0, 0}});
            edit.Apply(t.doc());
            QVERIFY(history.Push("Step", std::move(edit)));
        }
        QCOMPARE(history.StepCount(), std::size_t{1});
        QVERIFY(history.Undo(t.doc()));
        QCOMPARE(t.doc().GetVertex(0).x, 2.0f);
        QVERIFY(!history.Undo(t.doc()));
        QVERIFY(!history.IsClean()); // the opened state went with the dropped steps
        scene::CVertexEdit same({{0, 2.0f, 0, 0}});
        same.Apply(t.doc());
        QVERIFY(!history.Push("Nothing", std::move(same)));
        QVERIFY(history.CanRedo());
    }

    void vertexToolDragsOneVertexAndBandsSelectSets()
    {
        TestApp t(m_twoObjects);
        t.frame().resize(800, 600);
        t.frame().show();
        CQM4EditView& v = t.view();
        auto at = [&](int vertex) { return PixelOf(v, t.doc().GetVertex(vertex)); };
        t.frame().Action(ID_EDIT_VERTEXTOOL)->trigger();
        QVERIFY(v.VertexTool().IsActive() && t.Checked(ID_EDIT_VERTEXTOOL));

        // Top view at 1 pixel per unit: right is +X, up is +Z, Y stays.
        const QPoint from = at(1);
        QTest::mousePress(&v, Qt::LeftButton, {}, from);
        QTest::mouseMove(&v, from + QPoint(8, -4));
        QTest::mouseRelease(&v, Qt::LeftButton, {}, from + QPoint(16, -8));
        const scene::ObjectVertex moved = t.doc().GetVertex(1);
        QVERIFY(moved.x == 56.0f && moved.y == 0.0f && moved.z == 8.0f);
        QCOMPARE(t.doc().GetVertex(3).x, 40.0f);
        QCOMPARE(t.frame().Action(ID_EDIT_UNDO)->text(), QString("&Undo Move Vertex\tCtrl+Z"));
        t.frame().Action(ID_EDIT_UNDO)->trigger();
        QCOMPARE(t.doc().GetVertex(1).x, 40.0f);
        QVERIFY(!t.doc().IsModified());

        // Escape during a drag puts the vertex back and leaves no step.
        QTest::mousePress(&v, Qt::LeftButton, {}, from);
        QTest::mouseMove(&v, from + QPoint(10, 10));
        QTest::keyClick(&v, Qt::Key_Escape);
        QTest::mouseRelease(&v, Qt::LeftButton, {}, from + QPoint(10, 10));
        QCOMPARE(t.doc().GetVertex(1).x, 40.0f);
        QVERIFY(!t.Enabled(ID_EDIT_UNDO));

        // Bands around vertices 0 and 2; Shift adds 1; Ctrl toggles 0 off.
        auto band = [&](int a, int b, Qt::KeyboardModifiers mods) {
            const QRect r = QRect(at(a), at(b)).normalized().adjusted(-6, -6, 6, 6);
            QTest::mousePress(&v, Qt::LeftButton, mods, r.topLeft());
            QTest::mouseRelease(&v, Qt::LeftButton, mods, r.bottomRight());
        };
        band(0, 2, {});
        QCOMPARE(v.VertexTool().Selected(), std::vector<int>({0, 2}));
        band(1, 1, Qt::ShiftModifier);
        QCOMPARE(v.VertexTool().Selected(), std::vector<int>({0, 1, 2}));
        band(0, 0, Qt::ControlModifier);
        QCOMPARE(v.VertexTool().Selected(), std::vector<int>({1, 2}));

        // Arrows nudge the selection one step, ten with Shift; dragging one moves both.
        v.setFocus();
        QTest::keyClick(&v, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(t.doc().GetVertex(1).x, 50.0f);
        QCOMPARE(t.doc().GetVertex(2).x, 10.0f);
        QTest::mousePress(&v, Qt::LeftButton, {}, at(2));
        QTest::mouseRelease(&v, Qt::LeftButton, {}, at(2) + QPoint(0, 5));
        QCOMPARE(t.doc().GetVertex(1).z, -5.0f);
        QCOMPARE(t.doc().GetVertex(2).z, 25.0f);
        QCOMPARE(t.frame().Action(ID_EDIT_UNDO)->text(), QString("&Undo Move Vertices\tCtrl+Z"));

        // Off again: a left drag pans and moves nothing.
        t.frame().Action(ID_EDIT_VERTEXTOOL)->trigger();
        const int panX = v.GetPanX();
        QTest::mousePress(&v, Qt::LeftButton, {}, at(1));
        QTest::mouseRelease(&v, Qt::LeftButton, {}, at(1) + QPoint(20, 0));
        QCOMPARE(v.GetPanX(), panX + 20);
        QCOMPARE(t.doc().GetVertex(1).x, 50.0f);
    }

    // Whatever way a vertex moves, the scene holds the bytes of storing the new positions into
    // the opened file and recomputing every box, also when the file was saved with stale boxes
    // in objects the edit does not reach; undo brings the stale bytes back.
    void everyEditKindLeavesTheBoxesOfAWholeRecompute_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"drag", "nudge", "csv", "model"})
            QTest::newRow(kind) << QString(kind);
    }

    void everyEditKindLeavesTheBoxesOfAWholeRecompute()
    {
        QFETCH(QString, kind);
        // The demo scene with current boxes; then a vertex of its last object with a tree moves
        // without a recompute, leaving that object's boxes and the scene bounds above it stale.
        scene::CQM4EditDoc source;
        QVERIFY(source.Serialize(fixtures::Bytes(scenegen::MakeDemoScene())).Ok());
        source.UpdateGeometry();
        int staleObject = source.GetObjectCount() - 1;
        while (staleObject > 0 && source.ObjectInfo().GetTree(static_cast<std::size_t>(staleObject)).NodeCount() == 0)
            --staleObject;
        const scene::CVertexObjectIndex& users = source.VertexObjectIndex();
        std::vector<int> othersOnly; // vertices of one object, not the stale one
        int lastOnly = -1;
        for (int v = 0; v < source.GetVertexCount(); ++v) {
            const auto objects = users.ObjectsUsing(static_cast<std::size_t>(v));
            if (objects.size() != 1)
                continue;
            if (int(objects[0]) == staleObject)
                lastOnly = v;
            else
                othersOnly.push_back(v);
        }
        QVERIFY(staleObject > 0 && !othersOnly.empty() && lastOnly >= 0);
        const scene::ObjectVertex old = source.GetVertex(lastOnly);
        source.SetVertex(lastOnly, old.x + 3.0f, old.y + 5.0f, old.z - 2.0f);
        const std::vector<std::uint8_t> staleBytes = source.SaveToBytes();

        TestApp t(fixtures::WriteFile(m_dir.path(), "stale-" + kind + ".qm4", staleBytes));
        t.frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.frame()));
        QCoreApplication::processEvents(); // the frame prepares the scene for edits
        CQM4EditView& v = t.view();
        v.FitScene();
        v.VertexTool().SetActive(true);
        // A vertex of one of those objects that no other vertex hides in the view.
        int moved = -1;
        for (int candidate : othersOnly) {
            bool alone = true;
            for (int other = 0; other < t.doc().GetVertexCount() && alone; ++other)
                alone = other == candidate ||
                    (PixelOf(v, t.doc().GetVertex(other)) - PixelOf(v, t.doc().GetVertex(candidate)))
                            .manhattanLength() > 8;
            if (alone) {
                moved = candidate;
                break;
            }
        }
        QVERIFY(moved >= 0);

        // The bytes of the opened file with the document's positions stored, then recomputed.
        auto model = [&] {
            scene::CQM4EditDoc m;
            m.Serialize(staleBytes);
            for (int i = 0; i < t.doc().GetVertexCount(); ++i) {
                const scene::ObjectVertex p = t.doc().GetVertex(i);
                m.SetVertex(i, p.x, p.y, p.z);
            }
            m.UpdateGeometry();
            return m.SaveToBytes();
        };
        auto edit = [&](float offset) {
            const scene::ObjectVertex p = t.doc().GetVertex(moved);
            const scene::ObjectVertex to{p.x + offset, p.y, p.z + offset};
            if (kind == "drag") {
                const QPoint from = PixelOf(v, p);
                QTest::mousePress(&v, Qt::LeftButton, {}, from);
                QTest::mouseMove(&v, from + QPoint(5, -3));
                QTest::mouseRelease(&v, Qt::LeftButton, {}, from + QPoint(9, -6));
            } else if (kind == "nudge") {
                v.VertexTool().SetSelected({moved});
                v.setFocus();
                QTest::keyClick(&v, Qt::Key_Right);
            } else if (kind == "csv") {
                const QString csv = m_dir.filePath("move.csv");
                QFile f(csv);
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(QString("%1,%2,%3,%4\r\n").arg(moved).arg(to.x).arg(to.y).arg(to.z).toLatin1());
                f.close();
                t.frame().SetDialogRunner([](QDialog& d) {
                    auto& type = dynamic_cast<CImportExportTypeDlg&>(d);
                    type.show();
                    type.TypeButton(1)->setChecked(true);
                    type.accept();
                    return type.result();
                });
                t.prompt->QueueFileName(csv);
                t.frame().Action(ID_FILE_IMPORT)->trigger();
            } else {
                scene::CQM4EditDoc target;
                QVERIFY(target.Serialize(t.doc().SaveToBytes()).Ok());
                target.SetVertex(moved, to.x, to.y, to.z);
                interchange::ExportCounts counts;
                const std::string obj = interchange::BuildObj(target, {}, "model", {}, counts).obj;
                const QString path =
                    fixtures::WriteFile(m_dir.path(), "model.obj", std::vector<std::uint8_t>(obj.begin(), obj.end()));
                t.prompt->QueueFileName(path);
                t.frame().Action(ID_FILE_IMPORT_MODEL)->trigger();
            }
            QVERIFY(t.prompt->ScriptUsedUp());
        };

        QVERIFY2(model() != staleBytes, "the opened file's boxes are current");
        edit(4.0f);
        QVERIFY2(t.Enabled(ID_EDIT_UNDO), "the edit moved nothing");
        std::vector<std::uint8_t> afterFirst = t.doc().SaveToBytes();
        QVERIFY(afterFirst == model());
        t.frame().Action(ID_EDIT_UNDO)->trigger();
        QVERIFY(t.doc().SaveToBytes() == staleBytes);
        t.frame().Action(ID_EDIT_REDO)->trigger();
        QVERIFY(t.doc().SaveToBytes() == afterFirst);
        // The boxes are current now: a second edit takes the quick way to the same rule.
        edit(-6.0f);
        QVERIFY(t.doc().SaveToBytes() == model());
        t.frame().Action(ID_EDIT_UNDO)->trigger();
        QVERIFY(t.doc().SaveToBytes() == afterFirst);
        t.frame().Action(ID_EDIT_UNDO)->trigger();
        QVERIFY(t.doc().SaveToBytes() == staleBytes);
        QVERIFY(!t.doc().IsModified());
    }

    void gridStepKeysStopAtTheirLimitsAndAreKept()
    {
        TestApp t(m_twoObjects);
        t.frame().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.frame()));
        CQM4EditView& v = t.view();
        auto panes = [&] {
            QStringList texts;
            for (QLabel* l : t.frame().statusBar()->findChildren<QLabel*>())
                texts << l->text();
            return texts;
        };
        QVERIFY(panes().contains("Grid 1 (off)"));
        v.setFocus();
        QTest::keyClick(&v, Qt::Key_G);
        QVERIFY(v.IsGrid() && t.Checked(ID_VIEW_GRID));
        for (int i = 0; i < 16; ++i)
            QTest::keyClick(&v, Qt::Key_BracketRight);
        QCOMPARE(v.GridStep(), 4096.0f);
        QVERIFY(!t.Enabled(ID_VIEW_GRID_COARSER) && t.Enabled(ID_VIEW_GRID_FINER));
        for (int i = 0; i < 16; ++i)
            QTest::keyClick(&v, Qt::Key_BracketLeft);
        QCOMPARE(v.GridStep(), 0.125f);
        QVERIFY(panes().contains("Grid 0.125"));
        QVERIFY(!t.Enabled(ID_VIEW_GRID_FINER));
        // In the tree the keys stay the tree's.
        t.tree().setFocus();
        QTest::keyClick(&t.tree(), Qt::Key_BracketRight);
        QTest::keyClick(&t.tree(), Qt::Key_G);
        QCOMPARE(v.GridStep(), 0.125f);
        QVERIFY(v.IsGrid());

        // Drawn beneath the vertices in the orthographic views only while on.
        v.SetGridStep(16);
        QImage img;
        v.RenderTo(img);
        // Between two lines of world (48, -8 .. -16): one minor line on the left.
        const int gx = v.width() / 2 + 48, gy = v.height() / 2 + 8;
        QCOMPARE(fixtures::ColorrefAt(img, gx, gy), GRID_COLOR);
        QCOMPARE(fixtures::ColorrefAt(img, gx + 1, gy), BACKGROUND_COLOR);
        t.frame().Action(ID_VIEW_GRID)->trigger();
        v.RenderTo(img);
        QCOMPARE(fixtures::ColorrefAt(img, gx, gy), BACKGROUND_COLOR);
        t.frame().Action(ID_VIEW_GRID)->trigger();

        t.app.reset();
        QSettings settings(gui::kCompanyKey, "QM4Edit");
        QCOMPARE(settings.value("Settings/Grid").toInt(), 1);
        QCOMPARE(settings.value("Settings/GridStep").toString(), QString("16"));
        settings.setValue("Settings/GridStep", "100"); // not a power of two: the nearest one
        TestApp again(m_twoObjects);
        QVERIFY(again.view().IsGrid());
        QCOMPARE(again.view().GridStep(), 128.0f);
    }

    void gridAndCtrlSnapPlaceDraggedAndNudgedVertices()
    {
        TestApp t(m_twoObjects);
        t.frame().resize(800, 600);
        t.frame().show();
        CQM4EditView& v = t.view();
        auto at = [&](int vertex) { return PixelOf(v, t.doc().GetVertex(vertex)); };
        auto is = [&](int vertex, float x, float y, float z) {
            const scene::ObjectVertex p = t.doc().GetVertex(vertex);
            return p.x == x && p.y == y && p.z == z;
        };
        t.frame().Action(ID_EDIT_VERTEXTOOL)->trigger();
        v.SetGrid(true);
        v.SetGridStep(16);

        // Top view, 1 pixel per unit: (40, 0, 0) dragged to (53, 0, 5) lands on (48, 0, 0).
        QTest::mousePress(&v, Qt::LeftButton, {}, at(1));
        QTest::mouseRelease(&v, Qt::LeftButton, {}, at(1) + QPoint(13, -5));
        QVERIFY(is(1, 48, 0, 0));
        // Two selected: the grabbed one, (0, 0, 30) to (7, 0, 33), lands on (0, 0, 32); the
        // other moves by the same (0, 0, 2).
        v.VertexTool().SetSelected({1, 2});
        QTest::mousePress(&v, Qt::LeftButton, {}, at(2));
        QTest::mouseRelease(&v, Qt::LeftButton, {}, at(2) + QPoint(7, -3));
        QVERIFY(is(2, 0, 0, 32) && is(1, 48, 0, 2));
        // Nudges step from the grabbed vertex's grid point, ten steps with Shift.
        v.setFocus();
        QTest::keyClick(&v, Qt::Key_Right);
        QVERIFY(is(2, 16, 0, 32) && is(1, 64, 0, 2));
        QTest::keyClick(&v, Qt::Key_Up, Qt::ShiftModifier);
        QVERIFY(is(2, 16, 0, 192) && is(1, 64, 0, 162));

        // Ctrl: (20, 20, 20) dragged near (40, 0, 30) takes its X and Z, keeps its own Y, and
        // the status bar names the target; this wins over the grid. Never onto itself.
        v.VertexTool().SetSelected({});
        const QPoint from = at(5);
        QTest::mousePress(&v, Qt::LeftButton, {}, from);
        QTest::mouseMove(&v, from + QPoint(5, 0));
        QMouseEvent ctrlMove(QEvent::MouseMove, from + QPoint(5, 0), v.mapToGlobal(from + QPoint(5, 0)), Qt::NoButton,
                             Qt::LeftButton, Qt::ControlModifier);
        QApplication::sendEvent(&v, &ctrlMove);
        QCOMPARE(v.VertexTool().SnapVertex(), -1);
        QTest::mouseRelease(&v, Qt::LeftButton, Qt::ControlModifier, from + QPoint(18, -12));
        QVERIFY(is(5, 40, 20, 30));
        QCOMPARE(t.frame().statusBar()->currentMessage(), QString("Snap to Vertex 3: (40, 0, 30)"));
        t.frame().Action(ID_EDIT_UNDO)->trigger();
        QVERIFY(is(5, 20, 20, 20));
    }

    void scenesWithBadIndicesShowEverySelectionSafely()
    {
        TestApp t;
        t.frame().resize(500, 400);
        CQM4EditTreeView& tree = t.tree();
        int shown = 0;
        for (std::uint64_t seed = 1; seed <= 12; ++seed) {
            const QString path = fixtures::WriteFile(m_dir.path(), QString("random%1.qm4").arg(seed),
                                                     fixtures::Bytes(scenegen::MakeRandomScene(seed, true)));
            t.prompt->Clear();
            QCOMPARE(t.frame().OpenDocumentFile(path), OpenOutcome::Opened);
            const QAbstractItemModel& m = *tree.model();
            for (int o = 0; o < m.rowCount(); ++o) {
                const QModelIndex obj = m.index(o, 0);
                std::vector<QModelIndex> items{obj};
                for (int p = 0; p < std::min(m.rowCount(obj), 3); ++p) {
                    items.push_back(m.index(p, 0, obj));
                    items.push_back(m.index(2, 0, items.back()));
                }
                for (const QModelIndex& item : items) {
                    tree.setCurrentIndex(item);
                    QCOMPARE(tree.GetSelectedItem(), item);
                    ++shown;
                    for (Projection projection : {Projection::Top, Projection::Front, Projection::Side}) {
                        t.view().SetProjection(projection);
                        QVERIFY(!t.view().grab().isNull());
                    }
                }
            }
        }
        QVERIFY(shown > 50);
    }

private:
    QTemporaryDir m_dir;
    QString m_twoObjects;
};

int RunFrameTests(int argc, char** argv)
{
    FrameTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "FrameTest.moc"

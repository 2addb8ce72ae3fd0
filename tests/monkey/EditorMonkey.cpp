// QM4Edit under seeded random use: menu commands, dialogs, mouse and keys in both panes,
// good, damaged and hostile files, saves. After every step the title's star must follow the
// modified flag, the tree must list every object, and a scene just saved must read back and
// write the same bytes.

#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeView>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest>

#include "Monkey.h"
#include "SceneGen.h"
#include "editor/MainFrame.h"
#include "editor/QM4EditApp.h"
#include "editor/QM4EditTreeView.h"
#include "editor/QM4EditView.h"
#include "gui/Settings.h"
#include "scene/QM4EditDoc.h"

using namespace monkey;

namespace {

// Seeds that once failed; each runs whole every time.
const std::vector<std::uint64_t> kRegressionSeeds = {};

enum StepKind { Command, Mouse, Wheel, Tree, Key, Open, UndoRedo, Save, Close };

const std::vector<Kind> kKinds = {{Command, 30}, {Mouse, 14}, {Wheel, 5}, {Tree, 14}, {Key, 16},
                                  {Open, 8},     {UndoRedo, 6}, {Save, 5}, {Close, 2}};

struct Pool {
    QTemporaryDir dir;
    QString saveDir;
    std::vector<QString> files;

    Pool()
    {
        const QString in = dir.filePath("in");
        saveDir = dir.filePath("out");
        QDir().mkpath(in);
        QDir().mkpath(saveDir);
        Rng rng(7);
        const auto demo = scenegen::Encode(scenegen::MakeDemoScene());
        files.push_back(WriteBytes(in, "demo.qm4", demo));
        for (int i = 0; i < 3; ++i)
            files.push_back(WriteBytes(in, QString("random%1.qm4").arg(i), scenegen::Encode(scenegen::MakeRandomScene(100 + i))));
        for (int i = 0; i < 2; ++i)
            files.push_back(WriteBytes(in, QString("badindex%1.qm4").arg(i), scenegen::Encode(scenegen::MakeRandomScene(200 + i, true))));
        for (int i = 0; i < 6; ++i)
            files.push_back(WriteBytes(in, QString("damaged%1.qm4").arg(i), Damage(demo, rng)));
        files.push_back(WriteBytes(in, "empty.qm4", {}));
        files.push_back(WriteBytes(in, "demo.txt", demo));
        std::vector<std::uint8_t> ones(4096, 0xFF);
        files.push_back(WriteBytes(in, "ones.qm4", ones));
        QDir().mkpath(QDir(in).filePath("folder.qm4"));
        files.push_back(QDir(in).filePath("folder.qm4"));
        files.push_back(QDir(in).filePath("missing.qm4"));
        const std::string obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 3 4\n";
        files.push_back(WriteBytes(in, "tri.obj", {obj.begin(), obj.end()}));
        const std::string badObj = "v 0 0\nf 1 2 99\nf -7 0 1\nv nan inf 1e999\n";
        files.push_back(WriteBytes(in, "bad.obj", {badObj.begin(), badObj.end()}));
        const std::string csv = "0,0,0\n1,2,3\n4,5,6\n";
        files.push_back(WriteBytes(in, "vertices.csv", {csv.begin(), csv.end()}));
    }
};

Pool* g_pool = nullptr;

class EditorSession final : public ISession {
public:
    EditorSession()
    {
        QSettings(gui::kCompanyKey, "QM4Edit").clear();
        for (const QFileInfo& fi : QDir(g_pool->saveDir).entryInfoList(QDir::Files))
            QFile::remove(fi.absoluteFilePath());
        auto p = std::make_unique<MonkeyPrompt>();
        m_prompt = p.get();
        m_prompt->openChoices = g_pool->files;
        m_prompt->saveDir = g_pool->saveDir;
        m_prompt->saveSuffix = "qm4";
        m_app = std::make_unique<qm4edit::CQM4EditApp>(std::move(p));
        if (!m_app->InitInstance({"QM4Edit"}, true))
            throw std::runtime_error("the editor did not start");
        Frame().resize(900, 650);
        Frame().SetDialogRunner([this](QDialog& d) {
            if (FiddleDialog(d, m_dialogRng))
                d.accept();
            else
                d.reject();
            return d.result();
        });
        QCoreApplication::processEvents();
    }

    ~EditorSession() override
    {
        // The window asks about unsaved changes while closing; answer No.
        m_app->GetDocument().SetModifiedFlag(false);
        m_app.reset();
    }

    std::string Run(const Step& step) override
    {
        Rng rng(step.seed);
        m_prompt->rng.seed(step.seed ^ 0x9E3779B97F4A7C15ULL);
        m_dialogRng.seed(step.seed ^ 0xC2B2AE3D27D4EB4FULL);
        m_closerRng.seed(step.seed ^ 0x165667B19E3779F9ULL);
        m_before = Stamp(g_pool->saveDir, "qm4");
        if (!Frame().isVisible())
            Frame().show();
        std::string did = Do(step.kind, rng);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        return did;
    }

    std::string Check() override
    {
        scene::CQM4EditDoc& doc = m_app->GetDocument();
        const QString shown = Frame().windowHandle() ? Frame().windowHandle()->title() : Frame().windowTitle();
        const bool star = shown.contains("*");
        if (star != doc.IsModified())
            return "the title \"" + shown.toStdString() + "\" disagrees with the modified flag " +
                   (doc.IsModified() ? "(set)" : "(clear)");
        const int rows = Frame().GetTreeView()->model() ? Frame().GetTreeView()->model()->rowCount() : 0;
        if (rows != doc.GetObjectCount())
            return "the tree shows " + std::to_string(rows) + " objects, the scene holds " +
                   std::to_string(doc.GetObjectCount());
        const auto after = Stamp(g_pool->saveDir, "qm4");
        for (const auto& f : after) {
            if (std::find(m_before.begin(), m_before.end(), f) != m_before.end())
                continue;
            const auto bytes = ReadBytes(f.first);
            scene::CQM4EditDoc check;
            const scene::LoadResult r = check.Serialize(bytes);
            if (r.status != scene::LoadStatus::Loaded)
                return "the saved " + f.first.toStdString() + " does not load: " + r.message;
            if (check.SaveToBytes() != bytes)
                return "the saved " + f.first.toStdString() + " does not save back byte for byte";
        }
        return {};
    }

private:
    qm4edit::CMainFrame& Frame() { return *m_app->GetMainWnd(); }

    std::string Do(int kind, Rng& rng)
    {
        qm4edit::CMainFrame& f = Frame();
        switch (kind) {
        case Command: {
            f.UpdateActions();
            const auto actions = MenuActions(f, f.menuBar());
            QAction* a = actions[static_cast<std::size_t>(Pick(rng, static_cast<int>(actions.size())))];
            const std::string name = a->text().toStdString();
            if (!a->isEnabled())
                return "command " + name + " (disabled)";
            a->trigger();
            return "command " + name;
        }
        case Mouse: return MouseDrag(*f.GetSceneView(), rng);
        case Wheel: return WheelTurn(*f.GetSceneView(), rng);
        case Tree: return TreeUse(*f.GetTreeView(), rng);
        case Key: {
            static const int keys[] = {Qt::Key_Left,   Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,  Qt::Key_Plus,
                                       Qt::Key_Minus,  Qt::Key_Delete, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab,
                                       Qt::Key_Space,  Qt::Key_PageUp, Qt::Key_Home,  Qt::Key_End,   Qt::Key_F6,
                                       Qt::Key_Insert, Qt::Key_Asterisk};
            int key = Chance(rng, 60) ? keys[Pick(rng, static_cast<int>(std::size(keys)))]
                                      : (Chance(rng, 80) ? Qt::Key_A + Pick(rng, 26) : Qt::Key_0 + Pick(rng, 10));
            static const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier,
                                                         Qt::ControlModifier, Qt::AltModifier};
            const Qt::KeyboardModifiers mod = mods[Pick(rng, 5)];
            if (mod == Qt::ControlModifier && (key == Qt::Key_O || key == Qt::Key_N || key == Qt::Key_Q))
                key = Qt::Key_B; // keep opens and exits to their own steps
            QWidget* targets[] = {f.GetSceneView(), f.GetTreeView(), &f};
            QWidget* w = targets[Pick(rng, 3)];
            w->setFocus();
            QTest::keyClick(w, static_cast<Qt::Key>(key), mod);
            return "key " + QKeySequence(key | mod.toInt()).toString().toStdString() + " on " +
                   w->metaObject()->className();
        }
        case Open: {
            const QString path = g_pool->files[static_cast<std::size_t>(Pick(rng, static_cast<int>(g_pool->files.size())))];
            f.OpenDocumentFile(path);
            return "open " + QFileInfo(path).fileName().toStdString();
        }
        case UndoRedo: {
            const bool undo = Chance(rng, 60);
            QTest::keyClick(f.GetSceneView(), undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
            return undo ? "Ctrl+Z" : "Ctrl+Y";
        }
        case Save:
            if (Chance(rng, 50)) {
                f.DoFileSave();
                return "save";
            }
            f.DoSaveAs();
            return "save as";
        case Close:
            f.close();
            return "close the window";
        }
        return "nothing";
    }

    static QPoint RandomPoint(QWidget& w, Rng& rng)
    {
        return {Pick(rng, std::max(1, w.width())), Pick(rng, std::max(1, w.height()))};
    }

    static std::string MouseDrag(QWidget& w, Rng& rng)
    {
        static const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        const Qt::MouseButton b = buttons[Pick(rng, 4)];
        static const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier};
        const Qt::KeyboardModifiers mod = mods[Pick(rng, 3)];
        QPoint p = RandomPoint(w, rng);
        auto send = [&](QEvent::Type t, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent e(t, QPointF(p), QPointF(w.mapToGlobal(p)), button, held, mod);
            QApplication::sendEvent(&w, &e);
        };
        send(QEvent::MouseButtonPress, b, b);
        const int moves = Pick(rng, 6);
        for (int i = 0; i < moves; ++i) {
            p += QPoint(Pick(rng, 81) - 40, Pick(rng, 81) - 40);
            send(QEvent::MouseMove, Qt::NoButton, b);
        }
        send(QEvent::MouseButtonRelease, b, Qt::NoButton);
        if (Chance(rng, 15))
            send(QEvent::MouseButtonDblClick, b, b);
        return "mouse drag, " + std::to_string(moves) + " moves";
    }

    static std::string WheelTurn(QWidget& w, Rng& rng)
    {
        const QPoint p = RandomPoint(w, rng);
        const int delta = (Pick(rng, 7) - 3) * 120;
        QWheelEvent e(QPointF(p), QPointF(w.mapToGlobal(p)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Chance(rng, 20) ? Qt::ControlModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&w, &e);
        return "wheel " + std::to_string(delta);
    }

    static std::string TreeUse(QTreeView& tree, Rng& rng)
    {
        QAbstractItemModel* m = tree.model();
        if (!m || m->rowCount() == 0)
            return "tree: empty";
        QModelIndex idx = m->index(Pick(rng, m->rowCount()), 0);
        while (m->rowCount(idx) > 0 && Chance(rng, 50))
            idx = m->index(Pick(rng, m->rowCount(idx)), 0, idx);
        tree.scrollTo(idx);
        const QRect r = tree.visualRect(idx);
        const QPoint at(r.left() + 6, r.center().y());
        switch (Pick(rng, 5)) {
        case 0: QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, at); return "tree click";
        case 1: QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, at); return "tree double-click";
        case 2: tree.setExpanded(idx, !tree.isExpanded(idx)); return "tree expand/collapse";
        case 3: tree.setCurrentIndex(idx); return "tree select";
        default: QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, at); return "tree right-click";
        }
    }

    MonkeyPrompt* m_prompt = nullptr;
    std::unique_ptr<qm4edit::CQM4EditApp> m_app;
    Rng m_dialogRng;
    Rng m_closerRng;
    ModalCloser m_closer{m_closerRng};
    std::vector<std::pair<QString, std::size_t>> m_before;
};

} // namespace

int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    Pool pool;
    g_pool = &pool;
    return Main("editor_monkey", [] { return std::make_unique<EditorSession>(); }, kKinds, kRegressionSeeds, 10);
}

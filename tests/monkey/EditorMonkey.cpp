// QM4Edit under seeded random use: menu commands, dialogs, mouse and keys in both panes, the
// vertex tool, good, damaged and hostile files, CSV imports, undo and redo, saves. After every
// step the title's star and the undo history must follow the modified flag, the tree must
// list every object, and a scene just saved must read back and write the same bytes.

#include <QTreeView>

#include "Monkey.h"
#include "SceneGen.h"
#include "editor/app/Commands.h"
#include "editor/app/MainFrame.h"
#include "editor/app/QM4EditApp.h"
#include "editor/tree/QM4EditTreeView.h"
#include "editor/ortho/QM4EditView.h"
#include "editor/tools/VertexTool.h"
#include "editor/ortho/ViewRenderer.h"
#include "scene/QM4EditDoc.h"

using namespace monkey;

namespace {

// Seeds that once failed; each runs whole every time.
const std::vector<std::uint64_t> kRegressionSeeds = {};

enum StepKind { Command, Mouse, Wheel, Tree, Key, Open, UndoRedo, Save, Close, EditVertex, VertexTool, CsvImport };

const std::vector<Kind> kKinds = {{Command, 26}, {Mouse, 10},     {Wheel, 4},       {Tree, 12},
                                  {Key, 12},     {Open, 7},       {UndoRedo, 9},    {Save, 5},
                                  {Close, 2},    {EditVertex, 6}, {VertexTool, 10}, {CsvImport, 4}};

struct Pool : FilePool {
    Pool()
    {
        Rng rng(7);
        const auto demo = scenegen::Encode(scenegen::MakeDemoScene());
        Add("demo.qm4", demo);
        for (int i = 0; i < 3; ++i)
            Add(QString("random%1.qm4").arg(i), scenegen::Encode(scenegen::MakeRandomScene(100 + i)));
        for (int i = 0; i < 2; ++i)
            Add(QString("badindex%1.qm4").arg(i), scenegen::Encode(scenegen::MakeRandomScene(200 + i, true)));
        for (int i = 0; i < 6; ++i)
            Add(QString("damaged%1.qm4").arg(i), Damage(demo, rng));
        Add("empty.qm4", std::vector<std::uint8_t>{});
        Add("demo.txt", demo);
        Add("ones.qm4", std::vector<std::uint8_t>(4096, 0xFF));
        AddNonFiles("qm4");
        Add("tri.obj", std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 3 4\n"));
        Add("bad.obj", std::string("v 0 0\nf 1 2 99\nf -7 0 1\nv nan inf 1e999\n"));
        Add("vertices.csv", std::string("0,0,0\n1,2,3\n4,5,6\n"));
    }
};

class EditorSession final : public WindowSession {
public:
    explicit EditorSession(const Pool& pool) : WindowSession(pool, "QM4Edit", "qm4")
    {
        m_app = std::make_unique<qm4edit::CQM4EditApp>(ReleasePrompt());
        if (!m_app->InitInstance({"QM4Edit"}, true))
            throw std::runtime_error("the editor did not start");
        Frame().resize(900, 650);
        Frame().SetDialogRunner([this](QDialog& d) { return AnswerDialog(d, m_dialogRng); });
        QCoreApplication::processEvents();
    }

    ~EditorSession() override
    {
        // The window asks about unsaved changes while closing; answer No.
        m_app->GetDocument().SetModifiedFlag(false);
        m_app.reset();
    }

protected:
    QWidget& Window() override { return Frame(); }
    bool Modified() override { return Doc().IsModified(); }

    std::string CheckDocument() override
    {
        if (Doc().IsModified() == Frame().History().IsClean())
            return std::string("the undo history is ") + (Frame().History().IsClean() ? "clean" : "not clean") +
                " but the modified flag is " + (Doc().IsModified() ? "set" : "clear");
        const int rows = Frame().GetTreeView()->model() ? Frame().GetTreeView()->model()->rowCount() : 0;
        if (rows != Doc().GetObjectCount())
            return "the tree shows " + std::to_string(rows) + " objects, the scene holds " +
                std::to_string(Doc().GetObjectCount());
        return {};
    }

    std::string RoundTrip(const std::vector<std::uint8_t>& bytes) override
    {
        scene::CQM4EditDoc check;
        const scene::LoadResult r = check.Serialize(bytes);
        if (r.status != scene::LoadStatus::Loaded)
            return "does not load: " + r.message;
        return check.SaveToBytes() == bytes ? std::string() : "does not save back byte for byte";
    }

    std::string Do(int kind, Rng& rng) override
    {
        qm4edit::CMainFrame& f = Frame();
        switch (kind) {
        case Command: f.UpdateActions(); return CommandStep(f, f.menuBar(), rng);
        case Mouse: return MouseDrag(*f.GetSceneView(), rng, 40, true);
        case Wheel: return WheelTurn(*f.GetSceneView(), rng, 20);
        case Tree: return TreeUse(*f.GetTreeView(), rng);
        case Key: {
            static const std::vector<int> keys = {
                Qt::Key_Left,   Qt::Key_Right,  Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Plus,    Qt::Key_Minus,
                Qt::Key_Delete, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab,    Qt::Key_Space,   Qt::Key_PageUp,
                Qt::Key_Home,   Qt::Key_End,    Qt::Key_F6,     Qt::Key_Insert, Qt::Key_Asterisk};
            return KeyPress(keys, true, {f.GetSceneView(), f.GetTreeView(), &f}, rng);
        }
        case Open: {
            const QString path = m_pool.Any(rng);
            f.OpenDocumentFile(path);
            return "open " + QFileInfo(path).fileName().toStdString();
        }
        case UndoRedo: {
            const bool undo = Chance(rng, 60);
            const int times = 1 + Pick(rng, 3);
            for (int i = 0; i < times; ++i)
                QTest::keyClick(f.GetSceneView(), undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
            return std::string(undo ? "Ctrl+Z" : "Ctrl+Y") + " x" + std::to_string(times);
        }
        case Save:
            if (Chance(rng, 50)) {
                f.DoFileSave();
                return "save";
            }
            f.DoSaveAs();
            return "save as";
        case Close: f.close(); return "close the window";
        case EditVertex: {
            if (Doc().GetVertexCount() == 0)
                return "edit vertex: no vertices";
            const int v = Pick(rng, Doc().GetVertexCount());
            f.ShowEditVertexDialog(v);
            return "edit vertex " + std::to_string(v);
        }
        case VertexTool: return VertexToolUse(rng);
        case CsvImport: return ImportGeneratedCsv(rng);
        }
        return "nothing";
    }

private:
    qm4edit::CMainFrame& Frame() { return *m_app->GetMainWnd(); }
    scene::CQM4EditDoc& Doc() { return m_app->GetDocument(); }

    // Moves vertices with the vertex tool: a drag that starts on a vertex, or a band around
    // some, then arrow-key nudges of the selection.
    std::string VertexToolUse(Rng& rng)
    {
        qm4edit::CQM4EditView& view = *Frame().GetSceneView();
        if (Doc().GetVertexCount() == 0)
            return "vertex tool: no vertices";
        if (!view.VertexTool().IsActive())
            Frame().Action(qm4edit::ID_EDIT_VERTEXTOOL)->trigger();
        if (Chance(rng, 30))
            view.FitScene();
        std::string did = "vertex tool:";
        const int v = Pick(rng, Doc().GetVertexCount());
        std::int64_t px = 0, py = 0;
        if (Chance(rng, 70) &&
            qm4edit::ProjectToPixel(view.State(), view.width(), view.height(), Doc().GetVertex(v), px, py) && px >= 0 &&
            py >= 0 && px < view.width() && py < view.height()) {
            Drag(view, QPoint(static_cast<int>(px), static_cast<int>(py)), Qt::LeftButton,
                 Chance(rng, 20) ? Qt::ShiftModifier : Qt::NoModifier, 1 + Pick(rng, 4), 30, rng);
            did += " drag vertex " + std::to_string(v);
        } else {
            const QPoint a = RandomPoint(view, rng);
            Drag(view, a, Qt::LeftButton, Qt::NoModifier, 1, std::max(view.width(), view.height()), rng);
            did += " band";
        }
        for (int i = 0, n = Pick(rng, 4); i < n; ++i) {
            static const Qt::Key arrows[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
            QTest::keyClick(&view, arrows[Pick(rng, 4)], Chance(rng, 25) ? Qt::ShiftModifier : Qt::NoModifier);
            did += " nudge";
        }
        return did + ", " + std::to_string(view.VertexTool().Selected().size()) + " selected";
    }

    // A CSV file of vertex and polygon lines that name vertices of the scene as it stands, read
    // through File > Import.
    std::string ImportGeneratedCsv(Rng& rng)
    {
        const int count = Doc().GetVertexCount();
        if (count == 0)
            return "CSV import: no vertices";
        auto coordinate = [&] { return QString::number((Pick(rng, 20001) - 10000) / 100.0, 'g', 7).toStdString(); };
        std::string text;
        for (int i = 0, n = 1 + Pick(rng, 6); i < n; ++i)
            text += std::to_string(Pick(rng, count)) + "," + coordinate() + "," + coordinate() + "," + coordinate() +
                "\r\n";
        for (int i = 0, n = Pick(rng, 3); i < n; ++i) {
            text += "0," + std::to_string(i);
            for (int c = 0; c < 3; ++c)
                text += "," + std::to_string(Pick(rng, count)) + "," + coordinate() + "," + coordinate() + "," +
                    coordinate();
            text += "\r\n";
        }
        m_prompt->nextOpen =
            WriteBytes(m_pool.in, "generated.csv", std::vector<std::uint8_t>(text.begin(), text.end()));
        Frame().UpdateActions();
        QAction* import = Frame().Action(qm4edit::ID_FILE_IMPORT);
        if (!import->isEnabled())
            return "CSV import (disabled)";
        import->trigger();
        return "CSV import of generated lines";
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

    std::unique_ptr<qm4edit::CQM4EditApp> m_app;
};

} // namespace

int main(int argc, char** argv)
{
    return RunProgram<Pool, EditorSession>(argc, argv, "editor_monkey", kKinds, kRegressionSeeds);
}

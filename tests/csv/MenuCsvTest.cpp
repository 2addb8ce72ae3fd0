// CSV export and import and the inspectors, reached the way the user reaches them: File menu
// actions, tree context menus and double-clicks on the real main window.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "ScriptedGuiPrompt.h"
#include "SceneGen.h"
#include "editor/app/Commands.h"
#include "editor/dialogs/EditVertexDlg.h"
#include "editor/dialogs/ImportExportTypeDlg.h"
#include "editor/app/MainFrame.h"
#include "editor/dialogs/ObjectInfoDlg.h"
#include "editor/dialogs/PolygonInfoDlg.h"
#include "editor/tree/QM4EditTreeView.h"
#include "gui/Settings.h"
#include "texture/PixloomDoc.h"

using namespace qm4edit;

namespace {

constexpr auto Tri = scenegen::Triangle;

// Object 0: one polygon over vertices 0, 1, 2; object 1: two polygons sharing 3 and 4.
scenegen::GenScene SmallScene()
{
    scenegen::GenScene s;
    s.vertices = {{0, 0, 0}, {1.5f, 0, -2.25f}, {0, 2, 0}, {10, 0, 10}, {12, 0, 10}, {10, 3, 12}, {99, 99, 99}};
    scenegen::GenObject a;
    a.hasBounds = 0;
    a.polygons = {Tri(0, 1, 2)};
    scenegen::GenObject b;
    b.hasBounds = 0;
    b.polygons = {Tri(3, 4, 5), Tri(5, 4, 3)};
    s.objects = {a, b};
    return s;
}

std::string ReadFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const QString& path, const std::string& text)
{
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

} // namespace

class MenuCsvTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup();
    void exportThenImportThroughTheFileMenu();
    void objectContextMenuExportsThatObject();
    void inspectorsFromTheTree();
    void undoRedoAndSavingFollowTheHistory();
    void modelExportAndImportThroughTheFileMenu();

private:
    QModelIndex Item(int object, int polygon = -1, int corner = -1) const;
    void RightClickChoose(const QModelIndex& item, const QString& actionText);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<scene::CQM4EditDoc> m_doc;
    std::unique_ptr<ScriptedGuiPrompt> m_prompt;
    std::unique_ptr<gui::RecentFileList> m_recent;
    std::unique_ptr<CMainFrame> m_frame;
    // What the frame's dialog runner does with the next dialog.
    std::function<int(QDialog&)> m_onDialog;
};

void MenuCsvTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_doc = std::make_unique<scene::CQM4EditDoc>();
    m_prompt = std::make_unique<ScriptedGuiPrompt>();
    m_recent = std::make_unique<gui::RecentFileList>("QM4Edit");
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_prompt, *m_recent);
    m_frame->SetDialogRunner([this](QDialog& d) {
        if (!m_onDialog)
            qFatal("unexpected dialog %s", qPrintable(d.windowTitle()));
        return m_onDialog(d);
    });
    m_frame->show();

    const QString path = m_dir->filePath("small.qm4");
    const auto bytes = scenegen::Encode(SmallScene());
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    QCOMPARE(m_frame->OpenDocumentFile(path), OpenOutcome::Opened);
    QVERIFY(m_doc->IsLoaded());
}

void MenuCsvTest::cleanup()
{
    m_frame.reset();
    m_recent.reset();
    m_prompt.reset();
    m_doc.reset();
    m_dir.reset();
    m_onDialog = nullptr;
}

QModelIndex MenuCsvTest::Item(int object, int polygon, int corner) const
{
    QTreeView* tree = m_frame->GetTreeView();
    QModelIndex i = tree->model()->index(object, 0);
    if (polygon >= 0) {
        tree->expand(i);
        i = tree->model()->index(polygon, 0, i);
    }
    if (corner >= 0) {
        tree->expand(i);
        i = tree->model()->index(corner, 0, i);
    }
    return i;
}

void MenuCsvTest::RightClickChoose(const QModelIndex& item, const QString& actionText)
{
    CQM4EditTreeView* tree = m_frame->GetTreeView();
    tree->SetPopupRunner([actionText](QMenu& menu, const QPoint&) -> QAction* {
        for (QAction* a : menu.actions())
            if (a->text() == actionText)
                return a;
        qFatal("no menu item %s", qPrintable(actionText));
        return nullptr;
    });
    tree->scrollTo(item);
    const QRect r = tree->visualRect(item);
    // Just inside the start of the label, where the item is hit.
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, QPoint(r.left() + 4, r.center().y()));
}

void MenuCsvTest::exportThenImportThroughTheFileMenu()
{
    // Select object 1 so the check box starts ticked; leave it and export its unique vertices.
    m_frame->GetTreeView()->setCurrentIndex(Item(1));
    bool boxTicked = false, boxEnabled = false;
    m_onDialog = [&](QDialog& d) {
        auto& dlg = dynamic_cast<CImportExportTypeDlg&>(d);
        dlg.show();
        boxTicked = dlg.SelectedOnlyBox()->isChecked();
        boxEnabled = dlg.SelectedOnlyBox()->isEnabled();
        dlg.TypeButton(1)->setChecked(true);
        dlg.accept();
        return dlg.result();
    };
    const QString out = m_dir->filePath("verts.csv");
    m_prompt->QueueFileName(out);
    QAction* exportAction = m_frame->Action(ID_FILE_EXPORT);
    m_frame->UpdateActions();
    QVERIFY(exportAction->isEnabled());
    QCOMPARE(exportAction->text(), QString("&Export..."));
    exportAction->trigger();
    QVERIFY(boxTicked && boxEnabled);
    QCOMPARE(ReadFile(out),
             std::string("3,10.000000,0.000000,10.000000\r\n4,12.000000,0.000000,10.000000\r\n"
                         "5,10.000000,3.000000,12.000000\r\n"));

    // The file comes back from a spreadsheet: a header, trailing zeros gone, LF or CR LF.
    WriteFile(out, "Index,X,Y,Z\r\n3,10.5,0,10\r\n4,-1,2,3\n");
    m_onDialog = [&](QDialog& d) {
        auto& dlg = dynamic_cast<CImportExportTypeDlg&>(d);
        dlg.show();
        dlg.TypeButton(1)->setChecked(true);
        dlg.accept();
        return dlg.result();
    };
    m_prompt->QueueFileName(out);
    QAction* importAction = m_frame->Action(ID_FILE_IMPORT);
    QCOMPARE(importAction->text(), QString("&Import..."));
    QVERIFY(!m_frame->Action(ID_FILE_SAVE)->isEnabled());
    importAction->trigger();
    QCOMPARE(m_doc->GetVertex(3).x, 10.5f);
    QCOMPARE(m_doc->GetVertex(4).x, -1.0f);
    QCOMPARE(m_doc->GetVertex(4).z, 3.0f);
    QVERIFY(m_doc->IsModified());
    m_frame->UpdateActions();
    QVERIFY(m_frame->Action(ID_FILE_SAVE)->isEnabled());
    QCOMPARE(m_frame->statusBar()->currentMessage(), QString("CSV import: 2 lines applied, 1 line skipped."));
    QVERIFY(m_prompt->All().empty());
    QVERIFY(m_prompt->ScriptUsedUp());
}

void MenuCsvTest::objectContextMenuExportsThatObject()
{
    // The selection is object 0, but the menu acts on the item that was right-clicked.
    m_frame->GetTreeView()->setCurrentIndex(Item(0));
    bool boxEnabled = true;
    m_onDialog = [&](QDialog& d) {
        auto& dlg = dynamic_cast<CImportExportTypeDlg&>(d);
        dlg.show();
        boxEnabled = dlg.SelectedOnlyBox()->isEnabled();
        dlg.accept();
        return dlg.result();
    };
    const QString out = m_dir->filePath("object.csv");
    m_prompt->QueueFileName(out);
    RightClickChoose(Item(1), "&Export...");
    QVERIFY(!boxEnabled);
    QCOMPARE(
        ReadFile(out),
        std::string(
            "1,0,3,10.000000,0.000000,10.000000,4,12.000000,0.000000,10.000000,5,10.000000,3.000000,12.000000\r\n"
            "1,1,5,10.000000,3.000000,12.000000,4,12.000000,0.000000,10.000000,3,10.000000,0.000000,10.000000\r\n"));

    // A polygon's "&Export..." writes that polygon alone.
    const QString one = m_dir->filePath("polygon.csv");
    m_prompt->QueueFileName(one);
    RightClickChoose(Item(0, 0), "&Export...");
    QCOMPARE(ReadFile(one),
             std::string("0,0,0,0.000000,0.000000,0.000000,1,1.500000,0.000000,-2.250000,2,0.000000,"
                         "2.000000,0.000000\r\n"));
    QVERIFY(m_prompt->ScriptUsedUp());
}

void MenuCsvTest::inspectorsFromTheTree()
{
    // Double-clicking a corner opens Edit Vertex for that vertex; Apply moves it.
    QString shownX;
    m_onDialog = [&](QDialog& d) {
        auto& dlg = dynamic_cast<CEditVertexDlg&>(d);
        dlg.show();
        shownX = dlg.findChild<QLineEdit*>("m_fX")->text();
        dlg.findChild<QLineEdit*>("m_fZ")->setText("-7");
        QTest::mouseClick(dlg.findChild<QPushButton*>("apply"), Qt::LeftButton);
        dlg.reject();
        return dlg.result();
    };
    CQM4EditTreeView* tree = m_frame->GetTreeView();
    const QModelIndex corner = Item(0, 0, 1);
    tree->setCurrentIndex(corner);
    tree->scrollTo(corner);
    const QPoint p = tree->visualRect(corner).center();
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, p);
    QCOMPARE(shownX, QString("1.5"));
    QCOMPARE(m_doc->GetVertex(1).z, -7.0f);

    // "&View..." of a polygon, and of an object.
    QString title, vertexId;
    m_onDialog = [&](QDialog& d) {
        d.show();
        title = d.windowTitle();
        if (auto* e = d.findChild<QLineEdit*>("m_nVertexId2"))
            vertexId = e->text();
        d.reject();
        return d.result();
    };
    RightClickChoose(Item(1, 1), "&View...");
    QCOMPARE(title, QString("View Polygon Info"));
    QCOMPARE(vertexId, QString("3"));
    RightClickChoose(Item(1), "&View...");
    QCOMPARE(title, QString("View Object Info"));
}

void MenuCsvTest::undoRedoAndSavingFollowTheHistory()
{
    const QString path = m_dir->filePath("small.qm4");
    const std::string original = ReadFile(path);
    QAction* undo = m_frame->Action(ID_EDIT_UNDO);
    QAction* redo = m_frame->Action(ID_EDIT_REDO);
    QAction* save = m_frame->Action(ID_FILE_SAVE);
    m_frame->UpdateActions();
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    QCOMPARE(undo->text(), QString("&Undo\tCtrl+Z"));

    m_onDialog = [&](QDialog& d) {
        auto& dlg = dynamic_cast<CEditVertexDlg&>(d);
        dlg.show();
        dlg.findChild<QLineEdit*>("m_fZ")->setText("-7");
        QTest::mouseClick(dlg.findChild<QPushButton*>("apply"), Qt::LeftButton);
        dlg.reject();
        return dlg.result();
    };
    m_frame->ShowEditVertexDialog(1);
    QCOMPARE(m_doc->GetVertex(1).z, -7.0f);
    m_frame->UpdateActions();
    QCOMPARE(undo->text(), QString("&Undo Edit Vertex\tCtrl+Z"));
    save->trigger();
    const std::string edited = ReadFile(path);
    QVERIFY(edited != original);
    QVERIFY(!save->isEnabled());

    // Undo past the save needs saving again, and that save writes the opened bytes back.
    undo->trigger();
    QVERIFY(m_doc->IsModified() && save->isEnabled());
    QCOMPARE(redo->text(), QString("&Redo Edit Vertex\tCtrl+Y"));
    save->trigger();
    QCOMPARE(ReadFile(path), original);
    redo->trigger();
    QCOMPARE(m_doc->GetVertex(1).z, -7.0f);
    QVERIFY(m_frame->isWindowModified());
    undo->trigger();
    QVERIFY(!m_doc->IsModified() && !save->isEnabled() && !m_frame->isWindowModified());

    // A whole CSV import is one step.
    const QString csv = m_dir->filePath("verts.csv");
    WriteFile(csv, "3,10.5,0,10\n4,-1,2,3\n");
    m_onDialog = [&](QDialog& d) {
        auto& dlg = dynamic_cast<CImportExportTypeDlg&>(d);
        dlg.show();
        dlg.TypeButton(1)->setChecked(true);
        dlg.accept();
        return dlg.result();
    };
    m_prompt->QueueFileName(csv);
    m_frame->Action(ID_FILE_IMPORT)->trigger();
    QCOMPARE(m_doc->GetVertex(4).x, -1.0f);
    QCOMPARE(undo->text(), QString("&Undo CSV Import\tCtrl+Z"));
    QVERIFY(!redo->isEnabled());
    undo->trigger();
    QCOMPARE(m_doc->GetVertex(3).x, 10.0f);
    QVERIFY(!m_doc->IsModified());
    redo->trigger();
    QCOMPARE(m_doc->GetVertex(3).x, 10.5f);
}

void MenuCsvTest::modelExportAndImportThroughTheFileMenu()
{
    // An artist's round trip: the demo scene with a texture beside it goes out as OBJ, a few
    // vertices are moved in the file, and the file comes back.
    const QString path = m_dir->filePath("demo.qm4");
    scene::CQM4EditDoc demo; // saved with its bounds, as the editor saves it
    QVERIFY(demo.Serialize(scenegen::Encode(scenegen::MakeDemoScene())).Ok());
    demo.UpdateGeometry();
    const auto bytes = demo.SaveToBytes();
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    {
        texture::CPixloomDoc tex;
        tex.GetHeader().xRes = tex.GetHeader().yRes = 8;
        tex.GetHeader().bpp = 24;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                std::memcpy(tex.GetPixel(x, y),
                            std::array<std::uint8_t, 4>{std::uint8_t(x * 32), std::uint8_t(y * 32), 200, 255}.data(),
                            4);
        QVERIFY(tex.OnSaveDocument(common::PathFromUtf8(m_dir->filePath("brick.tex").toStdString()), *m_prompt));
    }
    QCOMPARE(m_frame->OpenDocumentFile(path), OpenOutcome::Opened);
    const std::vector<std::uint8_t> original = m_doc->SaveToBytes();

    const QString obj = m_dir->filePath("demo.obj");
    m_prompt->QueueFileName(obj);
    QAction* exportModel = m_frame->Action(ID_FILE_EXPORT_MODEL);
    m_frame->UpdateActions();
    QVERIFY(exportModel->isEnabled());
    exportModel->trigger();
    QVERIFY(QFile::exists(m_dir->filePath("demo_tex0_brick.tex.png")));
    QVERIFY(m_frame->statusBar()->currentMessage().startsWith("Exported"));

    // The first object's v lines name its vertices in order of first use.
    std::vector<int> firstUse;
    for (const scene::PolygonRecord& p : m_doc->GetObjectRecord(0).polygons)
        for (std::uint16_t v : p.vertex)
            if (std::find(firstUse.begin(), firstUse.end(), v) == firstUse.end())
                firstUse.push_back(v);
    std::istringstream in(ReadFile(obj));
    std::string edited, line;
    std::map<int, scene::ObjectVertex> moved; // scene vertex -> where the file puts it
    for (int vLine = 0; std::getline(in, line);) {
        if (line.starts_with("v ") && vLine++ < 5 && vLine % 2 == 1) { // lines 1, 3 and 5
            const scene::ObjectVertex to{0.5f * vLine, -1.25f, 7.0f + vLine};
            moved[firstUse[static_cast<std::size_t>(vLine - 1)]] = to;
            line = "v " + std::to_string(to.x) + ' ' + std::to_string(to.y) + ' ' + std::to_string(to.z);
        }
        edited += line + '\n';
    }
    QCOMPARE(moved.size(), std::size_t{3});
    WriteFile(obj, edited);

    m_prompt->QueueFileName(obj);
    m_frame->Action(ID_FILE_IMPORT_MODEL)->trigger();
    QVERIFY(m_frame->statusBar()->currentMessage().startsWith("OBJ import:"));
    // Exactly those vertices moved; everything else, bounds recomputed, is as the same moves
    // made one by one would leave it.
    scene::CQM4EditDoc expected;
    QVERIFY(expected.Serialize(original).Ok());
    for (const auto& [v, to] : moved)
        expected.SetVertex(v, to.x, to.y, to.z);
    expected.UpdateGeometry();
    QVERIFY(m_doc->SaveToBytes() == expected.SaveToBytes());
    for (const auto& [v, to] : moved)
        QCOMPARE(m_doc->GetVertex(v).z, to.z);
    m_frame->Action(ID_EDIT_UNDO)->trigger();
    QVERIFY(m_doc->SaveToBytes() == original);

    // Texturing comes back in the same one step: the first run of faces takes a material of
    // the artist's whose image names no texture yet, and one texture vertex moves in every line
    // that writes it.
    {
        std::istringstream exported(ReadFile(obj));
        std::string retextured, firstVt;
        bool firstMaterial = true;
        for (std::string line; std::getline(exported, line);) {
            if (line.starts_with("vt ") && firstVt.empty())
                firstVt = line;
            if (line == firstVt)
                line = "vt 0.25 0.75";
            if (line.starts_with("usemtl ") && firstMaterial) {
                line = "usemtl wood";
                firstMaterial = false;
            }
            retextured += line + '\n';
        }
        WriteFile(obj, retextured);
        WriteFile(m_dir->filePath("demo.mtl"),
                  ReadFile(m_dir->filePath("demo.mtl")) + "newmtl wood\nmap_Kd wood.png\n");
    }
    const std::uint16_t before = m_doc->GetPolygon(0, 0).texture;
    m_prompt->QueueFileName(obj);
    m_frame->Action(ID_FILE_IMPORT_MODEL)->trigger();
    QVERIFY2(
        m_frame->statusBar()->currentMessage().endsWith("polygon textures changed; texture names added: \"wood.tex\"."),
        qPrintable(m_frame->statusBar()->currentMessage()));
    QCOMPARE(m_doc->GetTextureName(static_cast<std::uint32_t>(m_doc->GetPolygon(0, 0).texture)),
             std::string("wood.tex"));
    QVERIFY(m_doc->GetPolygon(0, 0).texture != before);
    m_frame->UpdateActions();
    QCOMPARE(m_frame->Action(ID_EDIT_UNDO)->text(), QString("&Undo Model Import\tCtrl+Z"));
    m_frame->Action(ID_EDIT_UNDO)->trigger();
    QVERIFY(m_doc->SaveToBytes() == original);

    // A file that does not fit is refused with its reason and changes nothing.
    const QString bad = m_dir->filePath("bad.obj");
    WriteFile(bad, "v 1 2 3\nf 1 9 9\n");
    m_prompt->QueueFileName(bad);
    m_frame->Action(ID_FILE_IMPORT_MODEL)->trigger();
    QCOMPARE(m_prompt->All().size(), std::size_t{1});
    QVERIFY(m_doc->SaveToBytes() == original);
    QVERIFY(m_prompt->ScriptUsedUp());
}

QTEST_MAIN(MenuCsvTest)
#include "MenuCsvTest.moc"

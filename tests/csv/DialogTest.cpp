// The inspector dialogs and the CSV commands behind the menus, driven headless.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <sstream>

#include "SceneBuilder.h"
#include "ScriptedGuiPrompt.h"
#include "SceneGen.h"
#include "editor/dialogs/EditVertexDlg.h"
#include "editor/dialogs/ImportExportTypeDlg.h"
#include "editor/dialogs/DialogCommands.h"
#include "editor/dialogs/ObjectInfoDlg.h"
#include "editor/dialogs/PolygonInfoDlg.h"
#include "editor/dialogs/TextureVertexDlg.h"

using namespace qm4edit;

namespace {

struct ViewCounter : scene::ISceneObserver {
    int updates = 0;
    void UpdateAllViews() override { ++updates; }
};

QLineEdit* Field(QWidget& dlg, const char* name)
{
    auto* e = dlg.findChild<QLineEdit*>(name);
    if (!e)
        qFatal("no field %s", name);
    return e;
}

QPushButton* Button(QWidget& dlg, const char* name)
{
    auto* b = dlg.findChild<QPushButton*>(name);
    if (!b)
        qFatal("no button %s", name);
    return b;
}

QStringList Labels(QWidget& dlg)
{
    QStringList out;
    for (QLabel* l : dlg.findChildren<QLabel*>())
        out << l->text();
    return out;
}

// Vertex 0 (1.5, -0.000123457, 1234567), vertex 40000 (2, 3, 4); one object whose polygon
// uses both, with texture 1 and texture vertices 1, 2, 999.
SceneBuilder InspectorScene(std::uint16_t type)
{
    SceneBuilder b;
    b.vertices.resize(40001);
    b.vertices[0] = {1.5f, -0.000123457f, 1234567.0f};
    b.vertices[40000] = {2.0f, 3.0f, 4.0f};
    b.unlit = {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}};
    b.prelit = {{1.1f, 1.2f, {}}, {1.3f, 1.4f, {}}, {1.5f, 1.6f, {}}};
    b.lit = {{2.1f, 2.2f, {}}, {2.3f, 2.4f, {}}, {2.5f, 2.6f, {}}};
    b.textures = {"stone", "wood"};
    b.objects = {{TestPolygon{{0, 40000, 0}, {1, 2, 999}, type, 1}, TestPolygon{{0, 0, 0}, {0, 0, 0}, 0, 7}}};
    return b;
}

std::string ReadFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

class DialogTest : public QObject {
    Q_OBJECT

private slots:
    void editVertexShowsGeneralFormat();
    void editVertexApplyWritesAndStaysOpen();
    void editVertexRefusesFieldWithoutNumber();
    void editVertexCloseWritesNothing();
    void polygonInfoFieldsAndTextureVertices();
    void polygonInfoOutOfListIndices();
    void textureVertexOkNeedsNumbers();
    void objectInfoFollowsApply();
    void typeDialogCheckBoxRules();
    void importCommandByType();
    void exportCommandScopesAndOptions();
    void cancelledAndFailedCommands();
};

void DialogTest::editVertexShowsGeneralFormat()
{
    scene::CQM4EditDoc doc;
    QVERIFY(InspectorScene(0).LoadInto(doc));
    ScriptedGuiPrompt prompt;
    CEditVertexDlg dlg(prompt);
    dlg.SetVertex(0, &doc);
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QString("Edit Vertex"));
    QVERIFY(Labels(dlg).contains("x offset") && Labels(dlg).contains("y offset") && Labels(dlg).contains("z offset"));
    QCOMPARE(Field(dlg, "m_fX")->text(), QString("1.5"));
    QCOMPARE(Field(dlg, "m_fY")->text(), QString("-0.000123457"));
    QCOMPARE(Field(dlg, "m_fZ")->text(), QString("1.23457e+06"));
    QVERIFY(!Field(dlg, "m_fX")->isReadOnly());
    QCOMPARE(Button(dlg, "apply")->text(), QString("Apply"));
    QCOMPARE(Button(dlg, "close")->text(), QString("Close"));
    QVERIFY(Button(dlg, "apply")->isDefault());
}

void DialogTest::editVertexApplyWritesAndStaysOpen()
{
    scene::CQM4EditDoc doc;
    QVERIFY(InspectorScene(0).LoadInto(doc));
    ViewCounter views;
    doc.AddObserver(&views);
    ScriptedGuiPrompt prompt;
    CEditVertexDlg dlg(prompt);
    dlg.SetVertex(0, &doc);
    dlg.show();

    // Apply without typing stores what is shown: the position to six significant digits.
    QTest::mouseClick(Button(dlg, "apply"), Qt::LeftButton);
    QCOMPARE(doc.GetVertex(0).z, 1234570.0f);
    QCOMPARE(doc.GetVertex(0).y, -0.000123457f);
    QVERIFY(doc.IsModified());
    QCOMPARE(views.updates, 1);
    QVERIFY(dlg.isVisible());

    // "1e3" stores 1000 and keeps showing as typed; Enter in a field applies too.
    Field(dlg, "m_fX")->setText("1e3");
    Field(dlg, "m_fY")->setText(" -2.5 ");
    QTest::keyClick(Field(dlg, "m_fY"), Qt::Key_Return);
    QCOMPARE(doc.GetVertex(0).x, 1000.0f);
    QCOMPARE(doc.GetVertex(0).y, -2.5f);
    QCOMPARE(Field(dlg, "m_fX")->text(), QString("1e3"));
    QCOMPARE(views.updates, 2);
    QVERIFY(dlg.isVisible());
    QVERIFY(prompt.All().empty());
    doc.RemoveObserver(&views);
}

void DialogTest::editVertexRefusesFieldWithoutNumber()
{
    scene::CQM4EditDoc doc;
    QVERIFY(InspectorScene(0).LoadInto(doc));
    ScriptedGuiPrompt prompt;
    CEditVertexDlg dlg(prompt);
    dlg.SetVertex(40000, &doc);
    dlg.show();
    Field(dlg, "m_fX")->setText("9");
    Field(dlg, "m_fY")->setText("12abc");
    QTest::mouseClick(Button(dlg, "apply"), Qt::LeftButton);

    QCOMPARE(prompt.All().size(), std::size_t(1));
    QCOMPARE(prompt.All()[0].text, std::string("Please enter a number in the field \"y offset\"."));
    QCOMPARE(prompt.All()[0].icon, common::MessageIcon::Exclamation);
    QCOMPARE(doc.GetVertex(40000).x, 2.0f); // not even the good field was written
    QVERIFY(!doc.IsModified());

    Field(dlg, "m_fY")->setText("");
    QTest::mouseClick(Button(dlg, "apply"), Qt::LeftButton);
    QCOMPARE(prompt.All().size(), std::size_t(2));
    QVERIFY(!doc.IsModified());
}

void DialogTest::editVertexCloseWritesNothing()
{
    scene::CQM4EditDoc doc;
    QVERIFY(InspectorScene(0).LoadInto(doc));
    ScriptedGuiPrompt prompt;
    CEditVertexDlg dlg(prompt);
    dlg.SetVertex(40000, &doc);
    dlg.show();
    Field(dlg, "m_fZ")->setText("5");
    QTest::mouseClick(Button(dlg, "apply"), Qt::LeftButton);
    Field(dlg, "m_fZ")->setText("6");
    QTest::mouseClick(Button(dlg, "apply"), Qt::LeftButton);
    Field(dlg, "m_fZ")->setText("7");
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(doc.GetVertex(40000).z, 6.0f);
}

void DialogTest::polygonInfoFieldsAndTextureVertices()
{
    struct Case {
        std::uint16_t type;
        float u; // u of texture vertex 1 in the list the type word selects
    };
    for (Case c : {Case{0x0019, 1.3f}, Case{0xF00A, 2.3f}, Case{0x0001, 0.3f}, Case{0x001B, 0.3f}}) {
        scene::CQM4EditDoc doc;
        QVERIFY(InspectorScene(c.type).LoadInto(doc));
        ScriptedGuiPrompt prompt;
        CPolygonInfoDlg dlg(prompt);
        dlg.SetPolygon(0, 0, &doc);
        QString shownU, shownV, title;
        dlg.SetModalRunner([&](QDialog& child) {
            child.show();
            title = child.windowTitle();
            shownU = Field(child, "m_fU")->text();
            shownV = Field(child, "m_fV")->text();
            child.reject();
            return int(QDialog::Rejected);
        });
        dlg.show();
        if (c.type == 0x0019) {
            QCOMPARE(dlg.windowTitle(), QString("View Polygon Info"));
            for (const char* l : {"Vertex ID", "X", "Y", "Z", "Texture Verts", "Texture:"})
                QVERIFY2(Labels(dlg).contains(l), l);
            QCOMPARE(Field(dlg, "m_nVertexId0")->text(), QString("0"));
            QCOMPARE(Field(dlg, "m_nVertexId1")->text(), QString("40000")); // unsigned, not -25536
            QCOMPARE(Field(dlg, "m_fCorner2")->text(), QString("1.23457e+06"));
            QCOMPARE(Field(dlg, "m_fCorner3")->text(), QString("2"));
            QCOMPARE(Field(dlg, "m_fCorner5")->text(), QString("4"));
            QCOMPARE(Field(dlg, "m_strTexture")->text(), QString("wood"));
            for (const char* f : {"m_nVertexId0", "m_fCorner4", "m_strTexture"})
                QVERIFY(Field(dlg, f)->isReadOnly());
            QCOMPARE(Button(dlg, "texVertex0")->text(), QString("..."));
        }
        QTest::mouseClick(Button(dlg, "texVertex0"), Qt::LeftButton);
        QCOMPARE(title, QString("Texture Vertex"));
        QCOMPARE(shownU, QString::number(c.u));
        QVERIFY(dlg.isVisible());
    }
}

void DialogTest::polygonInfoOutOfListIndices()
{
    scene::CQM4EditDoc doc;
    QVERIFY(InspectorScene(0x0A).LoadInto(doc));
    ScriptedGuiPrompt prompt;
    QString shownU = "unset", shownV = "unset";
    auto peek = [&](QDialog& child) {
        child.show();
        shownU = Field(child, "m_fU")->text();
        shownV = Field(child, "m_fV")->text();
        return int(QDialog::Rejected);
    };

    CPolygonInfoDlg second(prompt);
    second.SetPolygon(0, 1, &doc); // texture 7 of a list of two
    second.show();
    QCOMPARE(Field(second, "m_strTexture")->text(), QString());

    CPolygonInfoDlg first(prompt);
    first.SetModalRunner(peek);
    first.SetPolygon(0, 0, &doc);
    first.show();
    QTest::mouseClick(Button(first, "texVertex2"), Qt::LeftButton); // index 999 of three
    QCOMPARE(shownU, QString("0"));
    QCOMPARE(shownV, QString("0"));
}

void DialogTest::textureVertexOkNeedsNumbers()
{
    scene::CQM4EditDoc doc;
    QVERIFY(InspectorScene(0).LoadInto(doc));
    ScriptedGuiPrompt prompt;
    CTextureVertexDlg dlg(prompt);
    dlg.SetTextureVertex(2, scene::TEXVERTEX_LIT, &doc);
    dlg.show();
    QVERIFY(Labels(dlg).contains("U") && Labels(dlg).contains("V"));
    QCOMPARE(Field(dlg, "m_fU")->text(), QString("2.5"));
    QCOMPARE(Field(dlg, "m_fV")->text(), QString("2.6"));
    Field(dlg, "m_fV")->setText("x");
    QTest::mouseClick(Button(dlg, "ok"), Qt::LeftButton);
    QVERIFY(dlg.isVisible());
    QCOMPARE(prompt.All().at(0).text, std::string("Please enter a number in the field \"V\"."));
    Field(dlg, "m_fV")->setText("7");
    QTest::mouseClick(Button(dlg, "ok"), Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.m_fV, 7.0f);
    QCOMPARE(doc.GetTextureVertex(scene::TEXVERTEX_LIT, 2).v, 2.6f); // shown, never written
    QVERIFY(!doc.IsModified());
}

void DialogTest::objectInfoFollowsApply()
{
    scene::CQM4EditDoc doc;
    const auto bytes = scenegen::Encode(scenegen::MakeDemoScene());
    QVERIFY(doc.Serialize(bytes).Ok());
    doc.UpdateGeometry();
    const int vertex = doc.GetPolygon(0, 0).vertex[0];

    CObjectInfoDlg before;
    before.SetObject(0, &doc);
    before.show();
    QCOMPARE(before.windowTitle(), QString("View Object Info"));
    for (const char* l : {"Object Bounding Box:", "Min:", "Max:", "X", "Y", "Z"})
        QVERIFY2(Labels(before).contains(l), l);
    QCOMPARE(Field(before, "m_fBox3")->text(), FloatText(doc.GetObjectRecord(0).bounds.max[0]));
    QVERIFY(Field(before, "m_fBox0")->isReadOnly());

    ScriptedGuiPrompt prompt;
    CEditVertexDlg edit(prompt);
    edit.SetVertex(vertex, &doc);
    edit.show();
    Field(edit, "m_fX")->setText("500");
    QTest::mouseClick(Button(edit, "apply"), Qt::LeftButton);

    CObjectInfoDlg after;
    after.SetObject(0, &doc);
    after.show();
    QCOMPARE(Field(after, "m_fBox3")->text(), QString("500"));
}

void DialogTest::typeDialogCheckBoxRules()
{
    struct Case {
        bool forObject;
        TreeItemKind selectedKind;
        bool ticked;
    };
    using K = TreeItemKind;
    for (Case c : {Case{false, K::Object, true}, Case{false, K::None, false}, Case{false, K::Polygon, false},
                   Case{false, K::Vertex, false}, Case{true, K::Object, false}, Case{true, K::None, false}}) {
        CImportExportTypeDlg dlg(c.forObject, c.selectedKind);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QString("Import/Export Type"));
        QCOMPARE(dlg.TypeButton(0)->text(), QString("Object Polygons"));
        QCOMPARE(dlg.TypeButton(1)->text(), QString("Unique Verts"));
        QCOMPARE(dlg.SelectedOnlyBox()->text(), QString("For selected object only"));
        QVERIFY(dlg.TypeButton(0)->isChecked());
        QCOMPARE(dlg.SelectedOnlyBox()->isChecked(), c.ticked);
        QCOMPARE(dlg.SelectedOnlyBox()->isEnabled(), c.ticked);
        QCOMPARE(dlg.m_bForObject, c.forObject);
    }
    CImportExportTypeDlg dlg(false, TreeItemKind::Object);
    dlg.show();
    dlg.TypeButton(1)->setChecked(true);
    dlg.SelectedOnlyBox()->setChecked(false);
    QTest::mouseClick(Button(dlg, "ok"), Qt::LeftButton);
    QCOMPARE(dlg.m_nType, 1);
    QVERIFY(!dlg.m_bSelectedOnly);
}

namespace {

// Answers the type dialog: chooses the type and, if given, the check box, then OK.
ModalRunner ChooseType(int type, std::optional<bool> selectedOnly = std::nullopt, bool cancel = false)
{
    return [=](QDialog& d) {
        auto& dlg = dynamic_cast<CImportExportTypeDlg&>(d);
        dlg.show();
        dlg.TypeButton(type)->setChecked(true);
        if (selectedOnly)
            dlg.SelectedOnlyBox()->setChecked(*selectedOnly);
        if (cancel)
            dlg.reject();
        else
            dlg.accept();
        return dlg.result();
    };
}

} // namespace

void DialogTest::importCommandByType()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("in.csv");
    std::ofstream(path.toStdString(), std::ios::binary)
        << "Index,X,Y,Z\r\n10,1,2,3\r\n0,0,11,7,7,7,12,8,8,8,13,9,9,9\r\n2,0,1,5,5,5,2,5,5,5,3,5,5,5\r\n";

    { // "Unique Verts": vertex lines; the polygon lines read as vertex 0 and 2 lines.
        scene::CQM4EditDoc doc;
        SceneBuilder b;
        b.vertices.resize(14);
        b.objects = {{TestPolygon{{10, 11, 12}}}, {}, {TestPolygon{{1, 2, 3}}}};
        QVERIFY(b.LoadInto(doc));
        ScriptedGuiPrompt prompt;
        prompt.QueueFileName(path);
        const QString status = ImportCsv({doc, prompt, ChooseType(1, true)}, TreeItemKind::Object, 2);
        QCOMPARE(status, QString("CSV import: 3 lines applied, 1 line skipped."));
        QCOMPARE(doc.GetVertex(10).z, 3.0f);
        QCOMPARE(prompt.FileDialogs().size(), std::size_t(1));
        QVERIFY(prompt.LastDialogWasOpen());
        const gui::FileDialogOptions& o = prompt.FileDialogs()[0];
        QCOMPARE(o.filter, QString("Comma Separated Values files (*.csv)|*.csv|All Files (*.*)|*.*||"));
        QCOMPARE(o.defaultExt, QString("csv"));
        QVERIFY(o.fileMustExist);
    }
    { // "Object Polygons" for the selected object 2 only.
        scene::CQM4EditDoc doc;
        SceneBuilder b;
        b.vertices.resize(14);
        b.objects = {{TestPolygon{{10, 11, 12}}}, {}, {TestPolygon{{1, 2, 3}}}};
        QVERIFY(b.LoadInto(doc));
        ScriptedGuiPrompt prompt;
        prompt.QueueFileName(path);
        const QString status = ImportCsv({doc, prompt, ChooseType(0)}, TreeItemKind::Object, 2);
        QCOMPARE(status, QString("CSV import: 1 line applied, 1 line skipped."));
        QCOMPARE(doc.GetVertex(1).x, 5.0f);
        QCOMPARE(doc.GetVertex(11).x, 0.0f);
    }
    { // With the check box cleared, every polygon line.
        scene::CQM4EditDoc doc;
        SceneBuilder b;
        b.vertices.resize(14);
        QVERIFY(b.LoadInto(doc));
        ScriptedGuiPrompt prompt;
        prompt.QueueFileName(path);
        ImportCsv({doc, prompt, ChooseType(0, false)}, TreeItemKind::Object, 2);
        QCOMPARE(doc.GetVertex(1).x, 5.0f);
        QCOMPARE(doc.GetVertex(11).x, 7.0f);
    }
}

void DialogTest::exportCommandScopesAndOptions()
{
    QTemporaryDir dir;
    scene::CQM4EditDoc doc;
    SceneBuilder b;
    for (int i = 0; i < 6; ++i)
        b.vertices.push_back({static_cast<float>(i), 0.0f, 0.0f});
    b.objects = {{TestPolygon{{0, 1, 2}}}, {TestPolygon{{3, 4, 5}}, TestPolygon{{5, 4, 4}}}};
    QVERIFY(b.LoadInto(doc));

    ScriptedGuiPrompt prompt;
    const QString all = dir.filePath("all.csv"), sel = dir.filePath("sel.csv"), obj = dir.filePath("obj.csv"),
                  poly = dir.filePath("poly.csv");
    prompt.QueueFileName(all);
    prompt.QueueFileName(sel);
    prompt.QueueFileName(obj);
    prompt.QueueFileName(poly);

    // File > Export with a polygon selected: no restriction possible.
    ExportCsv({doc, prompt, ChooseType(1)}, TreeItemKind::Polygon, 1);
    const std::string allText = ReadFile(all);
    QCOMPARE(std::count(allText.begin(), allText.end(), '\n'), 6);
    const gui::FileDialogOptions& o = prompt.FileDialogs()[0];
    QVERIFY(!prompt.LastDialogWasOpen());
    QVERIFY(o.overwritePrompt);
    QCOMPARE(o.defaultExt, QString("csv"));
    QVERIFY(o.initialName.isEmpty());

    // File > Export with object 1 selected and the box left ticked.
    ExportCsv({doc, prompt, ChooseType(0)}, TreeItemKind::Object, 1);
    const std::string selText = ReadFile(sel);
    QCOMPARE(selText.substr(0, 6), std::string("1,0,3,"));
    QCOMPARE(std::count(selText.begin(), selText.end(), '\n'), 2);

    // The object context menu: the check box has no say.
    ExportObjectCsv({doc, prompt, ChooseType(1)}, 1);
    QCOMPARE(ReadFile(obj),
             std::string("3,3.000000,0.000000,0.000000\r\n4,4.000000,0.000000,0.000000\r\n"
                         "5,5.000000,0.000000,0.000000\r\n"));

    // The polygon context menu: that one polygon.
    ExportPolygonCsv({doc, prompt, ChooseType(1)}, 1, 1);
    QCOMPARE(ReadFile(poly), std::string("4,4.000000,0.000000,0.000000\r\n5,5.000000,0.000000,0.000000\r\n"));
    QVERIFY(prompt.ScriptUsedUp());
    QVERIFY(prompt.All().empty());
}

void DialogTest::cancelledAndFailedCommands()
{
    QTemporaryDir dir;
    scene::CQM4EditDoc doc;
    QVERIFY(InspectorScene(0).LoadInto(doc));
    ScriptedGuiPrompt prompt;

    // Cancel in the type dialog: no file dialog follows (the prompt would throw).
    QCOMPARE(ImportCsv({doc, prompt, ChooseType(0, std::nullopt, true)}, TreeItemKind::None, -1), QString());
    QCOMPARE(ExportCsv({doc, prompt, ChooseType(0, std::nullopt, true)}, TreeItemKind::None, -1), QString());
    QVERIFY(prompt.FileDialogs().empty());

    // Cancel in the file dialog.
    prompt.QueueFileName(std::nullopt);
    QCOMPARE(ExportCsv({doc, prompt, ChooseType(0)}, TreeItemKind::None, -1), QString());
    prompt.QueueFileName(std::nullopt);
    QCOMPARE(ImportCsv({doc, prompt, ChooseType(0)}, TreeItemKind::None, -1), QString());
    QVERIFY(prompt.All().empty());
    QVERIFY(!doc.IsModified());

    // A file that cannot be written or read: a message with the stop icon, nothing changes.
    prompt.QueueFileName(dir.filePath("missing/folder/out.csv"));
    QCOMPARE(ExportCsv({doc, prompt, ChooseType(0)}, TreeItemKind::None, -1), QString());
    prompt.QueueFileName(dir.filePath("absent.csv"));
    QCOMPARE(ImportCsv({doc, prompt, ChooseType(0)}, TreeItemKind::None, -1), QString());
    QCOMPARE(prompt.All().size(), std::size_t(2));
    QVERIFY(QString::fromStdString(prompt.All()[0].text).contains("out.csv"));
    QCOMPARE(prompt.All()[0].icon, common::MessageIcon::Stop);
    QVERIFY(QString::fromStdString(prompt.All()[1].text).contains("absent.csv"));
    QVERIFY(!doc.IsModified());
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

QTEST_MAIN(DialogTest)
#include "DialogTest.moc"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/GuiPrompt.h"
#include "gui/Settings.h"

class GuiSharedTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        // On Windows the settings are the registry's, which no folder stands in for: start
        // from what a first run finds.
        for (const char* app : {"ProfileTest", "RecentTest"})
            QSettings(gui::kCompanyKey, app).clear();
    }

    void classicFiltersBecomeQtFilters()
    {
        QCOMPARE(gui::ToQtFilter("Morvel QM4 Files (*.qm4)|*.qm4|All Files (*.*)|*.*||"),
                 QString("Morvel QM4 Files (*.qm4);;All Files (*.*)"));
        // A label that does not show its pattern still gets one Qt can read.
        QCOMPARE(gui::ToQtFilter("Targa|*.tga||"), QString("Targa (*.tga)"));
        QCOMPARE(gui::ToQtFilter("Images (*.tga;*.tex)|*.tga;*.tex||"), QString("Images (*.tga *.tex)"));
    }

    void saveNamesGetTheDefaultExtensionOnlyWhenTheyHaveNone()
    {
        const struct {
            const char* typed;
            const char* saved;
        } cases[] = {{"/d/x", "/d/x.qm4"},
                     {"/d/x.txt", "/d/x.txt"},
                     {"/d/x.", "/d/x"},
                     {"/d/x..", "/d/x"},
                     {"/d.v2/x", "/d.v2/x.qm4"},
                     {"C:\\d.v2\\x", "C:\\d.v2\\x.qm4"},
                     {"/d/archive.tar.gz", "/d/archive.tar.gz"},
                     {"/d/...", "/d/..."}};
        for (const auto& c : cases)
            QCOMPARE(gui::ApplyDefaultExtension(c.typed, "qm4"), QString(c.saved));
        QCOMPARE(gui::ApplyDefaultExtension("/d/x", ""), QString("/d/x"));

        // Whatever name the extension rule gives, replacing an existing file is asked first.
        QTemporaryDir dir;
        QFile existing(dir.filePath("x..tex"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        QFile plain(dir.filePath("y.tex"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        gui::FileDialogOptions o;
        o.defaultExt = "tex";
        o.overwritePrompt = true;
        QStringList asked;
        auto no = [&](const QString& p) {
            asked << p;
            return false;
        };
        QCOMPARE(gui::ConfirmSaveName(dir.filePath("x."), o, no), std::optional<QString>(dir.filePath("x")));
        QVERIFY(asked.isEmpty());
        QCOMPARE(gui::ConfirmSaveName(dir.filePath("y"), o, no), std::nullopt);
        QCOMPARE(asked, QStringList({dir.filePath("y.tex")}));
        QCOMPARE(gui::ConfirmSaveName(dir.filePath("y"), o, [](const QString&) { return true; }),
                 std::optional<QString>(dir.filePath("y.tex")));
    }

    void allFilesShowsNamesWithoutAnExtensionUnderTheSameLabels()
    {
        const QStringList filters = gui::ToQtNameFilters("Morvel QM4 Files (*.qm4)|*.qm4|All Files (*.*)|*.*||");
        QCOMPARE(filters, QStringList({"Morvel QM4 Files (*.qm4) (*.qm4)", "All Files (*.*) (*)"}));
        QFileDialog dlg;
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        dlg.setOption(QFileDialog::HideNameFilterDetails);
        dlg.setNameFilters(filters);
        auto* combo = dlg.findChild<QComboBox*>("fileTypeCombo");
        QVERIFY(combo);
        QCOMPARE(combo->itemText(0), QString("Morvel QM4 Files (*.qm4)"));
        QCOMPARE(combo->itemText(1), QString("All Files (*.*)"));
    }

    void recentFilesKeepFourNewestFirstAndSurviveReload()
    {
        // The list keeps paths as the system writes them.
        const auto n = [](const char* path) { return QDir::toNativeSeparators(QString(path)); };
        gui::RecentFileList list("RecentTest");
        list.Load();
        for (const char* f : {"/a.qm4", "/b.qm4", "/c.qm4", "/d.qm4", "/e.qm4"})
            list.Add(f);
        list.Add("/c.qm4");
        QCOMPARE(list.Files(), QStringList({n("/c.qm4"), n("/e.qm4"), n("/d.qm4"), n("/b.qm4")}));

        gui::RecentFileList again("RecentTest");
        again.Load();
        QCOMPARE(again.Files(), list.Files());
        QCOMPARE(again.MenuText(0), "&1 " + n("/c.qm4"));

        QSettings s(gui::kCompanyKey, "RecentTest");
        QCOMPARE(s.value("Recent File List/File1").toString(), n("/c.qm4"));
        QCOMPARE(s.value("Recent File List/File4").toString(), n("/b.qm4"));
        QVERIFY(!s.contains("Recent File List/File5"));
#ifdef Q_OS_WIN
        // Where the system keeps it: the current user's registry, below the company's key.
        QSettings reg("HKEY_CURRENT_USER\\Software\\Fennwick Software\\RecentTest\\Recent File List",
                      QSettings::NativeFormat);
        QCOMPARE(reg.value("File1").toString(), n("/c.qm4"));
#endif

        again.Remove("/e.qm4");
        QSettings s2(gui::kCompanyKey, "RecentTest");
        QCOMPARE(s2.value("Recent File List/File2").toString(), n("/d.qm4"));
        QVERIFY(!s2.contains("Recent File List/File4"));
    }

    void profileIntsFallBackToTheirDefault()
    {
        QCOMPARE(gui::ReadProfileInt("ProfileTest", "BkColor", 16777215), 16777215);
        gui::WriteProfileInt("ProfileTest", "BkColor", 255);
        QCOMPARE(gui::ReadProfileInt("ProfileTest", "BkColor", 16777215), 255);
        QSettings(gui::kCompanyKey, "ProfileTest").setValue("Settings/Broken", "not a number");
        QCOMPARE(gui::ReadProfileInt("ProfileTest", "Broken", 7), 7);
    }

private:
    QTemporaryDir m_settingsDir;
};

QTEST_MAIN(GuiSharedTest)
#include "GuiSharedTest.moc"

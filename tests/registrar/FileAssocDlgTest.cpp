#include <QApplication>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFile>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "ScriptedGuiPrompt.h"
#include "editor/app/QM4EditAssoc.h"
#include "gui/FileAssocDlg.h"
#include "pixloom/PixloomAssoc.h"

using gui::CFileAssocDlg;

namespace {

// The dialog is told its program's values; the tests name the program.
enum class AssocProgram { QM4Edit, Pixloom };

const registrar::AssocValues& Values(AssocProgram program)
{
    return program == AssocProgram::Pixloom ? pixloom::PixloomAssocValues() : qm4edit::QM4EditAssocValues();
}

} // namespace

class FileAssocDlgTest : public QObject {
    Q_OBJECT

private:
    static QTemporaryDir* s_dir;
    static QString Data() { return s_dir->filePath("data"); }
    static QString Config() { return s_dir->filePath("config"); }

    // Windows keeps the association in the registry, every other system in files below the
    // test's folders.
    static QStringList RegistryKeys(AssocProgram program)
    {
        const registrar::AssocValues& v = Values(program);
        return {QString::fromStdString(v.ext), QString::fromStdString(v.progId),
                "Applications\\" + QString::fromStdString(v.appKeyName)};
    }
    static QString RegistryValue(const QString& key, const QString& name)
    {
        return QSettings("HKEY_CLASSES_ROOT\\" + key, QSettings::NativeFormat).value(name).toString();
    }

    static bool IsRegistered(AssocProgram program)
    {
#ifdef Q_OS_WIN
        return RegistryValue(RegistryKeys(program)[0], "Default") == QString::fromStdString(Values(program).progId);
#else
        return QFile::exists(QDir(Data()).filePath("applications/" + DesktopEntry(program)));
#endif
    }

    QMap<QString, QByteArray> Snapshot() const
    {
        QMap<QString, QByteArray> files;
#ifdef Q_OS_WIN
        for (AssocProgram program : {AssocProgram::QM4Edit, AssocProgram::Pixloom}) {
            for (const QString& key : RegistryKeys(program)) {
                QSettings reg("HKEY_CLASSES_ROOT\\" + key, QSettings::NativeFormat);
                for (const QString& name : reg.allKeys())
                    files.insert(key + "/" + name, reg.value(name).toByteArray());
            }
        }
#endif
        QDirIterator it(s_dir->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            files.insert(path, f.readAll());
        }
        return files;
    }

    static QString DesktopEntry(AssocProgram program)
    {
        return QString::fromStdString(Values(program).desktopId);
    }

    static void Press(CFileAssocDlg& dlg, QDialogButtonBox::StandardButton which)
    {
        QTest::mouseClick(dlg.Buttons()->button(which), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        QPixmap icon(64, 64);
        icon.fill(Qt::red);
        QApplication::setWindowIcon(QIcon(icon));
    }

    // Fresh folders for every test; nothing ever reaches the real user's files.
    void init()
    {
        s_dir = new QTemporaryDir;
        QVERIFY(s_dir->isValid());
        qputenv("HOME", s_dir->path().toUtf8());
        qputenv("XDG_DATA_HOME", Data().toUtf8());
        qputenv("XDG_CONFIG_HOME", Config().toUtf8());
    }
    void cleanup()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    void captionsComeFromTheProgramAndSetResetIsChosen_data()
    {
        QTest::addColumn<AssocProgram>("program");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("setCaption");
        QTest::addColumn<QString>("removeCaption");
        QTest::newRow("QM4Edit") << AssocProgram::QM4Edit << "QM4 File Associations"
                                 << "Set/Reset QM4 File Associations"
                                 << "Remove QM4 File Associations";
        QTest::newRow("Pixloom") << AssocProgram::Pixloom << "TEX File Associations"
                                 << "Set/Reset TEX File Associations"
                                 << "Remove TEX File Associations";
    }
    void captionsComeFromTheProgramAndSetResetIsChosen()
    {
        QFETCH(AssocProgram, program);
        ScriptedGuiPrompt prompt;
        CFileAssocDlg dlg(Values(program), prompt);
        QFETCH(QString, title);
        QFETCH(QString, setCaption);
        QFETCH(QString, removeCaption);
        QCOMPARE(dlg.windowTitle(), title);
        QCOMPARE(dlg.SetResetButton()->text(), setCaption);
        QCOMPARE(dlg.RemoveButton()->text(), removeCaption);
        QVERIFY(dlg.SetResetButton()->isChecked());
        QVERIFY(!dlg.RemoveButton()->isChecked());
        QCOMPARE(dlg.m_nAction, 0);
    }

    void cancelTouchesNothingWhicheverChoice()
    {
        for (AssocProgram program : {AssocProgram::QM4Edit, AssocProgram::Pixloom}) {
            for (bool installed : {false, true}) {
                if (installed) {
                    ScriptedGuiPrompt setup;
                    CFileAssocDlg dlg(Values(program), setup);
                    dlg.show();
                    Press(dlg, QDialogButtonBox::Ok);
                    QVERIFY(IsRegistered(program));
                }
                for (bool remove : {false, true}) {
                    const auto before = Snapshot();
                    ScriptedGuiPrompt prompt;
                    CFileAssocDlg dlg(Values(program), prompt);
                    dlg.show();
                    (remove ? dlg.RemoveButton() : dlg.SetResetButton())->click();
                    Press(dlg, QDialogButtonBox::Cancel);
                    QCOMPARE(dlg.result(), int(QDialog::Rejected));
                    QVERIFY(!dlg.isVisible());
                    QCOMPARE(Snapshot(), before);
                    QVERIFY(prompt.All().empty());
                }
            }
        }
    }

    void okSetsAndRemovesTheAssociation()
    {
        ScriptedGuiPrompt prompt;
#ifdef Q_OS_WIN
        const QString path = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
        for (AssocProgram program : {AssocProgram::QM4Edit, AssocProgram::Pixloom}) {
            const registrar::AssocValues& v = Values(program);
            const QString progId = QString::fromStdString(v.progId);
            {
                CFileAssocDlg dlg(v, prompt);
                dlg.show();
                Press(dlg, QDialogButtonBox::Ok);
            }
            QCOMPARE(RegistryValue(QString::fromStdString(v.ext), "Default"), progId);
            QCOMPARE(RegistryValue(progId, "Default"), QString::fromStdString(v.description));
            QCOMPARE(RegistryValue(progId + "\\DefaultIcon", "Default"), path + ",0");
            QCOMPARE(RegistryValue(progId + "\\shell\\open\\command", "Default"), "\"" + path + "\" \"%1\"");
            QVERIFY(QSettings("HKEY_CLASSES_ROOT\\" + RegistryKeys(program)[2], QSettings::NativeFormat)
                        .contains("NoOpenWith"));
            {
                CFileAssocDlg dlg(v, prompt);
                dlg.show();
                dlg.RemoveButton()->click();
                Press(dlg, QDialogButtonBox::Ok);
            }
            for (const QString& key : RegistryKeys(program))
                QVERIFY2(QSettings("HKEY_CLASSES_ROOT\\" + key, QSettings::NativeFormat).allKeys().isEmpty() &&
                             QSettings("HKEY_CLASSES_ROOT\\" + key, QSettings::NativeFormat).childGroups().isEmpty(),
                         qPrintable(key));
        }
        QVERIFY(prompt.All().empty());
        return;
#endif
        const QString entry = Data() + "/applications/" + DesktopEntry(AssocProgram::QM4Edit);
        {
            CFileAssocDlg dlg(Values(AssocProgram::QM4Edit), prompt);
            dlg.show();
            Press(dlg, QDialogButtonBox::Ok);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(dlg.m_nAction, 0);
        }
        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains("Exec=" + QCoreApplication::applicationFilePath() + " %f\n"), qPrintable(text));
        QVERIFY(text.contains("Icon=fennwick-qm4edit\n"));
        QFile icon(Data() + "/icons/hicolor/48x48/apps/fennwick-qm4edit.png");
        QVERIFY(icon.open(QIODevice::ReadOnly));
        QVERIFY(icon.readAll().startsWith("\x89PNG"));
        QVERIFY(prompt.All().empty());

        {
            CFileAssocDlg dlg(Values(AssocProgram::QM4Edit), prompt);
            dlg.show();
            dlg.RemoveButton()->click();
            Press(dlg, QDialogButtonBox::Ok);
            QCOMPARE(dlg.m_nAction, 1);
        }
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!QFile::exists(icon.fileName()));
        QVERIFY(prompt.All().empty());
    }

    void aFailureIsToldAndTheDialogStillCloses()
    {
#ifdef Q_OS_WIN
        QSKIP("a registry that refuses a key is made only in memory: registrar_tests (Failures.*) covers it");
#endif
        QFile inTheWay(Data());
        QVERIFY(inTheWay.open(QIODevice::WriteOnly));
        inTheWay.close();

        ScriptedGuiPrompt prompt;
        CFileAssocDlg dlg(Values(AssocProgram::Pixloom), prompt);
        dlg.show();
        Press(dlg, QDialogButtonBox::Ok);

        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(prompt.All().size(), std::size_t(1));
        QVERIFY(QString::fromStdString(prompt.All()[0].text).startsWith("The file associations could not be changed."));
        QCOMPARE(prompt.All()[0].icon, common::MessageIcon::Stop);
        QVERIFY(!prompt.All()[0].question);
    }

    void theMenuEntryPointRunsTheDialogModally()
    {
        ScriptedGuiPrompt prompt;
        QString seenTitle;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CFileAssocDlg*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            seenTitle = dlg->windowTitle();
            dlg->RemoveButton()->click();
            dlg->reject();
        });
        gui::RunFileAssocDialog(nullptr, Values(AssocProgram::QM4Edit), prompt);
        QCOMPARE(seenTitle, QString("QM4 File Associations"));
        QVERIFY(Snapshot().isEmpty());
    }
};

QTemporaryDir* FileAssocDlgTest::s_dir = nullptr;

QTEST_MAIN(FileAssocDlgTest)
#include "FileAssocDlgTest.moc"

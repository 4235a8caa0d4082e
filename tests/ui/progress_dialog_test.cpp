// The progress dialog: caption by mode, range, "Sections Completed:", colours
// and a cancel request that sets the abort flag while the dialog stays.

#include "ui/progress_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "ui/application.h"

using namespace lorvane;

class ProgressDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    }

    void showsCaptionRangeAndSections() {
        Application app(startup.path().toStdString());
        QVERIFY(app.Start());
        ProgressDialog& dialog = app.progressDialog();
        app.shell().OpenProgressDialog(ProgressMode::BuildTerrainMatrix);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.windowTitle(), QString("Building Terrain Matrix"));
        QCOMPARE(dialog.bar()->minimum(), 0);
        QCOMPARE(dialog.bar()->maximum(), 64 * 64);
        QCOMPARE(dialog.bar()->value(), 0);
        QVERIFY(dialog.bar()->styleSheet().contains("rgb(255, 255, 0)"));
        QVERIFY(dialog.bar()->styleSheet().contains("rgb(0, 96, 96)"));

        app.shell().ReportProgress(12, 768);
        QCOMPARE(dialog.label()->text(), QString("Sections Completed:"));
        QCOMPARE(dialog.count()->text(), QString("12"));
        QCOMPARE(dialog.bar()->value(), 768);

        app.shell().CloseProgressDialog();
        QVERIFY(!dialog.isVisible());
        app.shell().OpenProgressDialog(ProgressMode::BuildTheaterOutput);
        QCOMPARE(dialog.windowTitle(), QString("Building <theater>.thr File"));
        QCOMPARE(dialog.count()->text(), QString("0"));
        app.shell().CloseProgressDialog();
    }

    void cancelSetsTheAbortFlagAndTheDialogStays() {
        Application app(startup.path().toStdString());
        QVERIFY(app.Start());
        ProgressDialog& dialog = app.progressDialog();
        for (auto cancel : {+[](ProgressDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
                            +[](ProgressDialog& d) { d.close(); },
                            +[](ProgressDialog& d) { d.cancelButton()->click(); }}) {
            app.shell().OpenProgressDialog(ProgressMode::SaveTerrainMatrix);
            QVERIFY(!app.shell().progress()->AbortRequested());
            cancel(dialog);
            QVERIFY(dialog.isVisible());
            QVERIFY(app.state().shell.abortRequested);
            QVERIFY(app.shell().progress()->AbortRequested());
            // Reports after the cancel are not shown.
            app.shell().ReportProgress(5, 5);
            QCOMPARE(dialog.count()->text(), QString("0"));
            app.shell().CloseProgressDialog();
            QVERIFY(!dialog.isVisible());
        }
    }

  private:
    QTemporaryDir settingsFolder;
    QTemporaryDir startup;
};

QTEST_MAIN(ProgressDialogTest)
#include "progress_dialog_test.moc"

// The main window coming back to the foreground looks at the open
// Texture.bin: changed by another program, it offers to reload it, once per
// change; Reload reads the other program's database.

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "support/texture_builder.h"
#include "tiledb/texture_bin.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/modal_answers.h"

using namespace lorvane;
using namespace lorvane::testing;

class ChangedFileTest : public QObject {
    Q_OBJECT

  private slots:
    void comingBackOffersToReload() {
        QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        QTemporaryDir folder;
        const std::filesystem::path file = folder.path().toStdString() + "/Texture.bin";
        WriteFileBytes(file,
                       SerializeTextureBin(MakeDatabase({TileSet{4, {MakeTile("H000.PCX")}}})));

        ModalAnswers answers;
        Application app(folder.path().toStdString());
        QVERIFY(app.Start());
        MainWindow& window = app.window();
        app.OpenFiles({file.string()});
        QTRY_VERIFY_WITH_TIMEOUT(app.state().session.loaded(), 60000);
        // The window in front again (after a question it may not be).
        const auto comeBack = [&] {
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            QEvent activation(QEvent::ActivationChange);
            QApplication::sendEvent(&window, &activation);
        };
        comeBack();
        QTest::qWait(100);
        QVERIFY(answers.boxes().empty());  // loaded without a box, nothing asked

        // Another program writes a database of two sets.
        WriteFileBytes(
            file, SerializeTextureBin(MakeDatabase(
                      {TileSet{4, {MakeTile("H000.PCX")}}, TileSet{9, {MakeTile("H010.PCX")}}})));
        QString asked;
        answers.Expect({PressButton("Cancel", &asked)});
        comeBack();
        QTRY_VERIFY_WITH_TIMEOUT(answers.done(), 60000);
        QCOMPARE(asked, QString("Texture.bin was changed by another program since it was "
                                "opened.\n\nReload it?"));
        QCOMPARE(app.state().session.database().setCount(), 1);

        // Asked once per change: coming back again asks nothing.
        const size_t boxes = answers.boxes().size();
        comeBack();
        QTest::qWait(100);
        QCOMPARE(answers.boxes().size(), boxes);

        // Another change; Reload.
        WriteFileBytes(file,
                       SerializeTextureBin(MakeDatabase({TileSet{4, {MakeTile("H000.PCX")}},
                                                         TileSet{9, {MakeTile("H010.PCX")}},
                                                         TileSet{1, {MakeTile("H020.PCX")}}})));
        answers.Expect({PressButton("Reload", &asked)});
        comeBack();
        QTRY_VERIFY_WITH_TIMEOUT(answers.done(), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(app.state().session.database().setCount(), 3, 60000);
    }
};

QTEST_MAIN(ChangedFileTest)
#include "changed_file_test.moc"

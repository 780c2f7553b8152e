// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/SqliteFile.h"

#include "data/UserDataSourceFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;

// Each case runs in a process of its own (see CMakeLists.txt): the driver
// manager keeps the data source settings it read for the life of a process.
class ConnectionTest : public QObject
{
    Q_OBJECT

private:
    // Loads the window on the given odbc.ini and checks that the start-up
    // showed exactly the connection message and nothing else.
    void expectConnectionMessage(const QString &odbcIni)
    {
        useOdbcIni(odbcIni);
        BoxCatcher boxes;
        Form1 form;
        form.Form_Load();

        QVERIFY(form.isUnloaded());
        QCOMPARE(boxes.boxes().size(), 1);
        const ShownBox &box = boxes.boxes().first();
        QCOMPARE(box.text, QStringLiteral("Cannot find ODBC source.\r\n"
                                          "Please make sure you have an ODBC Datasource named "
                                          "'ds_hier'"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QCOMPARE(FormProbe(form).tree->rowCount(), 0);
    }

private slots:
    void noDataSource()
    {
        expectConnectionMessage(
            sqliteDataSource(workDir() + "/ds.db").replace("[ds_hier]", "[ds_other]"));
    }

    void missingDriver()
    {
        expectConnectionMessage(
            QStringLiteral("[ds_hier]\nDriver=%1/no-such-driver.so\nDatabase=x\n").arg(workDir()));
    }

    void missingDatabaseFile()
    {
        expectConnectionMessage(sqliteDataSource(workDir() + "/absent.db"));
        QVERIFY2(!QFile::exists(workDir() + "/absent.db"), "the driver created the file");
    }

    void wrongPassword()
    {
        REQUIRE_POSTGRES();
        QCOMPARE(postgres::run("postgres", "ALTER ROLE \"user\" PASSWORD 'something-else'"), 0);
        auto restore = qScopeGuard(
            [] { postgres::run("postgres", "ALTER ROLE \"user\" PASSWORD 'tamarisk'"); });
        expectConnectionMessage(postgresDataSource());
    }

    // Where the user's own odbc.ini is missing, the driver manager gets a
    // file that opening cannot create; where it exists, it stays in use.
    void userDataSourceFileIsNeverCreated_data()
    {
        QTest::addColumn<QByteArray>("odbcIni");
        QTest::addColumn<bool>("homeHasFile");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("ODBCINI names a file") << QByteArray("@/mine.ini") << false << QByteArray();
        QTest::newRow("ODBCINI names no file")
            << QByteArray("@/absent.ini") << true << QByteArray("/dev/null");
        QTest::newRow("ODBCINI names a dangling link")
            << QByteArray("@/dangling.ini") << true << QByteArray("/dev/null");
        QTest::newRow("ODBCINI names /dev/null")
            << QByteArray("/dev/null") << false << QByteArray();
        QTest::newRow("home has .odbc.ini") << QByteArray() << true << QByteArray();
        QTest::newRow("home lacks .odbc.ini") << QByteArray() << false << QByteArray("/dev/null");
        QTest::newRow("empty ODBCINI is unset") << QByteArray("") << true << QByteArray();
    }

    void userDataSourceFileIsNeverCreated()
    {
        QFETCH(QByteArray, odbcIni);
        QFETCH(bool, homeHasFile);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path());
        QVERIFY(QFile(dir.filePath("mine.ini")).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(dir.filePath("gone.ini"), dir.filePath("dangling.ini")));
        const QByteArray home = root + "/home";
        QVERIFY(QDir().mkpath(QFile::decodeName(home)));
        if (homeHasFile)
            QVERIFY(QFile(QFile::decodeName(home + "/.odbc.ini")).open(QIODevice::WriteOnly));
        odbcIni.replace('@', root);

        QCOMPARE(kestrelon::odbcIniThatCreatesNothing(odbcIni, home), expected);
        QCOMPARE(kestrelon::userDataSourceFile(odbcIni, home),
                 odbcIni.isEmpty() ? home + "/.odbc.ini" : odbcIni);
    }
};

QTEST_MAIN(ConnectionTest)
#include "tst_connection.moc"

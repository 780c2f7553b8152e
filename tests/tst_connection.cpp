// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BoxCatcher.h"
#include "support/DataSources.h"
#include "support/FormProbe.h"
#include "support/SqliteFile.h"

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
};

QTEST_MAIN(ConnectionTest)
#include "tst_connection.moc"

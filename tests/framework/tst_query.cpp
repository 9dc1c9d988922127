#include "QUV.Dataset.h"
#include "QUV.UniDACHelpers.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

class TestQuery : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void bindingTable_data();
    void bindingTable();
    void parameterParsing_data();
    void parameterParsing();
    void positionalValues_data();
    void positionalValues();
    void namedLayout();
    void unknownNamedParameter();

    void eachRowVisitsEveryRow_data();
    void eachRowVisitsEveryRow();
    void onceCallbackSeesEof_data();
    void onceCallbackSeesEof();
    void nilCallbackStillChecksStatement();
    void callbackExceptionStopsAndFreesQuery_data();
    void callbackExceptionStopsAndFreesQuery();
    void exists_data();
    void exists();
    void fieldsReadWithoutCase();
    void forEachRecordReturnsToPosition();
    void unidirectionalMovesForwardOnly();
    void calculatedFieldsAndDisplayTexts();
    void keyedRowsHoldNoLock();

private:
    // True when another connection can take the write lock at once, i.e.
    // no statement of ours is left open on the file.
    bool FileIsFree();

    QTemporaryDir FDir;
    QString FFile;
    TQUVFDConnectionHelper FConnection;
    int FCounter = 0;
};

void TestQuery::init()
{
    QVERIFY(FDir.isValid());
    FFile = FDir.filePath(QStringLiteral("q%1.sqlite").arg(++FCounter));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("query"));
    db.setDatabaseName(FFile);
    QVERIFY(db.open());
    FConnection = db;
    QSqlQuery q(db);
    QVERIFY(q.exec("create table books (id varchar(30) primary key, title varchar(250), copies int)"));
    QVERIFY(q.exec("insert into books values ('B1', 'Alfa', 1), ('B2', 'Beta', 2), ('B3', 'Gamma', 3)"));
}

void TestQuery::cleanup()
{
    FConnection = TQUVFDConnectionHelper();
    QSqlDatabase::database(QStringLiteral("query"), false).close();
    QSqlDatabase::removeDatabase(QStringLiteral("query"));
}

bool TestQuery::FileIsFree()
{
    bool free = false;
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(FFile);
        other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        if (other.open()) {
            QSqlQuery q(other);
            free = q.exec("begin exclusive") && q.exec("commit");
        }
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    return free;
}

void TestQuery::bindingTable_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("named");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("quoted");

    QTest::newRow("invalid") << QVariant() << false << "null" << "NULL";
    QTest::newRow("null") << QVariant::fromValue(nullptr) << false << "null" << "NULL";
    QTest::newRow("typed null int") << QVariant(QMetaType::fromType<int>()) << false << "null" << "NULL";
    QTest::newRow("int 5") << QVariant(5) << false << "integer" << "5";
    QTest::newRow("short") << QVariant::fromValue<qint16>(-7) << false << "integer" << "-7";
    QTest::newRow("ushort") << QVariant::fromValue<quint16>(65535) << false << "integer" << "65535";
    QTest::newRow("uint") << QVariant::fromValue<quint32>(4000000000u) << false << "integer" << "4000000000";
    QTest::newRow("int64") << QVariant::fromValue<qint64>(1234567890123LL) << false << "integer" << "1234567890123";
    QTest::newRow("uint64") << QVariant::fromValue<quint64>(42) << false << "integer" << "42";
    QTest::newRow("8-bit signed 5") << QVariant::fromValue<qint8>(5) << false << "text" << "'5'";
    QTest::newRow("8-bit unsigned 200") << QVariant::fromValue<quint8>(200) << false << "text" << "'200'";
    QTest::newRow("float") << QVariant(1.5f) << false << "real" << "1.5";
    QTest::newRow("double") << QVariant(2.25) << false << "real" << "2.25";
    QTest::newRow("date-time") << QVariant(QDateTime(QDate(2024, 3, 5), QTime(6, 7, 8, 900))) << false << "text"
                               << "'2024-03-05 06:07:08'";
    QTest::newRow("date") << QVariant(QDate(2024, 3, 5)) << false << "text" << "'2024-03-05'";
    QTest::newRow("bool") << QVariant(true) << false << "integer" << "1";
    QTest::newRow("text") << QVariant(QStringLiteral("Röda rummet")) << false << "text" << "'Röda rummet'";
    QTest::newRow("empty text") << QVariant(QString()) << false << "null" << "NULL";
    QTest::newRow("blank text") << QVariant(QStringLiteral(" \t ")) << false << "null" << "NULL";
    QTest::newRow("bytes as text") << QVariant(QByteArray("xyz")) << false << "text" << "'xyz'";
    QTest::newRow("time as text") << QVariant(QTime(1, 2, 3)) << false << "text" << "'01:02:03'";
    QTest::newRow("named int") << QVariant(5) << true << "integer" << "5";
    QTest::newRow("named null") << QVariant() << true << "null" << "NULL";
    QTest::newRow("named 8-bit") << QVariant::fromValue<qint8>(5) << true << "text" << "'5'";
    // The named layout assigns the pair's value over the table's NULL.
    QTest::newRow("named empty text") << QVariant(QString()) << true << "text" << "''";
    QTest::newRow("named blank text") << QVariant(QStringLiteral("  ")) << true << "text" << "'  '";
}

void TestQuery::bindingTable()
{
    QFETCH(QVariant, value);
    QFETCH(bool, named);
    QFETCH(QString, type);
    QFETCH(QString, quoted);

    const TSarvoArrayOfVariants params =
        named ? TSarvoArrayOfVariants{QStringLiteral("V"), value} : TSarvoArrayOfVariants{value};
    QString gotType, gotQuoted;
    int calls = 0;
    FConnection.OpenQuery(
        QStringLiteral("select typeof(:v) as t, quote(:v) as q"), params,
        [&](TQUVDataset &ds) {
            ++calls;
            gotType = ds.FieldByName("t").AsString();
            gotQuoted = ds.FieldByName("q").AsString();
        },
        named ? TQueryOptions(qoNamedParams) : TQueryOptions());
    QCOMPARE(calls, 1);
    QCOMPARE(gotType, type);
    QCOMPARE(gotQuoted, quoted);
}

void TestQuery::parameterParsing_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("engineSQL");

    QTest::newRow("named") << "select * from books where id = :id" << QStringList{"id"}
                           << "select * from books where id = ?";
    QTest::newRow("repeated name is one parameter")
        << "select :a, :B, :A" << QStringList{"a", "B"} << "select ?, ?, ?";
    QTest::newRow("question marks") << "select ?, ?" << QStringList{"", ""} << "select ?, ?";
    QTest::newRow("colon in literal") << "select strftime( '%Y-%m-%d %H:%M', :d )" << QStringList{"d"}
                                      << "select strftime( '%Y-%m-%d %H:%M', ? )";
    QTest::newRow("quote doubled in literal") << "select 'it''s :no', :yes" << QStringList{"yes"}
                                              << "select 'it''s :no', ?";
    QTest::newRow("quoted identifiers") << "select \"a:b\", [c:d], `e?` from t where x = :x"
                                        << QStringList{"x"} << "select \"a:b\", [c:d], `e?` from t where x = ?";
    QTest::newRow("comments") << "select 1 -- :no ?\n, :yes /* :no ? */" << QStringList{"yes"}
                              << "select 1 -- :no ?\n, ? /* :no ? */";
    QTest::newRow("no parameters") << "select 1" << QStringList{} << "select 1";
}

void TestQuery::parameterParsing()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, names);
    QFETCH(QString, engineSQL);

    const TQUVParsedSQL parsed = ParseSQLParams(sql);
    QCOMPARE(parsed.Names, names);
    QCOMPARE(parsed.SQL, engineSQL);

    TQUVDataset ds(FConnection);
    ds.SetSQL(sql);
    QCOMPARE(ds.Params().Count(), names.size());
}

void TestQuery::positionalValues_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<TSarvoArrayOfVariants>("params");
    QTest::addColumn<QString>("expected");

    QTest::newRow("values by first appearance")
        << "select quote(:a) || ',' || quote(:b) || ',' || quote(:a) as r" << TSarvoArrayOfVariants{1, 2} << "1,2,1";
    QTest::newRow("missing values stay NULL")
        << "select quote(:a) || ',' || quote(:b) as r" << TSarvoArrayOfVariants{7} << "7,NULL";
    QTest::newRow("nil array") << "select quote(:a) as r" << TSarvoArrayOfVariants{} << "NULL";
    QTest::newRow("surplus values ignored")
        << "select quote(?) || ',' || quote(?) as r" << TSarvoArrayOfVariants{1, 2, 3} << "1,2";
}

void TestQuery::positionalValues()
{
    QFETCH(QString, sql);
    QFETCH(TSarvoArrayOfVariants, params);
    QFETCH(QString, expected);

    QString result;
    FConnection.OpenQuery(sql, params, [&](TQUVDataset &ds) { result = ds.FieldByName("r").AsString(); });
    QCOMPARE(result, expected);
}

void TestQuery::namedLayout()
{
    QString result;
    // Names are found without case; the unpaired trailing name is ignored.
    FConnection.OpenQuery(
        QStringLiteral("select quote(:first) || ',' || quote(:second) as r"),
        {QStringLiteral("SECOND"), 2, QStringLiteral("first"), QStringLiteral("x"), QStringLiteral("second")},
        [&](TQUVDataset &ds) { result = ds.FieldByName("r").AsString(); }, qoNamedParams | qoEachRow);
    QCOMPARE(result, QStringLiteral("'x',2"));
}

void TestQuery::unknownNamedParameter()
{
    bool called = false;
    try {
        FConnection.OpenQuery(QStringLiteral("select * from books where id = :id"),
                              {QStringLiteral("id"), QStringLiteral("B1"), QStringLiteral("nope"), 1},
                              [&](TQUVDataset &) { called = true; }, qoNamedParams);
        QFAIL("no exception");
    } catch (const Exception &e) {
        QCOMPARE(e.Message(), QStringLiteral("Parameter 'nope' not found"));
    }
    QVERIFY(!called);
    QVERIFY(FileIsFree());
}

void TestQuery::eachRowVisitsEveryRow_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<TSarvoArrayOfVariants>("params");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("no rows") << "select * from books where id = :id" << TSarvoArrayOfVariants{"X"} << QStringList{};
    QTest::newRow("one row") << "select * from books where id = :id" << TSarvoArrayOfVariants{"B2"}
                             << QStringList{"Beta"};
    QTest::newRow("three rows") << "select * from books order by id" << TSarvoArrayOfVariants{}
                                << QStringList{"Alfa", "Beta", "Gamma"};
}

void TestQuery::eachRowVisitsEveryRow()
{
    QFETCH(QString, sql);
    QFETCH(TSarvoArrayOfVariants, params);
    QFETCH(QStringList, titles);

    QStringList seen;
    QList<int> positions;
    FConnection.OpenQuery(
        sql, params,
        [&](TQUVDataset &ds) {
            QVERIFY(!ds.Eof());
            seen << ds.FieldByName("title").AsString();
            positions << ds.RecNo();
        },
        qoEachRow);
    QCOMPARE(seen, titles);
    QList<int> expected;
    for (int i = 1; i <= titles.size(); ++i)
        expected << i;
    QCOMPARE(positions, expected);
    QVERIFY(FileIsFree());
}

void TestQuery::onceCallbackSeesEof_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("eof");
    QTest::addColumn<int>("recNo");

    QTest::newRow("empty result") << "X" << true << 0;
    QTest::newRow("stored row") << "B3" << false << 1;
}

void TestQuery::onceCallbackSeesEof()
{
    QFETCH(QString, id);
    QFETCH(bool, eof);
    QFETCH(int, recNo);

    int calls = 0;
    FConnection.OpenQuery(QStringLiteral("select * from books where id = :id"), {id}, [&](TQUVDataset &ds) {
        ++calls;
        QCOMPARE(ds.Eof(), eof);
        QCOMPARE(ds.RecNo(), recNo);
        QCOMPARE(ds.FieldByName("copies").IsNull(), eof);
    });
    QCOMPARE(calls, 1);
}

void TestQuery::nilCallbackStillChecksStatement()
{
    FConnection.OpenQuery(QStringLiteral("select * from books where id = :id"), {QStringLiteral("B1")}, nullptr);
    QVERIFY(FileIsFree());

    QVERIFY_THROWS_EXCEPTION(Exception, FConnection.OpenQuery(QStringLiteral("select * from nosuchtable"), {},
                                                              nullptr, qoEachRow));
    // Binding runs too: a named layout with an unknown name fails before opening.
    QVERIFY_THROWS_EXCEPTION(Exception, FConnection.OpenQuery(QStringLiteral("select 1"),
                                                              {QStringLiteral("id"), 1}, nullptr, qoNamedParams));
    // A statement that is not a query runs and calls nothing.
    bool called = false;
    FConnection.OpenQuery(QStringLiteral("update books set copies = copies + 1"), {},
                          [&](TQUVDataset &) { called = true; });
    QVERIFY(!called);
    QVERIFY(FConnection.Exists(QStringLiteral("select 1 from books where id = ? and copies = ?"),
                               {QStringLiteral("B1"), 2}));
}

void TestQuery::callbackExceptionStopsAndFreesQuery_data()
{
    QTest::addColumn<bool>("general");
    QTest::newRow("Exception") << true;
    QTest::newRow("other std::exception") << false;
}

void TestQuery::callbackExceptionStopsAndFreesQuery()
{
    QFETCH(bool, general);

    QStringList visited;
    try {
        FConnection.OpenQuery(
            QStringLiteral("select * from books order by id"), {},
            [&](TQUVDataset &ds) {
                visited << ds.FieldByName("id").AsString();
                if (ds.RecNo() == 2) {
                    if (general)
                        throw Exception(QStringLiteral("stop at two"));
                    throw std::runtime_error("stop at two");
                }
            },
            qoEachRow);
        QFAIL("no exception");
    } catch (const std::exception &e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("stop at two"));
        QCOMPARE(dynamic_cast<const Exception *>(&e) != nullptr, general);
    }
    QCOMPARE(visited, (QStringList{"B1", "B2"}));
    QVERIFY(FileIsFree());
}

void TestQuery::exists_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("expected");
    QTest::newRow("unknown id") << "B9" << false;
    QTest::newRow("stored id") << "B2" << true;
    QTest::newRow("blank id binds NULL") << "  " << false;
}

void TestQuery::exists()
{
    QFETCH(QString, id);
    QFETCH(bool, expected);
    QCOMPARE(FConnection.Exists(QStringLiteral("select 1 from books where id = :id"), {id}), expected);
}

void TestQuery::fieldsReadWithoutCase()
{
    FConnection.OpenQuery(QStringLiteral("select Title, copies as Copies from books where id = 'B3'"), {},
                          [&](TQUVDataset &ds) {
                              QCOMPARE(ds.FieldByName("title").AsString(), QStringLiteral("Gamma"));
                              QCOMPARE(ds.FieldByName("TITLE").AsString(), QStringLiteral("Gamma"));
                              QCOMPARE(ds.FieldByName("copies").AsInteger(), 3);
                              QCOMPARE(ds.FieldNames(), (QStringList{"title", "Copies"}));
                              try {
                                  ds.FieldByName("author");
                                  QFAIL("no exception");
                              } catch (const Exception &e) {
                                  QCOMPARE(e.Message(), QStringLiteral("Field 'author' not found"));
                              }
                          });
}

void TestQuery::unidirectionalMovesForwardOnly()
{
    TQUVDataset ds(FConnection);
    ds.SetUniDirectional(true);
    ds.SetSQL(QStringLiteral("select id from books order by id"));
    ds.Open();
    QStringList ids;
    ForEachRecord(ds, [&](TQUVDataset &d) { ids << d.FieldByName("id").AsString(); });
    QCOMPARE(ids, (QStringList{"B1", "B2", "B3"}));
    QVERIFY(ds.Eof());
    // No way back: a move backwards is refused, not answered with a wrong row.
    QVERIFY_THROWS_EXCEPTION(Exception, ds.First());
    QVERIFY_THROWS_EXCEPTION(Exception, ds.RecordCount());

    ds.SetSQL(QStringLiteral("select id from books where id = 'none'"));
    ds.Open();
    QVERIFY(ds.Eof());
    QVERIFY(ds.IsEmpty());
}

void TestQuery::forEachRecordReturnsToPosition()
{
    TQUVDataset ds(FConnection);
    ds.SetSQL(QStringLiteral("select id from books order by id"));
    ds.Open();
    ds.Next();
    QCOMPARE(ds.RecNo(), 2);

    QStringList ids;
    ForEachRecord(ds, [&](TQUVDataset &d) {
        QVERIFY(d.ControlsDisabled());
        ids << d.FieldByName("id").AsString();
    });
    QCOMPARE(ids, (QStringList{"B1", "B2", "B3"}));
    QCOMPARE(ds.RecNo(), 2);
    QCOMPARE(ds.FieldByName("id").AsString(), QStringLiteral("B2"));
    QVERIFY(!ds.ControlsDisabled());
    QCOMPARE(ds.RecordCount(), 3);
    QCOMPARE(ds.FieldByName("id").AsString(), QStringLiteral("B2"));

    // Also when the procedure raises.
    QVERIFY_THROWS_EXCEPTION(Exception, ForEachRecord(ds, [](TQUVDataset &d) {
                                 if (d.RecNo() == 3)
                                     throw Exception(QStringLiteral("x"));
                             }));
    QCOMPARE(ds.RecNo(), 2);
    QVERIFY(!ds.ControlsDisabled());

    ds.Last();
    QVERIFY(ds.Eof());
    QCOMPARE(ds.FieldByName("id").AsString(), QStringLiteral("B3"));
    ds.Prior();
    ds.Prior();
    QCOMPARE(ds.FieldByName("id").AsString(), QStringLiteral("B1"));
    ds.Prior();
    QVERIFY(ds.Bof());
    QCOMPARE(ds.RecNo(), 1);
}

void TestQuery::calculatedFieldsAndDisplayTexts()
{
    TQUVDataset ds(FConnection);
    ds.SetSQL(QStringLiteral("select id, copies from books order by id"));
    ds.AddCalcField(QStringLiteral("double"));
    int calculations = 0;
    ds.SetOnCalcFields([&](TQUVDataset &d) {
        ++calculations;
        d.SetCalcValue(QStringLiteral("double"), d.FieldByName("copies").AsInteger() * 2);
    });
    ds.SetOnGetText(QStringLiteral("copies"), [](const QVariant &v) { return QStringLiteral("%1 st").arg(v.toInt()); });
    ds.SetDisplayLabel(QStringLiteral("double"), QStringLiteral("Dubbelt"));
    ds.Open();
    QStringList texts;
    QList<int> doubled;
    ds.ForEachRecord([&](TQUVDataset &d) {
        texts << d.FieldByName("copies").DisplayText();
        doubled << d.FieldByName("double").AsInteger();
    });
    QCOMPARE(texts, (QStringList{"1 st", "2 st", "3 st"}));
    QCOMPARE(doubled, (QList<int>{2, 4, 6}));
    QCOMPARE(calculations, 3);
    QCOMPARE(ds.FieldByName("double").DisplayLabel(), QStringLiteral("Dubbelt"));
    QCOMPARE(ds.FieldByName("copies").Value().toInt(), 1); // edit value stays the stored one
    QVERIFY_THROWS_EXCEPTION(Exception, ds.SetCalcValue(QStringLiteral("double"), 1));

    // Refresh computes again from what the database now holds.
    QSqlQuery(FConnection).exec("update books set copies = 10 where id = 'B1'");
    ds.Refresh();
    QCOMPARE(ds.FieldByName("double").AsInteger(), 20);
    QCOMPARE(calculations, 4);
}

void TestQuery::keyedRowsHoldNoLock()
{
    TQUVDataset ds(FConnection);
    ds.SetKeyedSQL(QStringLiteral("select rowid from books where title > '' order by id desc"),
                   QStringLiteral("select id, title from books where rowid = :key"));
    ds.Open();
    QCOMPARE(ds.FieldByName("id").AsString(), QStringLiteral("B3"));
    QVERIFY(FileIsFree());
    QCOMPARE(ds.RecordCount(), 3);
    ds.Next();
    QCOMPARE(ds.FieldByName("title").AsString(), QStringLiteral("Beta"));
    QVERIFY(FileIsFree());
    // A row deleted after the keys were read reads empty.
    QVERIFY(QSqlQuery(FConnection).exec("delete from books where id = 'B1'"));
    ds.Next();
    QVERIFY(!ds.Eof());
    QVERIFY(ds.FieldByName("id").IsNull());
    ds.Next();
    QVERIFY(ds.Eof());

    TQUVDataset bad(FConnection);
    bad.SetKeyedSQL(QStringLiteral("select rowid from books"), QStringLiteral("select nosuchcolumn from books where rowid = :key"));
    QVERIFY_THROWS_EXCEPTION(Exception, bad.Open());
    QVERIFY(!bad.Active());
}

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"

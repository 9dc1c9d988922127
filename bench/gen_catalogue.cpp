// Writes a large catalogue for the start-up benchmark: "morvik.sqlite" in
// the given folder, with the three tables as the schema script makes them
// (no productions index, as a file written by an older build has), so that
// the first start of the data module pays for the index once.
//
//   gen_catalogue <folder> [titles, default 100000] [productions, default 1000000]
//                 [job text bytes per title, default 1500]
//
// About 1 % of the titles have no title text (the catalogue view leaves them
// out), every 25th title is a movie. Productions fall on random titles at
// random times between 2015 and 2024. The same arguments give the same file.

#include "MorvikDataModuleUnit.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

namespace {

const char *const Words[] = {"röda", "rummet", "hemsö", "borna", "fadren", "resa", "natt", "sommar", "vinter",
                             "skog", "hav", "stad", "kärlek", "krig", "barn", "minne", "ljus", "mörker", "väg",
                             "hus", "tid", "dröm", "sten", "vind", "eld", "vatten", "brev", "ö", "fjäll", "by"};

QString Phrase(QRandomGenerator &ARandom, int AWords)
{
    QStringList words;
    for (int i = 0; i < AWords; ++i)
        words << QString::fromUtf8(Words[ARandom.bounded(int(std::size(Words)))]);
    QString text = words.join(QLatin1Char(' '));
    text[0] = text[0].toUpper();
    return text;
}

// A job file text of about ABytes characters, in the shape of the agency's files.
QString JobText(QRandomGenerator &ARandom, const QString &AId, const QString &ATitle, const QString &AAuthor,
                int ABytes)
{
    QString text;
    text += QStringLiteral("[MergeMetaData]\r\n");
    text += QStringLiteral("dc:identifier=%1\r\ndc:title=%2\r\ndc:creator=%3\r\n").arg(AId, ATitle, AAuthor);
    text += QStringLiteral("dc:format=ANSI/NISO Z39.86-2005\r\ndc:language=sv\r\n");
    text += QStringLiteral("[Job]\r\nImageFile=%1.iso\r\ncopies=1\r\nmediaType=CDR\r\n").arg(AId);
    int line = 0;
    while (text.size() < ABytes)
        text += QStringLiteral("dc:description.%1=%2\r\n").arg(++line).arg(Phrase(ARandom, 8));
    return text;
}

bool Exec(QSqlQuery &AQuery)
{
    if (AQuery.exec())
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(AQuery.lastError().text()));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: gen_catalogue <folder> [titles] [productions] [job text bytes]\n");
        return 2;
    }
    const QString folder = args.at(1);
    const int titles = args.size() > 2 ? args.at(2).toInt() : 100000;
    const int productions = args.size() > 3 ? args.at(3).toInt() : 1000000;
    const int jobBytes = args.size() > 4 ? args.at(4).toInt() : 1500;
    const QString file = QDir(folder).filePath(TMorvikDataModule::DatabaseFileName);
    if (titles <= 0 || productions < 0 || !QDir().mkpath(folder)) {
        std::fprintf(stderr, "bad arguments\n");
        return 2;
    }
    if (QFile::exists(file) && !QFile::remove(file)) {
        std::fprintf(stderr, "cannot replace %s\n", qPrintable(file));
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    QRandomGenerator random(20240506);
    int status = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen"));
        db.setDatabaseName(file);
        if (!db.open()) {
            std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
            return 1;
        }
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        for (const QString &statement : TMorvikDataModule::scrCreateDB())
            if (!q.exec(statement)) {
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
                return 1;
            }
        db.transaction();

        QSqlQuery book(db);
        book.prepare(QStringLiteral(
            "insert into books (id, title, author, narrator, description, duration, diskset, format, date, "
            "language, type, rmf, added, isofiles, size) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        QStringList ids;
        ids.reserve(titles);
        const QDateTime firstAdded(QDate(2015, 1, 1), QTime(0, 0));
        for (int i = 0; i < titles && status == 0; ++i) {
            const bool movie = i % 25 == 24;
            const QString id = movie ? QStringLiteral("V%1").arg(i, 6, 10, QLatin1Char('0'))
                                     : QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0'));
            ids << id;
            const QString title = i % 100 == 50 ? QString() : Phrase(random, 1 + random.bounded(4));
            const QString author = Phrase(random, 2);
            const QString duration =
                movie ? QStringLiteral("1899-12-30 %1:%2:00").arg(random.bounded(3), 2, 10, QLatin1Char('0')).arg(random.bounded(60), 2, 10, QLatin1Char('0'))
                      : QString::number(3600 + random.bounded(40000));
            book.addBindValue(id);
            book.addBindValue(title);
            book.addBindValue(author);
            book.addBindValue(movie ? QString() : Phrase(random, 2));
            book.addBindValue(Phrase(random, 12));
            book.addBindValue(duration);
            book.addBindValue(movie ? QString() : QStringLiteral("1 av 1"));
            book.addBindValue(movie ? QString() : QStringLiteral("ANSI/NISO Z39.86-2005"));
            book.addBindValue(movie ? QVariant(QMetaType::fromType<double>()) : QVariant(42000.0 + random.bounded(3000)));
            book.addBindValue(QStringLiteral("sv"));
            book.addBindValue(movie ? QStringLiteral("MOVIE") : QStringLiteral("AUDIO"));
            book.addBindValue(JobText(random, id, title, author, jobBytes));
            book.addBindValue(firstAdded.addSecs(qint64(i) * 3000).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            book.addBindValue(QStringLiteral("%1.iso\r\n").arg(id));
            book.addBindValue(300000000 + random.bounded(400000000));
            if (!Exec(book))
                status = 1;
        }

        QSqlQuery production(db);
        production.prepare(QStringLiteral("insert into productions (id, produced, copies, fromLibrary) values (?, ?, ?, ?)"));
        const qint64 span = firstAdded.secsTo(QDateTime(QDate(2024, 12, 31), QTime(23, 59)));
        for (int i = 0; i < productions && status == 0; ++i) {
            production.addBindValue(ids.at(random.bounded(titles)));
            production.addBindValue(
                firstAdded.addSecs(qint64(random.bounded(double(span)))).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            production.addBindValue(1 + random.bounded(20));
            production.addBindValue(random.bounded(2) == 1);
            if (!Exec(production))
                status = 1;
        }
        if (status == 0 && !db.commit()) {
            std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
            status = 1;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gen"));
    if (status == 0)
        std::printf("%s: %d titles, %d productions, %.1f MB, %.1f s\n", qPrintable(file), titles, productions,
                    QFile(file).size() / 1048576.0, timer.elapsed() / 1000.0);
    return status;
}

#pragma once

// Unit QUV.UniDACHelpers: the query helpers on the database connection.
// Code reads the catalogue without datasets of its own: it hands a statement,
// its parameter values and a callback to OpenQuery, which opens the statement,
// gives the open dataset to the callback (once, or once per row) and frees it
// again before returning.
//
//   TQUVFDConnectionHelper connection = MorvikDataModule->MorvikConnection();
//   connection.OpenQuery("select * from books where id = :id", {id},
//                        [&](TQUVDataset &ds) { title = ds.FieldByName("title").AsString(); },
//                        qoEachRow);

#include "QUV.Dataset.h"
#include "QUV.Types.h"

#include <QFlags>
#include <QSqlDatabase>

#include <functional>

enum TQueryOption {
    // The array alternates parameter name and value (otherwise positional).
    qoNamedParams = 0x1,
    // The callback is called once for every row (otherwise once in all).
    qoEachRow = 0x2
};
Q_DECLARE_FLAGS(TQueryOptions, TQueryOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TQueryOptions)

// Gets the open dataset; it belongs to OpenQuery and is freed when OpenQuery
// returns, so the callback must not keep it.
using TQueryCallback = std::function<void(TQUVDataset &ADataset)>;

// A database connection with the query helpers. It is the connection itself
// (a QSqlDatabase handle), so transactions and plain statements go through it
// as well.
class TQUVFDConnectionHelper : public QSqlDatabase
{
public:
    TQUVFDConnectionHelper() = default;
    TQUVFDConnectionHelper(const QSqlDatabase &AConnection) : QSqlDatabase(AConnection) {}

    // Opens the statement with the parameters bound and calls the callback:
    // once, whether or not there is a row (it sees Eof), or with qoEachRow
    // once per row from the first to the last. A nil callback still binds
    // and opens, so the statement is checked. Nothing is caught: a failing
    // statement or an exception of the callback reaches the caller after the
    // query has been freed.
    void OpenQuery(const QString &ASQL, const TSarvoArrayOfVariants &AParams, const TQueryCallback &ACallback,
                   TQueryOptions AOptions = {}) const;

    // True when the statement returns at least one row. Positional parameters.
    bool Exists(const QString &ASQL, const TSarvoArrayOfVariants &AParams) const;

    // Binds the values to the dataset's parameters. Positional: value i to
    // the statement's i-th parameter; missing values leave their parameters
    // NULL, surplus values are ignored. Named: name, value, name, value...;
    // an unpaired trailing name is ignored; a name the statement does not have
    // raises "Parameter '%s' not found".
    static void BindParams(TQUVDataset &AQuery, const TSarvoArrayOfVariants &AParams, bool ANamed);

    // The binding table for one value:
    //   null (also an invalid QVariant)          -> NULL
    //   short, int, long, long long (signed or unsigned) -> 64-bit integer
    //   float                                    -> single-precision real
    //   double                                   -> double-precision real
    //   QDateTime                                -> text "YYYY-MM-DD HH:MM:SS", local time
    //   QDate                                    -> text "YYYY-MM-DD"
    //   bool                                     -> boolean
    //   anything else, 8-bit integers included   -> its text (QTime as "HH:MM:SS");
    //                                               blank text -> NULL
    // With AKeepBlankText (the named layout) a text that is blank is bound as
    // that text rather than NULL.
    static void BindParam(TQUVParam &AParam, const QVariant &AValue, bool AKeepBlankText = false);
};

#pragma once

// Unit Models.Book: the catalogued titles that the books page keeps between
// reloads, one TBook per row of books plus the time of its latest production.

#include "QUV.Types.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// A plain record; the books page holds up to some hundred thousand of them,
// so it carries nothing but its fields.
class TBook
{
public:
    const QString &Id() const { return FId; }
    void SetId(const QString &AValue) { FId = AValue; }
    const QString &Title() const { return FTitle; }
    void SetTitle(const QString &AValue) { FTitle = AValue; }
    const QString &Author() const { return FAuthor; }
    void SetAuthor(const QString &AValue) { FAuthor = AValue; }
    const QString &Narrator() const { return FNarrator; }
    void SetNarrator(const QString &AValue) { FNarrator = AValue; }
    const QString &Description() const { return FDescription; }
    void SetDescription(const QString &AValue) { FDescription = AValue; }
    const QString &Duration() const { return FDuration; }
    void SetDuration(const QString &AValue) { FDuration = AValue; }
    const QString &Diskset() const { return FDiskset; }
    void SetDiskset(const QString &AValue) { FDiskset = AValue; }
    const QString &Format() const { return FFormat; }
    void SetFormat(const QString &AValue) { FFormat = AValue; }
    const QString &Language() const { return FLanguage; }
    void SetLanguage(const QString &AValue) { FLanguage = AValue; }
    const QString &RMF() const { return FRMF; }
    void SetRMF(const QString &AValue) { FRMF = AValue; }
    const QString &IsoFile() const { return FIsoFile; }
    void SetIsoFile(const QString &AValue) { FIsoFile = AValue; }
    const QString &Type() const { return FType; }
    void SetType(const QString &AValue) { FType = AValue; }
    TDateTime Added() const { return FAdded; }
    void SetAdded(TDateTime AValue) { FAdded = AValue; }
    TDateTime Produced() const { return FProduced; }
    void SetProduced(TDateTime AValue) { FProduced = AValue; }

private:
    QString FId;
    QString FTitle;
    QString FAuthor;
    QString FNarrator;
    QString FDescription;
    QString FDuration;
    QString FDiskset;
    QString FFormat;
    QString FLanguage;
    QString FRMF;
    QString FIsoFile;
    QString FType;
    TDateTime FAdded = 0;
    TDateTime FProduced = 0;
};

// The books by id (compared exactly, letter case included). The list is the
// only owner of its books: a book replaced under the same id, and every book
// on Clear or destruction, is freed. Lookups are hashed; the books are kept
// in the order they were first added.
class TListOfBooks
{
    using TItems = std::vector<std::unique_ptr<TBook>>;

public:
    // Stores the book under its Id, replacing (and freeing) a book stored
    // under that id before. A null book is ignored.
    void Add(std::unique_ptr<TBook> ABook);
    // Raises Exception("Kunde inte hitta boken med id <id>") when missing.
    TBook &GetByBookId(const QString &ABookId) const;

    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    // Room for that many books, so that filling a large list does not rehash.
    void Reserve(int ACount);
    // The books, for instance to sort them; they stay owned by the list.
    std::vector<TBook *> Values() const;

    // Range-for over the books (TBook &).
    class const_iterator
    {
    public:
        explicit const_iterator(TItems::const_iterator AIt) : FIt(AIt) {}
        TBook &operator*() const { return **FIt; }
        TBook *operator->() const { return FIt->get(); }
        const_iterator &operator++()
        {
            ++FIt;
            return *this;
        }
        bool operator==(const const_iterator &AOther) const { return FIt == AOther.FIt; }
        bool operator!=(const const_iterator &AOther) const { return FIt != AOther.FIt; }

    private:
        TItems::const_iterator FIt;
    };
    const_iterator begin() const { return const_iterator(FItems.begin()); }
    const_iterator end() const { return const_iterator(FItems.end()); }

private:
    TItems FItems;
    QHash<QString, qsizetype> FIndex; // id -> position in FItems
};

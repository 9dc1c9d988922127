#include "Models.Book.h"

void TListOfBooks::Add(std::unique_ptr<TBook> ABook)
{
    if (!ABook)
        return;
    const auto it = FIndex.constFind(ABook->Id());
    if (it != FIndex.constEnd()) {
        FItems[*it] = std::move(ABook);
        return;
    }
    FIndex.insert(ABook->Id(), static_cast<qsizetype>(FItems.size()));
    FItems.push_back(std::move(ABook));
}

TBook &TListOfBooks::GetByBookId(const QString &ABookId) const
{
    const auto it = FIndex.constFind(ABookId);
    if (it == FIndex.constEnd())
        throw Exception(QStringLiteral("Kunde inte hitta boken med id %1").arg(ABookId));
    return *FItems[*it];
}

void TListOfBooks::Clear()
{
    FIndex.clear();
    FItems.clear();
}

void TListOfBooks::Reserve(int ACount)
{
    FItems.reserve(static_cast<size_t>(ACount));
    FIndex.reserve(ACount);
}

std::vector<TBook *> TListOfBooks::Values() const
{
    std::vector<TBook *> books;
    books.reserve(FItems.size());
    for (const auto &book : FItems)
        books.push_back(book.get());
    return books;
}

#include "Models.Book.h"

void TListOfBooks::Add(std::unique_ptr<TBook> ABook)
{
    if (!ABook)
        return;
    const QString id = ABook->Id();
    FBooks[id] = std::move(ABook);
}

TBook &TListOfBooks::GetByBookId(const QString &ABookId) const
{
    const auto it = FBooks.find(ABookId);
    if (it == FBooks.end())
        throw Exception(QStringLiteral("Kunde inte hitta boken med id %1").arg(ABookId));
    return *it->second;
}

std::vector<TBook *> TListOfBooks::Values() const
{
    std::vector<TBook *> books;
    books.reserve(FBooks.size());
    for (const auto &entry : FBooks)
        books.push_back(entry.second.get());
    return books;
}

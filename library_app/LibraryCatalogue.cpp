#include "LibraryCatalogue.h"

#include "MorvikDataModuleUnit.h"
#include "QUV.Types.h"

namespace LibraryCatalogue {

namespace {

TMorvikDataModule &DataModule()
{
    if (!MorvikDataModule)
        throw Exception(QStringLiteral("Internt fel"));
    return *MorvikDataModule;
}

} // namespace

TQUVFDConnectionHelper Connection()
{
    return DataModule().MorvikConnection();
}

void AddBook(const QString &ARMFFileName, const QString &AISOFileName)
{
    DataModule().AddBook(ARMFFileName, AISOFileName);
}

bool ProduceBook(const QString &AId, int ACopies)
{
    TMorvikDataModule &dataModule = DataModule();
    // The data module passes over an unknown id in silence; the page would
    // then announce an order that never was.
    if (!dataModule.MorvikConnection().Exists(QStringLiteral("select 1 from books where id = :id"), {AId}))
        throw Exception(QStringLiteral("Kunde inte hitta boken med id %1").arg(AId));
    // Its only other refusal, a disc image missing from the library, is a
    // message to the user; after that there is no order to announce.
    return dataModule.ProduceBook(AId, ACopies);
}

void OnOrderCopyFailed(QObject *AContext, std::function<void(const QString &)> AHandler)
{
    if (MorvikDataModule)
        QObject::connect(MorvikDataModule, &TMorvikDataModule::OrderCopyFailed, AContext,
                         [AHandler = std::move(AHandler)](const QString &AMessage) { AHandler(AMessage); });
}

} // namespace LibraryCatalogue

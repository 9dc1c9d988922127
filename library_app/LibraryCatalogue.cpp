#include "LibraryCatalogue.h"

#include "MorvikDataModuleUnit.h"
#include "QUV.Dialogs.h"
#include "QUV.Types.h"

namespace LibraryCatalogue {

namespace {

TMorvikDataModule &DataModule()
{
    if (!MorvikDataModule)
        throw Exception(QStringLiteral("Internt fel"));
    return *MorvikDataModule;
}

// Notes whether a modal message was shown while it lives; the message
// itself still goes where it always goes.
class TMessageWatch
{
public:
    TMessageWatch()
    {
        FPrevious = QUV::SetMessageHandler([this](const QUV::TMessageRequest &ARequest) {
            Shown = true;
            if (FPrevious)
                return FPrevious(ARequest);
            // No handler of its own: the default path, as before.
            QUV::TMessageHandler self = QUV::SetMessageHandler({});
            const int answer = QUV::MessageDlg(ARequest.Text, ARequest.Type, ARequest.Buttons, ARequest.Caption);
            QUV::SetMessageHandler(self);
            return answer;
        });
    }
    ~TMessageWatch() { QUV::SetMessageHandler(FPrevious); }
    TMessageWatch(const TMessageWatch &) = delete;
    TMessageWatch &operator=(const TMessageWatch &) = delete;

    bool Shown = false;

private:
    QUV::TMessageHandler FPrevious;
};

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
    TMessageWatch watch;
    dataModule.ProduceBook(AId, ACopies);
    return !watch.Shown;
}

void OnOrderCopyFailed(QObject *AContext, std::function<void(const QString &)> AHandler)
{
    if (MorvikDataModule)
        QObject::connect(MorvikDataModule, &TMorvikDataModule::OrderCopyFailed, AContext,
                         [AHandler = std::move(AHandler)](const QString &AMessage) { AHandler(AMessage); });
}

} // namespace LibraryCatalogue

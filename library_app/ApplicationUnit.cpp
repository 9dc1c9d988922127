#include "ApplicationUnit.h"

#include "QUV.Dialogs.h"
#include "QUV.Log.h"
#include "QUV.Types.h"

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("MorvikLibrary"));
    setApplicationVersion(QStringLiteral(MORVIK_VERSION));
}

bool TApplication::notify(QObject *AReceiver, QEvent *AEvent)
{
    try {
        return QApplication::notify(AReceiver, AEvent);
    } catch (const std::exception &e) {
        HandleException(e);
    } catch (...) {
        HandleException(Exception(QStringLiteral("Okänt fel")));
    }
    return false;
}

void TApplication::HandleException(const std::exception &AException)
{
    Logger->Send(QStringLiteral("Application"), AException, false);
    const auto *own = dynamic_cast<const Exception *>(&AException);
    const QString text = own ? own->Message() : QString::fromUtf8(AException.what());
    QUV::MessageDlg(text, QUV::TMsgDlgType::Error);
}

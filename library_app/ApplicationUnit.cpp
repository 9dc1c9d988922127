#include "ApplicationUnit.h"

#include "QUV.Dialogs.h"
#include "QUV.Log.h"
#include "QUV.Types.h"

#include <QMessageBox>

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

void TApplication::InstallMessageBoxHandler()
{
    QUV::SetMessageHandler([](const QUV::TMessageRequest &ARequest) {
        QMessageBox::Icon icon = QMessageBox::Information;
        switch (ARequest.Type) {
        case QUV::TMsgDlgType::Warning:
            icon = QMessageBox::Warning;
            break;
        case QUV::TMsgDlgType::Error:
            icon = QMessageBox::Critical;
            break;
        case QUV::TMsgDlgType::Confirmation:
            icon = QMessageBox::Question;
            break;
        case QUV::TMsgDlgType::Information:
            break;
        }
        QMessageBox::StandardButtons buttons;
        if (ARequest.Buttons & QUV::mbOK)
            buttons |= QMessageBox::Ok;
        if (ARequest.Buttons & QUV::mbCancel)
            buttons |= QMessageBox::Cancel;
        if (ARequest.Buttons & QUV::mbYes)
            buttons |= QMessageBox::Yes;
        if (ARequest.Buttons & QUV::mbNo)
            buttons |= QMessageBox::No;
        QMessageBox box(icon, ARequest.Caption.isEmpty() ? QStringLiteral("MorvikBiblioteket") : ARequest.Caption,
                        ARequest.Text, buttons);
        switch (box.exec()) {
        case QMessageBox::Cancel:
            return int(QUV::mrCancel);
        case QMessageBox::Yes:
            return int(QUV::mrYes);
        case QMessageBox::No:
            return int(QUV::mrNo);
        default:
            return int(QUV::mrOk);
        }
    });
}

#include "VestrelApplication.h"

#include "QUV.Dialogs.h"
#include "QUV.Types.h"

#include <QMessageBox>

#include <cstdio>

TVestrelApplication::TVestrelApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Vestrel"));
}

QString TVestrelApplication::Title()
{
    return QStringLiteral("Morvik Författarrapport");
}

bool TVestrelApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        HandleException(e);
    } catch (...) {
        HandleException(Exception(QStringLiteral("Okänt fel")));
    }
    return false;
}

void TVestrelApplication::HandleException(const std::exception &exception)
{
    FErrorExitCode = 2;
    const auto *own = dynamic_cast<const Exception *>(&exception);
    const QString message = own ? own->Message() : QString::fromLocal8Bit(exception.what());
    QUV::MessageDlg(message, QUV::TMsgDlgType::Error, QUV::mbOK, Title());
    // Nobody is there to close the window.
    if (FUnattended)
        QMetaObject::invokeMethod(this, [] { QCoreApplication::exit(2); }, Qt::QueuedConnection);
}

namespace {

int ShowMessageBox(const QUV::TMessageRequest &request)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (request.Type) {
    case QUV::TMsgDlgType::Warning: icon = QMessageBox::Warning; break;
    case QUV::TMsgDlgType::Error: icon = QMessageBox::Critical; break;
    case QUV::TMsgDlgType::Confirmation: icon = QMessageBox::Question; break;
    case QUV::TMsgDlgType::Information: break;
    }
    QMessageBox::StandardButtons buttons;
    if (request.Buttons & QUV::mbOK)
        buttons |= QMessageBox::Ok;
    if (request.Buttons & QUV::mbCancel)
        buttons |= QMessageBox::Cancel;
    if (request.Buttons & QUV::mbYes)
        buttons |= QMessageBox::Yes;
    if (request.Buttons & QUV::mbNo)
        buttons |= QMessageBox::No;
    // Without a parent the box is centred on the screen.
    QMessageBox box(icon, request.Caption.isEmpty() ? TVestrelApplication::Title() : request.Caption,
                    request.Text, buttons);
    switch (box.exec()) {
    case QMessageBox::Cancel: return QUV::mrCancel;
    case QMessageBox::Yes: return QUV::mrYes;
    case QMessageBox::No: return QUV::mrNo;
    default: return QUV::mrOk;
    }
}

int PrintMessage(const QUV::TMessageRequest &request)
{
    const QString caption = request.Caption.isEmpty() ? TVestrelApplication::Title() : request.Caption;
    std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(), request.Text.toLocal8Bit().constData());
    std::fflush(stderr);
    return (request.Buttons & QUV::mbYes) ? QUV::mrYes : QUV::mrOk;
}

} // namespace

void InstallMessageHandler(bool unattended)
{
    QUV::SetMessageHandler(unattended ? QUV::TMessageHandler(PrintMessage) : QUV::TMessageHandler(ShowMessageBox));
}

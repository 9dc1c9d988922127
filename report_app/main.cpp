#include "CommandLine.h"
#include "MorvikDataModuleUnit.h"
#include "ProductionReportFormUnit.h"
#include "QUV.Dialogs.h"
#include "QUV.Log.h"
#include "VestrelApplication.h"

#include <QStringList>

// Exit status: 0 the report was shown or written, 1 nothing to report or the
// database could not be opened, 2 any other failure.
int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Known before anything can show a message: an unattended run shows none.
    const bool unattended = ParseCommandLine(arguments).Unattended();
    // An unattended run (a scheduled job, say) needs no display.
    if (unattended && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    TVestrelApplication app(argc, argv);
    app.SetUnattended(unattended);
    InstallMessageHandler(unattended);

    try {
        MorvikDataModule = new TMorvikDataModule(TDataModuleFlavour::Report, &app);
    } catch (const std::exception &e) {
        Logger->Send(QStringLiteral("Vestrel"), e, false);
        app.HandleException(e);
        return 2;
    }
    // The module has shown why; its queued quit would end the loop at once.
    if (MorvikDataModule->StartupFailed())
        return 1;

    TProductionReportForm form(MorvikDataModule->MorvikConnection(), arguments);
    QObject::connect(
        &form, &TProductionReportForm::EndRequested, &app, [](int exitCode) { QCoreApplication::exit(exitCode); },
        Qt::QueuedConnection);
    if (unattended)
        QMetaObject::invokeMethod(&form, &TProductionReportForm::FormShow, Qt::QueuedConnection);
    else
        form.show();

    const int exitCode = app.exec();
    // Closing the window after a bad date ends the loop normally.
    return exitCode != 0 ? exitCode : app.ErrorExitCode();
}

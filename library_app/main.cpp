#include "ApplicationUnit.h"
#include "MainFormUnit.h"
#include "MorvikDataModuleUnit.h"
#include "QUV.Log.h"

// Start-up: the application object, the catalogue data module, then the
// window; the loop runs until the window closes. The logger closes after
// everything else (its last line is "Logger has been closed down.").
int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    TApplication::InstallMessageBoxHandler();

    try {
        MorvikDataModule = new TMorvikDataModule(TDataModuleFlavour::Library, &app);
    } catch (const std::exception &e) {
        TApplication::HandleException(e);
        return 1;
    }
    // The module has already said why; a window over a closed catalogue
    // would only raise more errors before the queued quit ends the loop.
    if (MorvikDataModule->StartupFailed())
        return 1;

    int exitCode = 0;
    {
        TMainForm form;
        form.show();
        exitCode = app.exec();
    }
    delete MorvikDataModule;
    MorvikDataModule = nullptr;
    return exitCode;
}

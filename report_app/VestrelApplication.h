#pragma once

#include <QApplication>

// The report program's application object. An exception that reaches the
// event loop is shown in a message box, the application's default handler;
// in an unattended run it goes to stderr instead and the program ends with
// exit status 2.
class TVestrelApplication : public QApplication
{
    Q_OBJECT
public:
    TVestrelApplication(int &argc, char **argv);

    // Caption of the program's message boxes.
    static QString Title();

    bool notify(QObject *receiver, QEvent *event) override;
    void HandleException(const std::exception &exception);

    void SetUnattended(bool unattended) { FUnattended = unattended; }
    bool Unattended() const { return FUnattended; }
    // 2 once an exception reached the default handler, else 0.
    int ErrorExitCode() const { return FErrorExitCode; }

private:
    bool FUnattended = false;
    int FErrorExitCode = 0;
};

// Installs the program's message handler: message boxes centred on the
// screen, or, unattended, one line per message on stderr.
void InstallMessageHandler(bool unattended);

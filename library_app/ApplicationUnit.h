#pragma once

#include <QApplication>

// The application object of MorvikLibrary. Its default exception handler
// shows, in a message box, any exception that reaches the event loop from an
// event handler, and the program goes on.
class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);

    bool notify(QObject *AReceiver, QEvent *AEvent) override;

    // Shows the exception's message as the default handler does.
    static void HandleException(const std::exception &AException);

    // Routes the program's modal messages to real message boxes.
    static void InstallMessageBoxHandler();
};

#pragma once

#include <QWidget>

// Base of the main window's pages. The window calls ReceiveFocus each time
// it is about to show a page, so the page can load or reset what it shows.
class TAbstractContentFrame : public QWidget
{
    Q_OBJECT
public:
    explicit TAbstractContentFrame(QWidget *AOwner = nullptr);

    void ReceiveFocus();

signals:
    // The page has been told that it is about to be shown.
    void FocusReceived();

protected:
    virtual void DoReceiveFocus();
};

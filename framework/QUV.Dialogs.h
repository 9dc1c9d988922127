#pragma once

#include <QString>

#include <functional>

// The one way the framework and the data layer show a modal message. The
// programs install a handler that opens a real message box; tests and the
// report program's unattended mode install one that records or prints.
// Without a handler the text goes to stderr, so the data layer stays usable
// without a screen.
namespace QUV {

enum class TMsgDlgType { Information, Warning, Error, Confirmation };

enum TMsgDlgButton { mbOK = 0x1, mbCancel = 0x2, mbYes = 0x4, mbNo = 0x8 };

// Answer codes, as returned by MessageDlg.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

struct TMessageRequest
{
    TMsgDlgType Type = TMsgDlgType::Information;
    QString Caption;
    QString Text;
    int Buttons = mbOK;
};

using TMessageHandler = std::function<int(const TMessageRequest &)>;

// Installs the handler; returns the one it replaces.
TMessageHandler SetMessageHandler(TMessageHandler handler);

// Shows the message modally and returns the answer (mrOk for a plain message).
int MessageDlg(const QString &text, TMsgDlgType type = TMsgDlgType::Information, int buttons = mbOK,
               const QString &caption = QString());

inline void ShowMessage(const QString &text)
{
    MessageDlg(text);
}

} // namespace QUV

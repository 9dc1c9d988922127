#include "QUV.Dialogs.h"

#include <cstdio>

namespace QUV {

namespace {
TMessageHandler &Handler()
{
    static TMessageHandler handler;
    return handler;
}
} // namespace

TMessageHandler SetMessageHandler(TMessageHandler handler)
{
    TMessageHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}

int MessageDlg(const QString &text, TMsgDlgType type, int buttons, const QString &caption)
{
    if (Handler())
        return Handler()(TMessageRequest{type, caption, text, buttons});
    const QString line = caption.isEmpty() ? text : caption + QStringLiteral(": ") + text;
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
    return (buttons & mbYes) ? mrYes : mrOk;
}

} // namespace QUV

#include "ReportDialogs.h"

#include <QFileDialog>

namespace ReportDialogs {

namespace {
TSaveFileHandler &Handler()
{
    static TSaveFileHandler handler;
    return handler;
}
} // namespace

TSaveFileHandler SetSaveFileHandler(TSaveFileHandler handler)
{
    TSaveFileHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}

QString AskSaveFileName(QWidget *parent, const QString &caption, const QString &filter,
                        const QString &defaultSuffix)
{
    if (Handler())
        return Handler()(TSaveFileRequest{caption, filter, defaultSuffix});
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setObjectName(QStringLiteral("dlgSave"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace ReportDialogs

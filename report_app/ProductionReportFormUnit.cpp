#include "ProductionReportFormUnit.h"

#include "ProductionReportLayout.h"
#include "QUV.Dialogs.h"
#include "QUV.Log.h"
#include "ReportDialogs.h"
#include "ReportExports.h"
#include "ReportQuery.h"
#include "VestrelApplication.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace {

const QString kExcelCaption = QStringLiteral("Exportera till Excel");
const QString kExcelFilter = QStringLiteral("Excel-arbetsbok (*.xlsx)");
const QString kPdfCaption = QStringLiteral("Spara som PDF");
const QString kPdfFilter = QStringLiteral("PDF-dokument (*.pdf)");

QString MessageOf(const std::exception &e)
{
    const auto *own = dynamic_cast<const Exception *>(&e);
    return own ? own->Message() : QString::fromLocal8Bit(e.what());
}

} // namespace

TProductionReportForm::TProductionReportForm(const QSqlDatabase &connection, const QStringList &arguments,
                                             QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), FArguments(arguments)
{
    setObjectName(QStringLiteral("ProductionReportForm"));
    setWindowTitle(QStringLiteral("Morvik Författarförbundsrapport"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(288, 141);

    Label1 = new QLabel(QStringLiteral("Skriver ut rapporten till författarförbundet"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(42, 64);
    Label1->adjustSize();

    ReportQuery = new TReportQuery(connection, this);
}

QString TProductionReportForm::NothingToReport()
{
    return QStringLiteral("Det finns inga böcker att rapportera");
}

void TProductionReportForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // Queued, so the window with its label is on screen while the report runs.
    QMetaObject::invokeMethod(this, &TProductionReportForm::FormShow, Qt::QueuedConnection);
}

void TProductionReportForm::FormShow()
{
    ReadCommandLine();
    doPrintReport();
}

void TProductionReportForm::ReadCommandLine()
{
    const TCommandLineOptions options = ParseCommandLine(FArguments);
    FFromDate = options.FromDate;
    FToDate = options.ToDate;
    FDetailed = options.Detailed;
    FExportToExcel = options.ExportToExcel;
    FFromLibrary = options.FromLibrary;
    FExcelFileName = options.ExcelFileName;
    FWritePdf = options.WritePdf;
    FPdfFileName = options.PdfFileName;
    FUnattended = options.Unattended();
    if (!options.ConversionError.isEmpty())
        throw Exception(options.ConversionError);
}

void TProductionReportForm::RequestEnd(int exitCode)
{
    FExitCode = exitCode;
    emit EndRequested(exitCode);
}

void TProductionReportForm::doPrintReport()
{
    const ITracerPtr tracer = Logger->Trace(this, QStringLiteral("doPrintReport"));
    try {
        ReportQuery->Open(FFromDate, FToDate, FFromLibrary);
        if (ReportQuery->IsEmpty()) {
            QUV::MessageDlg(NothingToReport(), QUV::TMsgDlgType::Information, QUV::mbOK,
                            TVestrelApplication::Title());
            ReportQuery->Close();
            RequestEnd(1);
            return;
        }
        try {
            DeliverReport();
        } catch (...) {
            ReportQuery->Close();
            throw;
        }
        ReportQuery->Close();
        RequestEnd(0);
    } catch (const std::exception &e) {
        Logger->Send(QStringLiteral("doPrintReport"), e, false);
        // A file that could not be written is named as such; an unattended
        // run tells its caller what went wrong. Otherwise the user sees the
        // report's one message.
        const bool writeFailed = dynamic_cast<const ReportExports::EWriteError *>(&e) != nullptr;
        if (writeFailed || FUnattended)
            QUV::MessageDlg(MessageOf(e), QUV::TMsgDlgType::Error, QUV::mbOK, TVestrelApplication::Title());
        else
            QUV::MessageDlg(NothingToReport(), QUV::TMsgDlgType::Information, QUV::mbOK,
                            TVestrelApplication::Title());
        RequestEnd(2);
    }
}

QString TProductionReportForm::OutputFileName(const QString &given, const QString &caption, const QString &filter,
                                              const QString &suffix)
{
    if (!given.isEmpty())
        return given;
    if (FUnattended)
        throw Exception(QStringLiteral("%1: filnamnet saknas på kommandoraden").arg(caption));
    return ReportDialogs::AskSaveFileName(this, caption, filter, suffix);
}

BandLayout::TPreparedReport TProductionReportForm::PrepareReport(const BandLayout::TPageGeometry &geometry) const
{
    return ProductionReportLayout::Prepare(ReportQuery->Rows(), geometry, FPreparedAt);
}

void TProductionReportForm::DeliverReport()
{
    FPreparedAt = QUV::CurrentDateTime();
    if (FExportToExcel) {
        const QString fileName = OutputFileName(FExcelFileName, kExcelCaption, kExcelFilter, QStringLiteral("xlsx"));
        if (!fileName.isEmpty())
            ReportExports::WriteReportXlsx(ReportQuery->Rows(), fileName);
    }
    if (FWritePdf) {
        const QString fileName = OutputFileName(FPdfFileName, kPdfCaption, kPdfFilter, QStringLiteral("pdf"));
        if (!fileName.isEmpty())
            ReportExports::WriteReportPdf(PrepareReport(ProductionReportLayout::DefaultGeometry()), fileName);
    } else if (FDetailed && !FUnattended) {
        ShowPreview();
    }
}

void TProductionReportForm::ShowPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    const BandLayout::TPageGeometry geometry = ProductionReportLayout::DefaultGeometry();
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, geometry.Margins,
                                      QPageLayout::Millimeter));
    printer.setDocName(QStringLiteral("Detaljerad rapport över producerade böcker"));

    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("ReportPreview"));
    preview.setWindowTitle(windowTitle());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &TProductionReportForm::PaintPreview);

    auto *actSavePdf = new QAction(style()->standardIcon(QStyle::SP_DialogSaveButton), kPdfCaption, &preview);
    actSavePdf->setObjectName(QStringLiteral("actSavePdf"));
    connect(actSavePdf, &QAction::triggered, this, [this, &preview, &printer] { SavePdfFromPreview(&preview, &printer); });
    auto *actExportExcel =
        new QAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView), kExcelCaption, &preview);
    actExportExcel->setObjectName(QStringLiteral("actExportExcel"));
    connect(actExportExcel, &QAction::triggered, this, [this, &preview] { ExportFromPreview(&preview); });
    if (auto *toolBar = preview.findChild<QToolBar *>()) {
        toolBar->addSeparator();
        toolBar->addAction(actSavePdf);
        toolBar->addAction(actExportExcel);
    } else {
        preview.addActions({actSavePdf, actExportExcel});
    }

    preview.resize(900, 1000);
    preview.exec();
}

// Laid out afresh for the printer's paper and margins, so a change in the
// page setup shows at once; print and preview paint the same pages.
void TProductionReportForm::PaintPreview(QPrinter *printer)
{
    try {
        BandLayout::PaintReport(*printer, PrepareReport(BandLayout::GeometryOf(*printer)));
    } catch (const std::exception &e) {
        Logger->Send(QStringLiteral("PaintPreview"), e, false);
        QUV::MessageDlg(MessageOf(e), QUV::TMsgDlgType::Error, QUV::mbOK, TVestrelApplication::Title());
    }
}

void TProductionReportForm::SavePdfFromPreview(QWidget *preview, QPrinter *printer)
{
    const QString fileName = ReportDialogs::AskSaveFileName(preview, kPdfCaption, kPdfFilter, QStringLiteral("pdf"));
    if (fileName.isEmpty())
        return;
    try {
        ReportExports::WriteReportPdf(PrepareReport(BandLayout::GeometryOf(*printer)), fileName);
    } catch (const std::exception &e) {
        Logger->Send(QStringLiteral("SavePdf"), e, false);
        QUV::MessageDlg(MessageOf(e), QUV::TMsgDlgType::Error, QUV::mbOK, TVestrelApplication::Title());
    }
}

void TProductionReportForm::ExportFromPreview(QWidget *preview)
{
    const QString fileName =
        ReportDialogs::AskSaveFileName(preview, kExcelCaption, kExcelFilter, QStringLiteral("xlsx"));
    if (fileName.isEmpty())
        return;
    try {
        ReportExports::WriteReportXlsx(ReportQuery->Rows(), fileName);
    } catch (const std::exception &e) {
        Logger->Send(QStringLiteral("ExportToExcel"), e, false);
        QUV::MessageDlg(MessageOf(e), QUV::TMsgDlgType::Error, QUV::mbOK, TVestrelApplication::Title());
    }
}

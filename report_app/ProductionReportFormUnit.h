#pragma once

#include "BandLayout.h"
#include "CommandLine.h"
#include "QUV.Types.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QStringList>
#include <QWidget>

class QLabel;
class QPrinter;
class TReportQuery;

// The report program's one window. It has nothing to operate: once shown it
// reads the command line, runs the report and asks for the end of the
// program (EndRequested), with the exit status of the run:
//   0 the report was shown or written, 1 there was nothing to report,
//   2 the run failed.
class TProductionReportForm : public QWidget
{
    Q_OBJECT
public:
    TProductionReportForm(const QSqlDatabase &connection, const QStringList &arguments,
                          QWidget *parent = nullptr);

    static QString NothingToReport();

    void FormShow();
    // Raises Exception with the conversion error for a bad "-F" or "-T" date.
    void ReadCommandLine();
    void doPrintReport();

    TDate FromDate() const { return FFromDate; }
    TDate ToDate() const { return FToDate; }
    bool Detailed() const { return FDetailed; }
    bool ExportToExcel() const { return FExportToExcel; }
    bool FromLibrary() const { return FFromLibrary; }
    bool Unattended() const { return FUnattended; }
    // -1 until the run has asked for the end of the program.
    int ExitCode() const { return FExitCode; }

signals:
    void EndRequested(int exitCode);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void RequestEnd(int exitCode);
    void DeliverReport();
    QString OutputFileName(const QString &given, const QString &caption, const QString &filter,
                           const QString &suffix);
    BandLayout::TPreparedReport PrepareReport(const BandLayout::TPageGeometry &geometry) const;
    void ShowPreview();
    void PaintPreview(QPrinter *printer);
    void SavePdfFromPreview(QWidget *preview, QPrinter *printer);
    void ExportFromPreview(QWidget *preview);

    QStringList FArguments;
    QLabel *Label1 = nullptr;
    TReportQuery *ReportQuery = nullptr;

    TDate FFromDate = 0;
    TDate FToDate = 0;
    bool FDetailed = false;
    bool FExportToExcel = false;
    bool FFromLibrary = false;
    QString FExcelFileName;
    bool FWritePdf = false;
    QString FPdfFileName;
    bool FUnattended = false;

    QDateTime FPreparedAt;
    bool FShown = false;
    int FExitCode = -1;
};

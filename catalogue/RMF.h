#pragma once

// Unit RMF: job files (".rmf"), the INI-style text that tells the disc robot
// what a title is and, for an order, how many discs of which medium to burn.

#include "QUV.Types.h"

#include <QString>

#include <memory>

// The kind of a generated job; it decides the disc medium.
enum class TRMFType { Audio, Video };

// Medium code written for the kind: "CDR" for Audio, "DVDR" for Video (the
// first two rows of MediaTypes).
QString RMFMediaCode(TRMFType AType);

class IRMF;
// Reference counted; the job is freed with its last reference.
using IRMFPtr = std::shared_ptr<IRMF>;

// Generator of job texts. Every setter returns the same job, so calls chain:
//   TRMF::Create()->SetId(id)->SetTitle(title)->AsString()
class IRMF
{
public:
    virtual ~IRMF() = default;

    virtual IRMFPtr SetId(const QString &AId) = 0;
    virtual IRMFPtr SetTitle(const QString &ATitle) = 0;
    virtual IRMFPtr SetAuthor(const QString &AAuthor) = 0;
    virtual IRMFPtr SetNarrator(const QString &ANarrator) = 0;
    virtual IRMFPtr SetDescription(const QString &ADescription) = 0;
    virtual IRMFPtr SetDuration(TTime ADuration) = 0;
    virtual IRMFPtr SetDiskset(const QString &ADiskset) = 0;
    virtual IRMFPtr SetFormat(const QString &AFormat) = 0;
    virtual IRMFPtr SetDate(TDateTime ADate) = 0;
    virtual IRMFPtr SetLanguage(const QString &ALanguage) = 0;
    virtual IRMFPtr SetType(TRMFType AType) = 0;
    virtual IRMFPtr SetISOFile(const QString &AISOFile) = 0;
    virtual IRMFPtr SetCopies(qint32 ACopies) = 0;

    // The fifteen lines of the job, each ended by CR LF.
    virtual QString AsString() const = 0;
    // AsString in Windows-1252 (no byte-order mark; characters the code page
    // cannot hold become "?"), replacing the file whole through QSaveFile.
    // Raises Exception when the file cannot be created or written.
    virtual void WriteToFile(const QString &AFileName) const = 0;
};

class TRMF final : public IRMF, public std::enable_shared_from_this<TRMF>
{
public:
    // Jobs live only behind IRMFPtr, so that a setter can hand out the job.
    static IRMFPtr Create();

    IRMFPtr SetId(const QString &AId) override;
    IRMFPtr SetTitle(const QString &ATitle) override;
    IRMFPtr SetAuthor(const QString &AAuthor) override;
    IRMFPtr SetNarrator(const QString &ANarrator) override;
    IRMFPtr SetDescription(const QString &ADescription) override;
    IRMFPtr SetDuration(TTime ADuration) override;
    IRMFPtr SetDiskset(const QString &ADiskset) override;
    IRMFPtr SetFormat(const QString &AFormat) override;
    IRMFPtr SetDate(TDateTime ADate) override;
    IRMFPtr SetLanguage(const QString &ALanguage) override;
    IRMFPtr SetType(TRMFType AType) override;
    IRMFPtr SetISOFile(const QString &AISOFile) override;
    IRMFPtr SetCopies(qint32 ACopies) override;

    QString AsString() const override;
    void WriteToFile(const QString &AFileName) const override;

private:
    TRMF() = default;
    IRMFPtr Self();

    QString FId;
    QString FTitle;
    QString FAuthor;
    QString FNarrator;
    QString FDescription;
    QString FDiskset;
    QString FFormat;
    QString FLanguage;
    QString FISOFile;
    TTime FDuration = 0;
    qint32 FCopies = 0;
    TDateTime FDate = 0;
    TRMFType FType = TRMFType::Audio;
};

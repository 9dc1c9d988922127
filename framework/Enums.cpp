#include "Enums.h"

#include "QUV.Helpers.h"
#include "QUV.Misc.h"
#include "QUV.Types.h"
#include "QUV.Windows.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cmath>
#include <limits>

using json = nlohmann::ordered_json;

struct TSettings::TDocument
{
    json Root = json::object();
};

namespace {

std::string Key(const QString &AName)
{
    return AName.toStdString();
}

QString DecodeSettingsText(const QByteArray &ABytes)
{
    // The file is Windows-1252. A UTF-8 byte-order mark (a hand edit in an
    // editor that adds one) is honoured instead of breaking the parse.
    if (ABytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder decoder(QStringConverter::Utf8);
        return decoder(ABytes.mid(3));
    }
    return QUV::FromAnsi(ABytes);
}

} // namespace

TSettings::TSettings() : FDocument(std::make_shared<TDocument>()) {}

TSettings::TSettings(json AJson) : FDocument(std::make_shared<TDocument>())
{
    if (AJson.is_object())
        FDocument->Root = std::move(AJson);
}

TSettings::TSettings(std::shared_ptr<TDocument> ADocument, QStringList ABase)
    : FDocument(std::move(ADocument)), FBase(std::move(ABase))
{
}

TSettingsPtr TSettings::Parse(const QString &AText)
{
    const QByteArray utf8 = AText.toUtf8();
    json parsed;
    try {
        parsed = json::parse(utf8.constData(), utf8.constData() + utf8.size());
    } catch (const json::exception &e) {
        throw Exception(QStringLiteral("Enums.TSettings.Parse failed, %1").arg(QString::fromUtf8(e.what())));
    }
    if (!parsed.is_object())
        throw Exception(QStringLiteral("Enums.TSettings.Parse failed, the text is not a JSON object"));
    return std::make_shared<TSettings>(std::move(parsed));
}

const json *TSettings::Find(const TSettingsPath &APath) const
{
    const json *node = &FDocument->Root;
    for (const QStringList *part : std::initializer_list<const QStringList *>{&FBase, &APath}) {
        for (const QString &name : *part) {
            if (!node->is_object())
                return nullptr;
            auto it = node->find(Key(name));
            if (it == node->end())
                return nullptr;
            node = &*it;
        }
    }
    return node;
}

json &TSettings::Make(const TSettingsPath &APath)
{
    json *node = &FDocument->Root;
    for (const QStringList *part : std::initializer_list<const QStringList *>{&FBase, &APath}) {
        for (const QString &name : *part) {
            if (!node->is_object())
                *node = json::object();
            node = &(*node)[Key(name)];
        }
    }
    return *node;
}

bool TSettings::Has(const TSettingsPath &APath) const
{
    const json *node = Find(APath);
    return node && !node->is_null();
}

QString TSettings::S(const TSettingsPath &APath) const
{
    const json *node = Find(APath);
    if (!node || !node->is_string())
        return QString();
    return QString::fromStdString(node->get_ref<const std::string &>());
}

qint64 TSettings::I64(const TSettingsPath &APath) const
{
    const json *node = Find(APath);
    if (!node)
        return 0;
    if (node->is_number_unsigned()) {
        const auto v = node->get<std::uint64_t>();
        return v > std::uint64_t(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max()
                                                                      : qint64(v);
    }
    if (node->is_number_integer())
        return node->get<std::int64_t>();
    if (node->is_number_float()) {
        const double v = std::trunc(node->get<double>());
        if (std::isnan(v))
            return 0;
        if (v >= 9.2233720368547758e18)
            return std::numeric_limits<qint64>::max();
        if (v <= -9.2233720368547758e18)
            return std::numeric_limits<qint64>::min();
        return qint64(v);
    }
    return 0;
}

int TSettings::I(const TSettingsPath &APath) const
{
    const qint64 v = I64(APath);
    return int(qBound(qint64(std::numeric_limits<int>::min()), v, qint64(std::numeric_limits<int>::max())));
}

bool TSettings::B(const TSettingsPath &APath) const
{
    const json *node = Find(APath);
    return node && node->is_boolean() && node->get<bool>();
}

TSettingsPtr TSettings::O(const TSettingsPath &APath)
{
    json *node = &FDocument->Root;
    for (const QStringList *part : std::initializer_list<const QStringList *>{&FBase, &APath}) {
        for (const QString &name : *part) {
            if (!node->is_object())
                goto done; // a member of another type stands in the way: leave it alone
            auto it = node->find(Key(name));
            if (it == node->end() || it->is_null())
                node = &((*node)[Key(name)] = json::object());
            else
                node = &*it;
        }
    }
done:
    return TSettingsPtr(new TSettings(FDocument, FBase + APath));
}

void TSettings::SetS(const TSettingsPath &APath, const QString &AValue)
{
    if (!APath.isEmpty())
        Make(APath) = AValue.toStdString();
}

void TSettings::SetI(const TSettingsPath &APath, qint64 AValue)
{
    if (!APath.isEmpty())
        Make(APath) = std::int64_t(AValue);
}

void TSettings::SetB(const TSettingsPath &APath, bool AValue)
{
    if (!APath.isEmpty())
        Make(APath) = AValue;
}

bool TSettings::Remove(const TSettingsPath &APath)
{
    if (APath.isEmpty())
        return false;
    const json *parent = Find(APath.mid(0, APath.size() - 1));
    if (!parent || !parent->is_object())
        return false;
    return const_cast<json *>(parent)->erase(Key(APath.last())) > 0;
}

QStringList TSettings::Names() const
{
    QStringList names;
    const json *node = Find({});
    if (node && node->is_object())
        for (auto it = node->begin(); it != node->end(); ++it)
            names << QString::fromStdString(it.key());
    return names;
}

std::vector<std::pair<QString, TSettingsPtr>> TSettings::Members() const
{
    std::vector<std::pair<QString, TSettingsPtr>> members;
    const QStringList names = Names();
    members.reserve(size_t(names.size()));
    for (const QString &name : names)
        members.emplace_back(name, TSettingsPtr(new TSettings(FDocument, FBase + QStringList{name})));
    return members;
}

json TSettings::Json() const
{
    const json *node = Find({});
    return (node && node->is_object()) ? *node : json::object();
}

QString TSettings::AsJSON() const
{
    return QString::fromStdString(Json().dump(2, ' ', false, json::error_handler_t::replace));
}

void TSettings::SaveToFile(const QString &AFileName) const
{
    QString text = AsJSON();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    text += QLatin1String("\r\n");
    const QByteArray bytes = QUV::ToAnsi(text);

    QSaveFile file(AFileName);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("Enums.TSettings.SaveToFile failed, cannot create %1: %2")
                            .arg(AFileName, file.errorString()));
    if (file.write(bytes) != bytes.size())
        throw Exception(QStringLiteral("Enums.TSettings.SaveToFile failed, cannot write %1: %2")
                            .arg(AFileName, file.errorString()));
    if (!file.commit())
        throw Exception(QStringLiteral("Enums.TSettings.SaveToFile failed, cannot write %1: %2")
                            .arg(AFileName, file.errorString()));
}

void TSettings::Save() const
{
    SaveToFile(ConfigFileName());
}

namespace {
QMutex gConfigMutex;
QString &ConfigName()
{
    static QString name;
    return name;
}
} // namespace

QString ConfigFileName()
{
    QMutexLocker lock(&gConfigMutex);
    QString &name = ConfigName();
    if (name.isEmpty())
        name = QUV::AppFolder() + QStringLiteral("morvik.conf");
    return name;
}

void SetConfigFileName(const QString &AFileName)
{
    QMutexLocker lock(&gConfigMutex);
    ConfigName() = AFileName;
}

TSettingsPtr ReadConfigFile()
{
    const QString fileName = ConfigFileName();
    TSettingsPtr result;
    const bool ok = QUV::Retry(3, [&](int, bool &ASuccess) {
        try {
            QFile file(fileName);
            if (!file.exists()) {
                result = std::make_shared<TSettings>();
                ASuccess = true;
                return;
            }
            if (!file.open(QIODevice::ReadOnly))
                throw Exception(QStringLiteral("Enums.ReadConfigFile failed, cannot open %1: %2")
                                    .arg(fileName, file.errorString()));
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                throw Exception(QStringLiteral("Enums.ReadConfigFile failed, cannot read %1: %2")
                                    .arg(fileName, file.errorString()));
            result = TSettings::Parse(DecodeSettingsText(bytes));
            ASuccess = true;
        } catch (const Exception &) {
            QUV::Sleep(500);
        }
    });
    if (!ok)
        throw Exception(QStringLiteral("Misslyckades hämta inställningarna"));
    return result;
}

const TMediaType MediaTypes[5] = {
    {"CDR", "CD"},
    {"DVDR", "DVD"},
    {"DVDR-DL", "DVD Dual Layer"},
    {"DVDR-BD", "BluRay"},
    {"DVDR-DB-DL", "BluRay Dual Layer"},
};

const QStringList &LabelProducerTypes()
{
    static const QStringList types{
        QStringLiteral("{33F6D750-AF51-4126-A5AB-F17EF52ECB15}"),
        QStringLiteral("{EC781D69-E288-42B9-9F0D-DA8C5B8EF80B}"),
        QStringLiteral("{E0701CF6-87B8-4BE3-9355-DC53597C84CB}"),
        QStringLiteral("{4764D6C0-75D6-43BD-B231-04F64D49EBA7}"),
    };
    return types;
}

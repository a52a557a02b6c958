#include "lib/MarshalIniS.h"

#include <QString>

namespace kv {

namespace {

constexpr std::string_view kDbe = "DBE Setting";
constexpr std::string_view kPasswordCtrl = "DBPasswordCtrl";

// One cell of the database settings: a text or an integer setting.
struct Setting {
    std::string_view section;
    std::string_view key;
    std::string_view textDefault;
    int integerDefault = 0;
    bool isInteger = false;
};

constexpr Setting text(std::string_view section, std::string_view key, std::string_view value = {})
{
    return {section, key, value, 0, false};
}

constexpr Setting number(std::string_view section, std::string_view key, int value)
{
    return {section, key, {}, value, true};
}

std::string trimmed(const std::string &value)
{
    return QString::fromStdString(value).trimmed().toStdString();
}

std::string upper(const std::string &value)
{
    return QString::fromStdString(value).toUpper().toStdString();
}

} // namespace

TMarshalIniS::TMarshalIniS()
{
    DBSettings = Variant(VariantArray({0, 3}, {0, 7}));
    if (!locateSettingsFile("ServerPath", "MarshalS.ini"))
        return;

    const IniFile ini = loadSettingsFile("TMarshalIniS.Create");
    readCodePages(ini);
    SupportCallBack = settingIsOn(ini.readString(kPasswordCtrl, "SupportCallBack", "0"));
    computeConvertModes();
    readDatabaseSettings(ini);
    readWorkDLLPaths(ini, "S_PKG/");
    m_read = true;
}

void TMarshalIniS::readDatabaseSettings(const IniFile &ini)
{
    static const Setting table[4][8] = {
        {text(kDbe, "MainAlias", "Nordbay"), text(kDbe, "MainUserName", "sa"), text(kDbe, "MainPassword"),
         text(kDbe, "MainDBType", "MSSQL"), text(kDbe, "MainDBName"), text(kDbe, "MainServerName"),
         number(kDbe, "MainConnectionTimeOut", 300), number(kDbe, "MainCommandTimeOut", 3000)},
        {text(kDbe, "TempAlias", "NordbayTemp"), text(kDbe, "TempUserName", "sa"), text(kDbe, "TempPassword"),
         text(kDbe, "TempDBType", "PARADOX"), text(kDbe, "TempDBName"), text(kDbe, "TempDriverName", "PostgreSQL"),
         number(kDbe, "TempConnectionTimeOut", 300), number(kDbe, "TempCommandTimeOut", 3000)},
        {text(kPasswordCtrl, "ComputerName"), number(kPasswordCtrl, "ServerPort", 211),
         number(kPasswordCtrl, "ClientSocketPort", 1024),
         text(kDbe, "DataBaseCodeOrder", "Chinese_Taiwan_Stroke_BIN")},
        {text(kDbe, "EctAlias", "EDIDATA"), text(kDbe, "EctUserName", "sa"), text(kDbe, "EctPassword")},
    };

    VariantArray &cells = DBSettings.array();
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 8; ++column) {
            const Setting &setting = table[row][column];
            if (setting.key.empty())
                continue;
            cells.at(row, column) = setting.isInteger
                                        ? Variant(ini.readInteger(setting.section, setting.key, setting.integerDefault))
                                        : Variant(ini.readString(setting.section, setting.key, setting.textDefault));
        }
    }
    cells.at(2, 0) = Variant(trimmed(cells.at(2, 0).toText()));

    const std::string mainType = upper(cells.at(0, 3).toText());
    DBKind = mainType == "ORACLE" ? 1 : mainType == "DB2" ? 2 : 0;

    const std::string mainServer = cells.at(0, 5).toText();
    SystemControlAddress = trimmed(ini.readString(kDbe, "SystemControlAddress", ""));
    if (SystemControlAddress.empty())
        SystemControlAddress = mainServer;
    OtherSystemControlAddress = trimmed(ini.readString(kDbe, "OtherSystemControlAddress", ""));
    if (OtherSystemControlAddress.empty())
        OtherSystemControlAddress = mainServer;
}

} // namespace kv

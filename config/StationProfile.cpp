#include "config/StationProfile.h"

#include <system_error>

#include "config/IniFile.h"
#include "config/ProfileKeys.h"

namespace {

template <class Section, std::size_t N>
void ReadSection(const IniFile& ini, std::string_view sectionName,
                 const std::array<profile_keys::ProfileKey<Section>, N>& keys, Section& fields)
{
    for (const auto& key : keys)
        fields.*key.field = ini.Get(sectionName, key.name, key.bufferSize);
}

} // namespace

std::filesystem::path StationProfilePath()
{
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::current_path(error);
    if (error)
        return kStationProfileFileName;
    return directory / kStationProfileFileName;
}

StationProfile LoadStationProfileFile(const std::filesystem::path& file)
{
    const IniFile ini(file);
    StationProfile profile;
    profile.path = file.string();
    ReadSection(ini, profile_keys::kStationName, profile_keys::kStation, profile.station);
    ReadSection(ini, profile_keys::kOnekeyName, profile_keys::kOnekey, profile.onekey);
    ReadSection(ini, profile_keys::kReadFromDbName, profile_keys::kReadFromDb, profile.readFromDb);
    ReadSection(ini, profile_keys::kLockPnName, profile_keys::kLockPn, profile.lockPn);
    ReadSection(ini, profile_keys::kWriteOptionsName, profile_keys::kWriteOptions, profile.writeOptions);
    ReadSection(ini, profile_keys::kResultDbName, profile_keys::kResultDb, profile.resultDb);
    ReadSection(ini, profile_keys::kMesName, profile_keys::kMes, profile.mes);
    ReadSection(ini, profile_keys::kOperatorName, profile_keys::kOperator, profile.operatorSignIn);
    profile.delaySeconds = ParseDelaySeconds(profile.onekey.delayTimeBeforeResetOrRestore);
    return profile;
}

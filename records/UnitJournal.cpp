#include "records/UnitJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>

#include <nlohmann/json.hpp>

#include "records/JournalEvent.h"

namespace {

using json = nlohmann::json;

constexpr const char* kUnitsFolder = "units";
constexpr const char* kJournalExtension = ".jsonl";
constexpr mode_t kJournalFileMode = 0644;

// Field names of a journal line.
namespace key {
constexpr const char* kStation = "station";
constexpr const char* kSlot = "slot";
constexpr const char* kSn = "sn";
constexpr const char* kMac = "mac";
constexpr const char* kImei = "imei";
constexpr const char* kPcbaSn = "pcba_sn";
constexpr const char* kTestStart = "test_start";
constexpr const char* kTestEnd = "test_end";
constexpr const char* kRecorded = "recorded";
constexpr const char* kVerdict = "verdict";
constexpr const char* kStored = "stored";
constexpr const char* kRefusal = "refusal";
constexpr const char* kMaintenance = "maintenance";
constexpr const char* kItems = "items";
constexpr const char* kName = "name";
constexpr const char* kResult = "result";
constexpr const char* kValues = "values";
constexpr const char* kReference = "reference";
constexpr const char* kDurationMs = "duration_ms";
constexpr const char* kStartMs = "start_ms";
constexpr const char* kPending = "pending";
constexpr const char* kDtime = "dtime";
constexpr const char* kRecovered = "recovered";
constexpr const char* kOperator = "operator";
constexpr const char* kTransactionId = "transactionId";
constexpr const char* kValidation = "validation";
}  // namespace key

std::tm LocalTime(JournalClock::time_point t)
{
    const std::time_t seconds = JournalClock::to_time_t(t);
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

// Local time as ISO 8601 with milliseconds and the UTC offset:
// 2026-12-07T08:41:05.250+01:00.
std::string IsoTime(JournalClock::time_point t)
{
    const std::tm local = LocalTime(t);
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch());
    const long long millis = ((sinceEpoch.count() % 1000) + 1000) % 1000;
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long absOffset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03lld%c%02ld:%02ld", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, millis,
                  offsetMinutes < 0 ? '-' : '+', absOffset / 60, absOffset % 60);
    return text;
}

std::optional<JournalClock::time_point> ParseIsoTime(const std::string& text)
{
    int year, month, day, hour, minute, second, millis, offsetHours, offsetMinutes;
    char sign;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c%2d:%2d%n", &year, &month, &day, &hour, &minute,
                    &second, &millis, &sign, &offsetHours, &offsetMinutes, &consumed) != 10 ||
        static_cast<size_t>(consumed) != text.size() || (sign != '+' && sign != '-'))
        return std::nullopt;
    std::tm utc{};
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    utc.tm_sec = second;
    const long offset = (offsetHours * 60L + offsetMinutes) * 60L * (sign == '-' ? -1 : 1);
    const std::time_t seconds = timegm(&utc) - offset;
    return JournalClock::from_time_t(seconds) + std::chrono::milliseconds(millis);
}

json OptionalTime(const std::optional<JournalClock::time_point>& t)
{
    return t ? json(IsoTime(*t)) : json(nullptr);
}

std::optional<JournalClock::time_point> ReadOptionalTime(const json& value)
{
    if (value.is_null())
        return std::nullopt;
    auto t = ParseIsoTime(value.get<std::string>());
    if (!t)
        throw std::invalid_argument("bad time");
    return t;
}

json ItemJson(const JournalItem& item)
{
    return json{{key::kName, item.name},
                {key::kResult, item.result},
                {key::kValues, item.values},
                {key::kReference, item.reference},
                {key::kDurationMs, item.durationMs},
                {key::kStartMs, item.startMs}};
}

std::string ErrnoText(const std::string& what, const std::filesystem::path& path)
{
    return what + " " + path.string() + ": " + std::strerror(errno);
}

// True when the file is empty or its last byte is a line feed.
bool EndsWithLineFeed(int fd)
{
    const off_t size = lseek(fd, 0, SEEK_END);
    if (size <= 0)
        return true;
    char last = 0;
    return pread(fd, &last, 1, size - 1) == 1 && last == '\n';
}

// Makes a newly created file's name durable too.
void SyncFolder(const std::filesystem::path& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

}  // namespace

std::filesystem::path UnitJournalPath(const std::filesystem::path& dir, JournalClock::time_point recorded)
{
    const std::tm local = LocalTime(recorded);
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d%s", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  kJournalExtension);
    return dir / kUnitsFolder / name;
}

std::string JournalTimeText(JournalClock::time_point t)
{
    return IsoTime(t);
}

std::optional<JournalClock::time_point> ParseJournalTime(const std::string& text)
{
    return ParseIsoTime(text);
}

std::string UnitJournalLine(const UnitJournalEntry& entry)
{
    json items = json::array();
    for (const auto& item : entry.items)
        items.push_back(ItemJson(item));
    json line{{key::kStation, entry.station},
                    {key::kSlot, entry.slot},
                    {key::kSn, entry.sn},
                    {key::kMac, entry.mac},
                    {key::kImei, entry.imei},
                    {key::kPcbaSn, entry.pcbaSn},
                    {key::kTestStart, OptionalTime(entry.testStart)},
                    {key::kTestEnd, OptionalTime(entry.testEnd)},
                    {key::kRecorded, IsoTime(entry.recorded)},
                    {key::kVerdict, entry.verdict},
                    {key::kStored, entry.stored},
                    {key::kRefusal, entry.refusal},
                    {key::kMaintenance, entry.maintenance},
                    {key::kItems, items}};
    // Only the lines that are not plain units carry these.
    if (entry.pending) {
        line[key::kPending] = true;
        line[key::kDtime] = entry.dtime;
    }
    if (entry.recovered)
        line[key::kRecovered] = true;
    // Optional fields stay out of the line when empty: readers of lines
    // written before them see nothing new.
    if (!entry.operatorId.empty())
        line[key::kOperator] = entry.operatorId;
    if (!entry.transactionId.empty())
        line[key::kTransactionId] = entry.transactionId;
    if (!entry.validation.empty())
        line[key::kValidation] = entry.validation;
    return line.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

bool AppendUnitJournal(const std::filesystem::path& dir, const UnitJournalEntry& entry, std::string* error,
                       JournalPosition* position)
{
    return AppendUnitJournalLine(dir, entry.recorded, UnitJournalLine(entry), error, position);
}

bool AppendUnitJournalLine(const std::filesystem::path& dir, JournalClock::time_point recorded,
                           const std::string& wholeLine, std::string* error, JournalPosition* position)
{
    const std::filesystem::path file = UnitJournalPath(dir, recorded);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) {
        *error = "cannot create " + file.parent_path().string() + ": " + ec.message();
        return false;
    }
    const bool existed = std::filesystem::exists(file, ec);
    const int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kJournalFileMode);
    if (fd < 0) {
        *error = ErrnoText("cannot open", file);
        return false;
    }
    const std::string line = EndsWithLineFeed(fd) ? wholeLine : "\n" + wholeLine;
    const ssize_t written = write(fd, line.data(), line.size());
    bool ok = written == static_cast<ssize_t>(line.size());
    if (!ok)
        *error = written < 0 ? ErrnoText("cannot write", file) : "short write to " + file.string() + " (disk full?)";
    if (ok && fsync(fd) != 0) {
        *error = ErrnoText("cannot sync", file);
        ok = false;
    }
    if (ok && position) {
        // O_APPEND leaves the offset just past what this write appended.
        position->file = file.filename().string();
        position->offset = lseek(fd, 0, SEEK_CUR);
    }
    close(fd);
    if (!existed)
        SyncFolder(file.parent_path());
    return ok;
}

std::optional<UnitJournalEntry> ParseUnitJournalLine(const std::string& line)
{
    const json value = json::parse(line, nullptr, false);
    if (value.is_discarded() || !value.is_object())
        return std::nullopt;
    try {
        UnitJournalEntry entry;
        entry.station = value.at(key::kStation).get<std::string>();
        // Absent from lines written before the journal named the slot.
        entry.slot = value.value(key::kSlot, 0);
        entry.sn = value.at(key::kSn).get<std::string>();
        entry.mac = value.at(key::kMac).get<std::string>();
        entry.imei = value.at(key::kImei).get<std::string>();
        entry.pcbaSn = value.at(key::kPcbaSn).get<std::string>();
        entry.testStart = ReadOptionalTime(value.at(key::kTestStart));
        entry.testEnd = ReadOptionalTime(value.at(key::kTestEnd));
        const auto recorded = ParseIsoTime(value.at(key::kRecorded).get<std::string>());
        if (!recorded)
            return std::nullopt;
        entry.recorded = *recorded;
        entry.verdict = value.at(key::kVerdict).get<std::string>();
        entry.stored = value.at(key::kStored).get<bool>();
        entry.refusal = value.at(key::kRefusal).get<std::string>();
        entry.maintenance = value.at(key::kMaintenance).get<bool>();
        entry.pending = value.value(key::kPending, false);
        entry.dtime = value.value(key::kDtime, std::string());
        entry.recovered = value.value(key::kRecovered, false);
        entry.operatorId = value.value(key::kOperator, std::string());
        entry.transactionId = value.value(key::kTransactionId, std::string());
        for (const auto& item : value.at(key::kItems)) {
            entry.items.push_back({item.at(key::kName).get<std::string>(), item.at(key::kResult).get<std::string>(),
                                   item.at(key::kValues).get<std::vector<std::string>>(),
                                   item.at(key::kReference).get<std::string>(),
                                   item.at(key::kDurationMs).get<int64_t>(),
                                   // Absent from lines written before items had start times.
                                   item.value(key::kStartMs, int64_t {0})});
        }
        // Absent from lines of stations that do not ask the MES.
        entry.validation = value.value(key::kValidation, std::string());
        return entry;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

UnitJournalRead ReadUnitJournal(const std::filesystem::path& file)
{
    UnitJournalRead read;
    std::ifstream in(file, std::ios::binary);
    read.opened = static_cast<bool>(in);
    for (std::string line; std::getline(in, line);) {
        if (line.empty())
            continue;
        auto entry = ParseUnitJournalLine(line);
        if (!entry) {
            if (!IsJournalEventLine(line))
                ++read.skippedLines;
        } else if (entry->pending)
            ++read.pendingLines;
        else
            read.entries.push_back(std::move(*entry));
    }
    return read;
}

std::vector<std::filesystem::path> UnitJournalFiles(const std::filesystem::path& dir)
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(dir / kUnitsFolder, ec)) {
        if (item.path().extension() == kJournalExtension)
            files.push_back(item.path());
    }
    // Day names (YYYY-MM-DD) sort as the days do.
    std::sort(files.begin(), files.end());
    return files;
}

bool SameJournalUnit(const UnitJournalEntry& a, const UnitJournalEntry& b)
{
    // At the journal's precision: one side may not have been read back yet.
    using std::chrono::floor;
    using std::chrono::milliseconds;
    return a.slot == b.slot && floor<milliseconds>(a.recorded) == floor<milliseconds>(b.recorded) && a.sn == b.sn;
}

JournalPosition UnitJournalEnd(const std::filesystem::path& dir)
{
    const auto files = UnitJournalFiles(dir);
    if (files.empty())
        return {};
    std::error_code ec;
    const auto size = std::filesystem::file_size(files.back(), ec);
    return {files.back().filename().string(), ec ? 0 : static_cast<int64_t>(size)};
}

namespace {

// Calls `found` with each whole line from `offset` on (and not past
// `until`, when at or above zero) and the position it ends at.
bool ReadWholeLines(const std::filesystem::path& file, int64_t offset, int64_t until,
                    const std::function<void(const std::string&, const JournalPosition&)>& found)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    in.seekg(offset);
    JournalPosition position {file.filename().string(), offset};
    std::string line;
    while (std::getline(in, line)) {
        if (in.eof())
            break;  // no line feed yet: not a whole line
        if (until >= 0 && position.offset + static_cast<int64_t>(line.size()) + 1 > until)
            break;
        position.offset += static_cast<int64_t>(line.size()) + 1;
        if (!line.empty())
            found(line, position);
    }
    return true;
}

// Reads the head's fields of a line's outer object and skips the rest
// (the items) without building it.
class HeadReader : public nlohmann::json_sax<json> {
public:
    explicit HeadReader(JournalLineHead& head)
        : head_(head)
    {
    }

    bool Whole() const { return (seen_ & kAllSeen) == kAllSeen; }

    bool null() override { return true; }
    bool boolean(bool value) override
    {
        if (depth_ == 1) {
            if (key_ == key::kStored) {
                head_.stored = value;
                seen_ |= kStoredSeen;
            } else if (key_ == key::kPending)
                head_.pending = value;
            else if (key_ == key::kRecovered)
                head_.recovered = value;
        }
        return true;
    }
    bool number_integer(number_integer_t value) override
    {
        if (depth_ == 1 && key_ == key::kSlot) {
            head_.slot = static_cast<int>(value);
            seen_ |= kSlotSeen;
        }
        return true;
    }
    bool number_unsigned(number_unsigned_t value) override
    {
        return number_integer(static_cast<number_integer_t>(value));
    }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t& value) override
    {
        if (depth_ == 1 && key_ == key::kSn) {
            head_.sn = std::move(value);
            seen_ |= kSnSeen;
        } else if (depth_ == 1 && key_ == key::kRecorded) {
            head_.recorded = std::move(value);
            seen_ |= kRecordedSeen;
        }
        return true;
    }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override
    {
        ++depth_;
        return true;
    }
    bool key(string_t& value) override
    {
        if (depth_ == 1)
            key_ = std::move(value);
        return true;
    }
    bool end_object() override
    {
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override
    {
        ++depth_;
        return true;
    }
    bool end_array() override
    {
        --depth_;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    // The slot is absent from lines written before the journal named it.
    static constexpr unsigned kSlotSeen = 1, kSnSeen = 2, kRecordedSeen = 4, kStoredSeen = 8;
    static constexpr unsigned kAllSeen = kSnSeen | kRecordedSeen | kStoredSeen;

    JournalLineHead& head_;
    int depth_ = 0;
    std::string key_;
    unsigned seen_ = 0;
};

}  // namespace

std::optional<JournalLineHead> ParseUnitJournalHead(const std::string& line)
{
    JournalLineHead head;
    HeadReader reader(head);
    if (line.empty() || line.front() != '{' || !json::sax_parse(line, &reader) || !reader.Whole())
        return std::nullopt;
    return head;
}

bool ReadUnitJournalHeadsFrom(
    const std::filesystem::path& file, int64_t offset,
    const std::function<void(const std::string& line, const JournalLineHead&, const JournalPosition&)>& found,
    int64_t until, const std::function<void(const std::string&, const JournalPosition&)>& other)
{
    return ReadWholeLines(file, offset, until, [&](const std::string& line, const JournalPosition& position) {
        if (const auto head = ParseUnitJournalHead(line))
            found(line, *head, position);
        else if (other)
            other(line, position);
    });
}

bool ReadUnitJournalFrom(const std::filesystem::path& file, int64_t offset,
                         const std::function<void(UnitJournalEntry&&, const JournalPosition&)>& found, int64_t until,
                         const std::function<void(const std::string&, const JournalPosition&)>& other)
{
    return ReadWholeLines(file, offset, until, [&](const std::string& line, const JournalPosition& position) {
        if (auto entry = ParseUnitJournalLine(line))
            found(std::move(*entry), position);
        else if (other)
            other(line, position);
    });
}

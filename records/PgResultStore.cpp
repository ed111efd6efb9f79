// The line-wide result store on PostgreSQL. One table, SNTable, holds every
// station's rows: the columns of the local files under the same names, plus
// ID (store order), VERDICT (PASS or FAIL), STATION and STORED_AT.
//
// Each store is one transaction that first takes an advisory lock on each
// of the unit's non-empty identities (in ascending key order, so two stores
// never wait on each other in a circle). Two stations storing the same unit
// at once are thereby serialised: the second sees the first's row and is
// refused with the duplicate message.
#include "records/PgResultStore.h"

#include <pqxx/pqxx>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <filesystem>
#include <utility>
#include <vector>

#include "records/LineConnection.h"
#include "records/LineSummaries.h"
#include "records/LineText.h"
#include "records/SocketDeadline.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Server errors a bounded wait ends with.
constexpr std::string_view kLockNotAvailable = "55P03";
constexpr std::string_view kQueryCanceled = "57014";
// The lock that lets only one station create the table and its summaries.
constexpr long long kSchemaLockKey = kLineSchemaLockKey;

// The column definitions of the local SNTable, as the files declare them.
std::string ResultColumnDefinitions()
{
    const std::string create = kCreateResultTable;
    const auto open = create.find('(');
    const auto close = create.rfind(')');
    return create.substr(open + 1, close - open - 1);
}

std::string CreateTableStatement()
{
    std::string statement = std::string("CREATE TABLE ") + kResultTable +
                            "(ID BIGSERIAL PRIMARY KEY,VERDICT VARCHAR(10) NOT NULL,STATION VARCHAR(40) NOT NULL,"
                            "STORED_AT TIMESTAMPTZ NOT NULL DEFAULT now()," +
                            ResultColumnDefinitions() + ");";
    for (Column key : kDuplicateKeys) {
        const std::string column = kColumnNames[static_cast<size_t>(key)];
        statement += "CREATE INDEX " + std::string(kResultTable) + "_" + column + " ON " + kResultTable +
                     "(VERDICT," + column + ",ID);";
    }
    return statement;
}

// `withOperator`: the row's operator as the last value.
std::string InsertStatement(bool withOperator)
{
    std::string columns = "VERDICT,STATION";
    std::string values = "$1,$2";
    for (size_t i = 0; i < kColumnCount; ++i) {
        columns += std::string(",") + kColumnNames[i];
        values += ",$" + std::to_string(i + 3);
    }
    if (withOperator) {
        columns += std::string(",") + kOperatorColumn;
        values += ",$" + std::to_string(kColumnCount + 3);
    }
    return std::string("INSERT INTO ") + kResultTable + " (" + columns + ") VALUES (" + values + ")";
}

// A lock key for one identity of one verdict: FNV-1a over the texts, the
// same in every station whatever its build.
long long IdentityLockKey(const std::string& verdict, Column key, const std::string& value)
{
    std::uint64_t hash = 14695981039346656037ULL;
    const auto mix = [&hash](const std::string& text) {
        for (unsigned char c : text) {
            hash ^= c;
            hash *= 1099511628211ULL;
        }
        hash ^= 0xFF;  // separator
        hash *= 1099511628211ULL;
    };
    mix(verdict);
    mix(kColumnNames[static_cast<size_t>(key)]);
    mix(value);
    return static_cast<long long>(hash);
}

class PgResultStore;

class PgStoreTransaction final : public StoreTransaction {
public:
    PgStoreTransaction(PgResultStore& store, std::shared_ptr<pqxx::connection> connection,
                       std::shared_ptr<SocketDeadline> deadline, std::string verdict);
    ~PgStoreTransaction() override;

    std::optional<Column> FindDuplicate(const ResultRow& row) override;
    void Insert(const ResultRow& row) override;
    bool Commit() override;

private:
    void LockIdentities(const ResultRow& row);
    // The store has ended on the server: the deadline may no longer cut
    // the connection, which the next store uses.
    void EndDeadline();
    // Runs `work`, turning the engine's errors into StoreError.
    template <class Work>
    auto Guarded(Work work) -> decltype(work());

    PgResultStore& store_;
    // Kept alive until the transaction has ended, even when the store has
    // given the connection up.
    std::shared_ptr<pqxx::connection> connection_;
    // Watches the connection from before the transaction begins until it
    // has ended.
    std::shared_ptr<SocketDeadline> deadline_;
    pqxx::work work_;
    std::string verdict_;
    bool locked_ = false;
    bool committed_ = false;
};

class PgResultStore final : public ResultStore {
public:
    PgResultStore(std::string connection, std::string station, milliseconds deadline, bool withOperator)
        : refusal_(ConnectionRefusal(connection))
        , connection_(WithLineDefaults(connection))
        , station_(LineText(std::move(station)))
        , deadline_(deadline)
        , withOperator_(withOperator)
    {
    }

    std::unique_ptr<StoreTransaction> Begin(const std::string& location) override
    {
        if (!refusal_.empty())
            throw StoreError(refusal_);
        const std::string verdict = std::filesystem::path(location).stem().string();
        const auto started = steady_clock::now();
        // Declared first, so that the connection stays open until the
        // deadline watching its socket has ended.
        std::shared_ptr<pqxx::connection> session = session_;
        std::shared_ptr<SocketDeadline> deadline;
        try {
            if (!session || !session->is_open()) {
                session_.reset();
                session = std::make_shared<pqxx::connection>(connection_);
                deadline = Deadline(*session, started, deadline_);
                pqxx::nontransaction(*session).exec(kLineSessionSettings);
                session_ = session;
                tableKnown_ = false;
            }
            if (!deadline)
                deadline = Deadline(*session, started, deadline_);
            if (!tableKnown_) {
                created_ = CreateTableIfMissing(*session) || created_;
                if (withOperator_)
                    AddOperatorColumnIfMissing(*session);
                tableKnown_ = true;
            }
            return std::make_unique<PgStoreTransaction>(*this, session, deadline, verdict);
        } catch (const StoreError&) {
            throw;
        } catch (const std::exception& error) {
            const bool late = deadline && deadline->Passed();
            deadline.reset();
            throw Failure(error, late);
        }
    }

    // On a connection of its own, so that it may run beside the stores of
    // another thread; bounded by the store's deadline.
    bool Holds(const std::string& location, const ResultRow& row) override
    {
        if (!refusal_.empty())
            throw StoreError(refusal_);
        const std::string verdict = std::filesystem::path(location).stem().string();
        const auto started = steady_clock::now();
        try {
            pqxx::connection session(connection_);
            const auto deadline = Deadline(session, started, deadline_);
            try {
                pqxx::work work(session);
                if (work.exec1(std::string("SELECT to_regclass('") + kResultTable + "') IS NULL")[0].as<bool>())
                    return false;
                const pqxx::result found = work.exec_params(
                    std::string("SELECT 1 FROM ") + kResultTable + " WHERE VERDICT = $1 AND STATION = $2 AND " +
                        kColumnNames[static_cast<size_t>(Column::Sn)] + " = $3 AND " +
                        kColumnNames[static_cast<size_t>(Column::Dtime)] + " = $4 LIMIT 1",
                    verdict, station_, LineText(row[Column::Sn]), LineText(row[Column::Dtime]));
                deadline->Disarm();
                return !found.empty();
            } catch (const std::exception&) {
                if (deadline->Passed())
                    throw StoreError("the line database did not answer within " +
                                     std::to_string(deadline_.count() / 1000) + " s");
                throw;
            }
        } catch (const StoreError&) {
            throw;
        } catch (const std::exception& error) {
            std::string reason = error.what();
            while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
                reason.pop_back();
            throw StoreError("the line database cannot be reached: " + reason);
        }
    }

    // The operator's sentence for an engine error; a lost connection is
    // dropped so that the next store connects again.
    // `late`: the store's deadline had passed.
    StoreError Failure(const std::exception& error, bool late)
    {
        std::string reason = error.what();
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
            reason.pop_back();
        if (dynamic_cast<const pqxx::in_doubt_error*>(&error)) {
            session_.reset();
            return StoreError("the connection to the line database was lost while the unit was being stored; "
                              "check on the server whether it was stored (" + reason + ")");
        }
        if (late) {
            session_.reset();
            return StoreError("the line database did not answer within " + std::to_string(deadline_.count() / 1000) +
                              " s; the connection was abandoned and nothing was stored");
        }
        if (const auto* sql = dynamic_cast<const pqxx::sql_error*>(&error)) {
            if (sql->sqlstate() == kLockNotAvailable || sql->sqlstate() == kQueryCanceled)
                return StoreError("the line database did not finish the store within 5 s (another station may be "
                                  "storing a unit with the same identities); nothing was stored, press TEST FINISH "
                                  "again (" + reason + ")");
        }
        if (dynamic_cast<const pqxx::broken_connection*>(&error) || !session_ || !session_->is_open()) {
            session_.reset();
            return StoreError("the line database cannot be reached: " + reason);
        }
        return StoreError("the line database refused the store: " + reason);
    }

    const std::string& Station() const { return station_; }
    bool WithOperator() const { return withOperator_; }

    // True once after this store created the table: the commit that
    // reports it.
    bool TakeCreated() { return std::exchange(created_, false); }

    // A store's deadline shut `session` down: the next store connects anew.
    void ForgetCutSession(const std::shared_ptr<pqxx::connection>& session)
    {
        if (session_ == session)
            session_.reset();
    }

private:
    // The whole store's deadline `whole`, counted from `started`, on
    // `session`'s socket.
    static std::shared_ptr<SocketDeadline> Deadline(const pqxx::connection& session, steady_clock::time_point started,
                                                    milliseconds whole)
    {
        const auto left = whole - std::chrono::duration_cast<milliseconds>(steady_clock::now() - started);
        return std::make_shared<SocketDeadline>(session.sock(), std::max(left, milliseconds(0)));
    }

    // Creates the table unless another station has, and its summaries on a
    // table made without them while it is small enough. The check runs in a
    // transaction begun after the lock was granted, so that it sees the
    // table a station that held the lock before has committed.
    static bool CreateTableIfMissing(pqxx::connection& session)
    {
        bool created = false;
        UnderSchemaLock(session, [&](pqxx::work& work) {
            if (work.exec1(std::string("SELECT to_regclass('") + kResultTable + "') IS NULL")[0].as<bool>()) {
                work.exec(CreateTableStatement());
                created = true;
            }
            EnsureLineSummaries(work);
        });
        return created;
    }

    // Adds OPERATOR to a table that lacks it. The look comes first, so that
    // a table that has it is never locked for the change; it is made again
    // under the schema lock, which a station that added the column held
    // until its change committed.
    static void AddOperatorColumnIfMissing(pqxx::connection& session)
    {
        const std::string lookup = std::string("SELECT EXISTS (SELECT 1 FROM pg_attribute WHERE attrelid = to_regclass('") +
                                   kResultTable + "') AND attname = lower('" + kOperatorColumn +
                                   "') AND NOT attisdropped)";
        if (pqxx::nontransaction(session).exec1(lookup)[0].as<bool>())
            return;
        UnderSchemaLock(session, [&](pqxx::work& work) {
            if (!work.exec1(lookup)[0].as<bool>())
                work.exec(std::string("ALTER TABLE ") + kResultTable + " ADD COLUMN IF NOT EXISTS " + kOperatorColumn +
                          " VARCHAR(" + std::to_string(kOperatorColumnLength) + ")");
        });
    }

    // Runs `change` in a transaction of its own, committed while this
    // session holds the lock that serialises the stations' schema changes.
    template <class Change>
    static void UnderSchemaLock(pqxx::connection& session, Change change)
    {
        const std::string key = std::to_string(kSchemaLockKey);
        pqxx::nontransaction(session).exec("SELECT pg_advisory_lock(" + key + ")");
        const auto unlock = [&] { pqxx::nontransaction(session).exec("SELECT pg_advisory_unlock(" + key + ")"); };
        try {
            pqxx::work work(session);
            change(work);
            work.commit();
        } catch (const pqxx::broken_connection&) {
            throw;  // the server has let go of the lock with the session
        } catch (const std::exception&) {
            unlock();
            throw;
        }
        unlock();
    }

    bool tableKnown_ = false;
    bool created_ = false;
    std::string refusal_;  // why the connection string may not be used
    std::string connection_;
    std::string station_;
    milliseconds deadline_;  // of each whole store
    bool withOperator_;
    std::shared_ptr<pqxx::connection> session_;
};

PgStoreTransaction::PgStoreTransaction(PgResultStore& store, std::shared_ptr<pqxx::connection> connection,
                                       std::shared_ptr<SocketDeadline> deadline, std::string verdict)
    : store_(store)
    , connection_(std::move(connection))
    , deadline_(std::move(deadline))
    , work_(*connection_)
    , verdict_(std::move(verdict))
{
}

PgStoreTransaction::~PgStoreTransaction()
{
    // The rollback still runs under the deadline; the deadline ends with it.
    if (!committed_) {
        try {
            work_.abort();
        } catch (const std::exception&) {
        }
    }
    EndDeadline();
}

void PgStoreTransaction::EndDeadline()
{
    if (deadline_->Disarm())
        store_.ForgetCutSession(connection_);
}

template <class Work>
auto PgStoreTransaction::Guarded(Work work) -> decltype(work())
{
    try {
        return work();
    } catch (const std::exception& error) {
        throw store_.Failure(error, deadline_->Passed());
    }
}

void PgStoreTransaction::LockIdentities(const ResultRow& row)
{
    if (locked_)
        return;
    std::vector<long long> keys;
    for (Column key : kDuplicateKeys) {
        if (!row[key].empty())
            keys.push_back(IdentityLockKey(verdict_, key, LineText(row[key])));
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::string statement;
    for (long long key : keys)
        statement += "SELECT pg_advisory_xact_lock(" + std::to_string(key) + ");";
    if (!statement.empty())
        work_.exec(statement);
    locked_ = true;
}

std::optional<Column> PgStoreTransaction::FindDuplicate(const ResultRow& row)
{
    return Guarded([&]() -> std::optional<Column> {
        LockIdentities(row);
        // One query: per non-empty identity its first row; of those the
        // earliest, and within one row the first identity in key order.
        std::vector<std::string> values {verdict_};
        std::string query;
        for (size_t k = 0; k < std::size(kDuplicateKeys); ++k) {
            const Column key = kDuplicateKeys[k];
            if (row[key].empty())
                continue;
            values.push_back(LineText(row[key]));
            query += std::string(query.empty() ? "" : " UNION ALL ") + "(SELECT ID, " + std::to_string(k) +
                     " AS KEY FROM " + kResultTable + " WHERE VERDICT = $1 AND " +
                     kColumnNames[static_cast<size_t>(key)] + " = $" + std::to_string(values.size()) +
                     " ORDER BY ID LIMIT 1)";
        }
        if (query.empty())
            return std::nullopt;
        const pqxx::result first =
            work_.exec_params("SELECT ID, KEY FROM (" + query + ") AS FIRSTS ORDER BY ID, KEY LIMIT 1", pqxx::prepare::make_dynamic_params(values));
        if (first.empty())
            return std::nullopt;
        return kDuplicateKeys[first[0][1].as<size_t>()];
    });
}

void PgStoreTransaction::Insert(const ResultRow& row)
{
    Guarded([&] {
        LockIdentities(row);
        std::vector<std::string> values {verdict_, store_.Station()};
        for (size_t i = 0; i < kColumnCount; ++i)
            values.push_back(LineText(row[static_cast<Column>(i)]));
        if (store_.WithOperator())
            values.push_back(LineText(row.operatorId));
        work_.exec_params(InsertStatement(store_.WithOperator()), pqxx::prepare::make_dynamic_params(values));
    });
}

bool PgStoreTransaction::Commit()
{
    Guarded([&] { work_.commit(); });
    committed_ = true;
    EndDeadline();
    return store_.TakeCreated();
}

}  // namespace

std::unique_ptr<ResultStore> MakePgResultStore(std::string connection, std::string station,
                                               std::chrono::milliseconds deadline, bool withOperator)
{
    return std::make_unique<PgResultStore>(std::move(connection), std::move(station), deadline, withOperator);
}

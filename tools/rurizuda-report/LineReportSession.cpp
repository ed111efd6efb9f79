#include "tools/rurizuda-report/LineReportSession.h"

#include "records/LineConnection.h"
#include "records/ResultRow.h"

namespace {

std::string OneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// The server's side of the keepalives, as the station's session sets them.
constexpr const char* kServerKeepalives =
    "SET tcp_keepalives_idle = 5; SET tcp_keepalives_interval = 2; SET tcp_keepalives_count = 3; "
    "SET tcp_user_timeout = 10000; SET standard_conforming_strings = on; "
    // The page's queries are short: compiling them would cost more than it saves.
    "SET jit = off; ";

}  // namespace

std::unique_ptr<pqxx::connection> OpenReportSession(const std::string& url, SessionUse use)
{
    const std::string refusal = ConnectionRefusal(url);
    if (!refusal.empty())
        throw ReportError("--db: " + refusal);
    const std::string seconds = "'" + std::to_string(kReportStatementSeconds) + "s'";
    try {
        auto session = std::make_unique<pqxx::connection>(WithLineDefaults(url));
        pqxx::nontransaction settings(*session);
        settings.exec(std::string(kServerKeepalives) + "SET lock_timeout = " + seconds + "; " +
                      (use == SessionUse::Read
                           ? "SET statement_timeout = " + seconds + "; SET default_transaction_read_only = on"
                           : std::string("SET statement_timeout = 0")));
        return session;
    } catch (const pqxx::failure& error) {
        throw LineReadError(error);
    }
}

bool HasResultTable(pqxx::transaction_base& work)
{
    return !work.exec1(std::string("SELECT to_regclass('") + kResultTable + "') IS NULL")[0].as<bool>();
}

ReportError LineReadError(const std::exception& error)
{
    return ReportError("the line database cannot be read: " + OneLine(error.what()));
}

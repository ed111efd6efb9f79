#pragma once

// The throwaway server started by pg-cluster.sh (the ctest fixture): each
// test gets a database of its own on it, so tests may run side by side.
#include <pqxx/pqxx>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include <unistd.h>

class LineServer {
public:
    // The admin URL from the state file named by LINEWIDE_PG_STATE.
    static std::string AdminUrl()
    {
        const char* state = std::getenv("LINEWIDE_PG_STATE");
        std::ifstream file(state ? state : "");
        std::string url;
        if (!std::getline(file, url) || url.empty())
            throw std::runtime_error("no test server: run through ctest (LINEWIDE_PG_STATE)");
        return url;
    }

    LineServer()
        : admin_(AdminUrl())
        , name_("line_" + std::to_string(getpid()) + "_" + std::to_string(++counter_))
    {
        pqxx::connection admin(admin_);
        pqxx::nontransaction(admin).exec("CREATE DATABASE " + name_);
    }

    ~LineServer()
    {
        try {
            pqxx::connection admin(admin_);
            pqxx::nontransaction(admin).exec("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
        } catch (const std::exception&) {
        }
    }

    // The URL of this test's database.
    std::string Url() const { return admin_.substr(0, admin_.rfind('/') + 1) + name_; }

    // One value of a query on this test's database.
    std::string Value(const std::string& query) const
    {
        pqxx::connection connection(Url());
        const pqxx::row row = pqxx::nontransaction(connection).exec1(query);
        return row[0].is_null() ? std::string() : row[0].as<std::string>();
    }

    void Execute(const std::string& statement) const
    {
        pqxx::connection connection(Url());
        pqxx::nontransaction(connection).exec(statement);
    }

private:
    static inline int counter_ = 0;
    std::string admin_;
    std::string name_;
};

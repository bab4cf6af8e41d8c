// A small RAII layer over SQLite for the project file.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace velmo {

class Statement;

class Database {
public:
    // Opens an existing file (read_only or read-write) or creates one.
    enum Mode { READ_ONLY, READ_WRITE, CREATE };
    Database(const std::string &path, Mode mode);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    bool ok() const { return db_ != nullptr; }
    bool exec(const char *sql);
    sqlite3 *handle() const { return db_; }
    int64_t last_id() const { return sqlite3_last_insert_rowid(db_); }

private:
    sqlite3 *db_ = nullptr;
};

// A prepared statement; bind with 1-based indices, read with 0-based columns.
class Statement {
public:
    Statement(const Database &db, const char *sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return stmt_ != nullptr; }
    Statement &bind(int index, int64_t value);
    Statement &bind(int index, double value);
    Statement &bind(int index, const std::string &value);
    Statement &bind_blob(int index, const void *data, size_t size);
    // One step: true while a row is available.
    bool step();
    // Runs to completion; true when it finished without error.
    bool run();
    void reset();

    int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    double real(int column) const { return sqlite3_column_double(stmt_, column); }
    std::string text(int column) const;
    std::string blob(int column) const;

private:
    sqlite3_stmt *stmt_ = nullptr;
    int last_ = SQLITE_OK;
};

// Commits on commit(), rolls back otherwise.
class Transaction {
public:
    explicit Transaction(Database &db) : db_(db), open_(db.exec("begin immediate")) {}
    ~Transaction()
    {
        if (open_)
            db_.exec("rollback");
    }
    bool ok() const { return open_; }
    bool commit()
    {
        bool done = open_ && db_.exec("commit");
        open_ = false;
        return done;
    }

private:
    Database &db_;
    bool open_;
};

} // namespace velmo

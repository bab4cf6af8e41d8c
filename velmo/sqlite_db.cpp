#include "sqlite_db.h"

#include <filesystem>
#include <system_error>

namespace velmo {

namespace {

// A write killed half-way leaves a hot journal, which a read-only connection
// refuses to roll back; one read-write touch of the schema lets SQLite
// restore the last committed state.  Files that cannot be written stay as
// they are, and reading them fails as before.
void roll_back_hot_journal(const std::string &path)
{
    std::error_code ec;
    if (!std::filesystem::exists(path + "-journal", ec))
        return;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

} // namespace

Database::Database(const std::string &path, Mode mode)
{
    if (mode == READ_ONLY)
        roll_back_hot_journal(path);
    int flags = mode == READ_ONLY ? SQLITE_OPEN_READONLY
              : mode == READ_WRITE ? SQLITE_OPEN_READWRITE
                                   : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close(db_);
        db_ = nullptr;
        return;
    }
    sqlite3_busy_timeout(db_, 5000);
}

Database::~Database()
{
    sqlite3_close(db_);
}

bool Database::exec(const char *sql)
{
    return db_ && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

Statement::Statement(const Database &db, const char *sql)
{
    if (!db.ok() || sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

Statement &Statement::bind(int index, int64_t value)
{
    if (stmt_)
        sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

Statement &Statement::bind(int index, double value)
{
    if (stmt_)
        sqlite3_bind_double(stmt_, index, value);
    return *this;
}

Statement &Statement::bind(int index, const std::string &value)
{
    if (stmt_)
        sqlite3_bind_text(stmt_, index, value.data(), (int)value.size(), SQLITE_TRANSIENT);
    return *this;
}

Statement &Statement::bind_blob(int index, const void *data, size_t size)
{
    if (stmt_)
        sqlite3_bind_blob64(stmt_, index, data, size, SQLITE_TRANSIENT);
    return *this;
}

bool Statement::step()
{
    if (!stmt_)
        return false;
    last_ = sqlite3_step(stmt_);
    return last_ == SQLITE_ROW;
}

bool Statement::run()
{
    while (step()) {
    }
    return stmt_ && last_ == SQLITE_DONE;
}

void Statement::reset()
{
    if (stmt_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
}

std::string Statement::text(int column) const
{
    const unsigned char *t = sqlite3_column_text(stmt_, column);
    return t ? std::string(reinterpret_cast<const char *>(t), sqlite3_column_bytes(stmt_, column)) : std::string();
}

std::string Statement::blob(int column) const
{
    const void *b = sqlite3_column_blob(stmt_, column);
    return b ? std::string(static_cast<const char *>(b), sqlite3_column_bytes(stmt_, column)) : std::string();
}

} // namespace velmo

#pragma once
// A time limit on the statements the calling thread runs. The daemon opens
// one around every request it serves, so a runaway query cannot hold a
// worker (and its database connection) for ever; the engines consult it:
//
// - SQLite: a progress handler on every connection interrupts a statement
//   that is still running when the limit has passed.
// - PostgreSQL: the connection's statement_timeout is kept to what is left
//   of the limit when a statement starts outside a transaction.
// - Either engine: a statement the request starts after its limit has
//   passed is refused.
//
// A statement stopped for the limit raises RequestTimeoutError, and the
// scope remembers it, so the daemon can answer with a time-out error even
// when a server object caught the exception and carried on. Without a
// limit open (the module in-process, tools, tests) statements run as long
// as they take.

#include "db/DatabaseError.h"

#include <chrono>
#include <string>
#include <string_view>

namespace slip {

class RequestTimeoutError : public DatabaseError {
public:
    using DatabaseError::DatabaseError;
};

class RequestDeadline {
public:
    using Clock = std::chrono::steady_clock;

    // Opens the calling thread's limit until the scope ends; scopes nest,
    // an inner one never outlasting the outer.
    explicit RequestDeadline(std::chrono::milliseconds limit);
    ~RequestDeadline();
    RequestDeadline(const RequestDeadline &) = delete;
    RequestDeadline &operator=(const RequestDeadline &) = delete;

    std::chrono::milliseconds limit() const { return m_limit; }
    bool passed() const { return Clock::now() >= m_end; }
    // What is left of the limit, at least one millisecond.
    std::chrono::milliseconds remaining() const;
    // A statement of this scope was stopped or refused for the limit.
    bool stoppedStatement() const { return m_stopped; }
    void noteStopped() { m_stopped = true; }

    // The calling thread's innermost open limit, or nullptr.
    static RequestDeadline *current();

    // For the engines. Before a statement: raises RequestTimeoutError when
    // the thread's limit has passed. After a failed statement: raises it in
    // place of the engine's error when the limit is why the statement ended
    // (`cancelled`: the engine said it cancelled the statement).
    static void refuseIfPassed();
    static void raiseIfStopped(bool cancelled, std::string_view sqlForErrors);

    // Lifts the calling thread's limit while it lives: ending a transaction
    // must still be possible once the limit has passed.
    class Suspend {
    public:
        Suspend();
        ~Suspend();
        Suspend(const Suspend &) = delete;
        Suspend &operator=(const Suspend &) = delete;

    private:
        RequestDeadline *m_saved;
    };

private:
    [[noreturn]] void raise(std::string_view sqlForErrors);

    std::chrono::milliseconds m_limit;
    Clock::time_point m_end;
    RequestDeadline *m_outer;
    bool m_stopped = false;
};

} // namespace slip

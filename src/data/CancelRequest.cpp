// SPDX-License-Identifier: GPL-3.0-or-later
#include "CancelRequest.h"

#include "OdbcHandle.h"

#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestrelon::odbc {

namespace {

// The cancels in flight, and the handles let go meanwhile.
struct InFlight
{
    std::mutex mutex;
    std::unordered_map<SQLHSTMT, int> statements; // cancels sent to each
    int cancels = 0;
    std::vector<std::pair<SQLSMALLINT, SQLHANDLE>> released;
};

// Never destroyed: a cancel may still return while the program ends.
InFlight &inFlight()
{
    static auto *const state = new InFlight;
    return *state;
}

} // namespace

CancelRequest::CancelRequest(SQLHSTMT statement) : statement_(statement)
{
    InFlight &state = inFlight();
    const std::lock_guard lock(state.mutex);
    ++state.statements[statement_];
    ++state.cancels;
}

CancelRequest::CancelRequest(CancelRequest &&other) noexcept
    : statement_(std::exchange(other.statement_, SQLHSTMT(SQL_NULL_HSTMT)))
{
}

// Statements go before connections, which would take them along.
CancelRequest::~CancelRequest()
{
    if (statement_ == SQL_NULL_HSTMT)
        return;
    InFlight &state = inFlight();
    std::vector<std::pair<SQLSMALLINT, SQLHANDLE>> due;
    {
        const std::lock_guard lock(state.mutex);
        if (--state.statements[statement_] == 0)
            state.statements.erase(statement_);
        --state.cancels;
        auto &released = state.released;
        for (auto it = released.begin(); it != released.end();) {
            const bool free = it->first == SQL_HANDLE_STMT ? state.statements.count(it->second) == 0
                                                           : state.cancels == 0;
            if (free) {
                due.push_back(*it);
                it = released.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const SQLSMALLINT type : {SQL_HANDLE_STMT, SQL_HANDLE_DBC}) {
        for (const auto &[handleType, handle] : due) {
            if (handleType == type)
                Handle(handleType, handle); // freed at once
        }
    }
}

void CancelRequest::send() const
{
    SQLCancel(statement_);
}

void CancelRequest::sendInBackground(CancelRequest request)
{
    try {
        std::thread([request = std::move(request)] { request.send(); }).detach();
    } catch (const std::system_error &) {
        request.send(); // no thread to spare: the caller waits
    }
}

bool CancelRequest::freeLater(SQLSMALLINT type, SQLHANDLE handle)
{
    InFlight &state = inFlight();
    const std::lock_guard lock(state.mutex);
    const bool wait = type == SQL_HANDLE_STMT ? state.statements.count(handle) > 0
                                              : type == SQL_HANDLE_DBC && state.cancels > 0;
    if (wait)
        state.released.emplace_back(type, handle);
    return wait;
}

} // namespace kestrelon::odbc
